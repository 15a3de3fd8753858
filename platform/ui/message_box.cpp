#include "platform/ui/message_box.h"

#include <atomic>
#include <cstdio>

#include "platform/codepage.h"

namespace bexa::platform::ui {
namespace {

class StandardErrorMessageBoxes : public MessageBoxes {
 public:
  int Show(const std::u16string& text, const std::u16string& caption, uint32_t type) override {
    const std::string line = WideToUtf8(caption.empty() ? u"Bexa" : caption) + ": " + WideToUtf8(text);
    std::fprintf(stderr, "%s\n", line.c_str());
    return DefaultResult(type);
  }
};

StandardErrorMessageBoxes standard_error_boxes;
std::atomic<MessageBoxes*> current_boxes{nullptr};

}  // namespace

int DefaultResult(uint32_t type) {
  switch (type & kMbButtonMask) {
    case kMbYesNo:
    case kMbYesNoCancel:
      return kIdYes;
    default:
      return kIdOk;
  }
}

MessageBoxes& CurrentMessageBoxes() {
  MessageBoxes* boxes = current_boxes.load();
  return boxes != nullptr ? *boxes : standard_error_boxes;
}

MessageBoxes* SetCurrentMessageBoxes(MessageBoxes* boxes) { return current_boxes.exchange(boxes); }

int ShowMessageBox(const std::u16string& text, const std::u16string& caption, uint32_t type) {
  return CurrentMessageBoxes().Show(text, caption, type);
}

void ScriptedMessageBoxes::QueueAnswer(int result) {
  std::lock_guard lock(mutex_);
  answers_.push_back(result);
}

int ScriptedMessageBoxes::Show(const std::u16string& text, const std::u16string& caption,
                               uint32_t type) {
  std::lock_guard lock(mutex_);
  shown_.push_back({text, caption, type});
  if (answers_.empty()) return DefaultResult(type);
  const int result = answers_.front();
  answers_.pop_front();
  return result;
}

std::vector<ScriptedMessageBoxes::Shown> ScriptedMessageBoxes::Boxes() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

}  // namespace bexa::platform::ui
