// Message boxes: the modal question or notice of the window system, with the
// type flags and results of the Windows message box, since the system's
// callers pass and test those values.
//
// The front end (web page, console) installs its implementation as the
// process-wide current one; tests install ScriptedMessageBoxes.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace bexa::platform::ui {

// Type flags: one button set plus at most one icon.
inline constexpr uint32_t kMbOk = 0x00;
inline constexpr uint32_t kMbOkCancel = 0x01;
inline constexpr uint32_t kMbYesNoCancel = 0x03;
inline constexpr uint32_t kMbYesNo = 0x04;
inline constexpr uint32_t kMbButtonMask = 0x0F;
inline constexpr uint32_t kMbIconError = 0x10;
inline constexpr uint32_t kMbIconQuestion = 0x20;
inline constexpr uint32_t kMbIconExclamation = 0x30;
inline constexpr uint32_t kMbIconInformation = 0x40;
inline constexpr uint32_t kMbIconMask = 0xF0;

// Results: the button the user chose.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// The result of the first button of a button set (kIdOk for kMbOk and
// kMbOkCancel, kIdYes for kMbYesNo and kMbYesNoCancel).
int DefaultResult(uint32_t type);

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows text with the buttons and icon of type and waits for the user's
  // choice; returns one of the kId* results. An empty caption stands for the
  // application's own title.
  virtual int Show(const std::u16string& text, const std::u16string& caption, uint32_t type) = 0;
};

// The process-wide implementation. Until a front end installs one, a box is
// written to standard error and answered with its DefaultResult.
MessageBoxes& CurrentMessageBoxes();
// Installs boxes (not owned; it must outlive its use), or restores the
// standard-error default when boxes is nullptr. Returns the previous one
// (nullptr for the default).
MessageBoxes* SetCurrentMessageBoxes(MessageBoxes* boxes);

// Shows through the current implementation.
int ShowMessageBox(const std::u16string& text, const std::u16string& caption, uint32_t type);

// A message box implementation for tests: records every box and answers from
// a queue of results, or with the box's DefaultResult when the queue is
// empty. Thread-safe.
class ScriptedMessageBoxes : public MessageBoxes {
 public:
  struct Shown {
    std::u16string text;
    std::u16string caption;
    uint32_t type;
  };

  void QueueAnswer(int result);
  int Show(const std::u16string& text, const std::u16string& caption, uint32_t type) override;
  std::vector<Shown> Boxes() const;

 private:
  mutable std::mutex mutex_;
  std::deque<int> answers_;    // guarded by mutex_
  std::vector<Shown> shown_;   // guarded by mutex_
};

// Installs boxes as the current implementation for the lifetime of the
// scope, then puts the previous one back.
class ScopedMessageBoxes {
 public:
  explicit ScopedMessageBoxes(MessageBoxes& boxes) : previous_(SetCurrentMessageBoxes(&boxes)) {}
  ~ScopedMessageBoxes() { SetCurrentMessageBoxes(previous_); }
  ScopedMessageBoxes(const ScopedMessageBoxes&) = delete;
  ScopedMessageBoxes& operator=(const ScopedMessageBoxes&) = delete;

 private:
  MessageBoxes* previous_;
};

}  // namespace bexa::platform::ui
