// The progress dialog (524) of long operations: modeless, with an animation
// by operation kind, a phase text, a step text, two bars, the tasks left and
// Cancel (confirmed by a Yes/No question). The operation reads the cancel
// flag between its steps, after letting queued messages run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "control/dialog_texts.h"
#include "platform/ui/window_system.h"

namespace bexa {

constexpr int kProgressDialogId = 524;

// Operation kinds with an animation of their own.
constexpr int kOperationReceivingFiles = 4;
constexpr int kOperationVolume = 12;

// The animation resource of an operation kind: 148, 147, or 142 for any
// other kind.
int AnimationOfOperation(int kind);

class ProgressDialog {
 public:
  ProgressDialog(platform::ui::WindowSystem& ui, TextLookup texts, int32_t language_offset,
                 std::u16string display_name);
  ~ProgressDialog();
  ProgressDialog(const ProgressDialog&) = delete;
  ProgressDialog& operator=(const ProgressDialog&) = delete;

  // Creates and shows the dialog as a child of the window.
  void Create(int parent = 0);
  // Starts the kind's animation; the kind already running changes nothing.
  void SetOperationKind(int kind);
  // A new phase: its text, the upper bar's range 0..upper_range at 0, and
  // an empty step text.
  void StartPhase(const std::u16string& phase_text, int upper_range);
  // One step of the phase: the step text, and the upper bar one further.
  void Step(const std::u16string& step_text);
  void SetUpperPosition(int position);
  void SetExtraLine(const std::u16string& text);  // the line under the upper bar
  void SetTaskCount(int64_t tasks);
  void TaskDone();
  void SetLowerPosition(int percent);
  void StopAnimation();
  bool cancelled() const { return cancelled_; }
  bool IsOpen() const;
  void Destroy();
  int window_id() const;

 private:
  class Window;
  void ShowTasksLeft();

  platform::ui::WindowSystem& ui_;
  TextLookup texts_;
  int32_t language_offset_;
  std::u16string display_name_;
  std::unique_ptr<Window> window_;
  int kind_ = -1;  // the kind whose animation runs, -1 for none
  int64_t tasks_left_ = 0;
  bool cancelled_ = false;
};

}  // namespace bexa
