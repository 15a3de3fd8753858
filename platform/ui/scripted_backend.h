// A backend for tests: it draws nothing and answers modal windows by a
// script. Each step runs when a modal loop waits for input and acts as the
// user would (its actions are posted as events and go through the same
// handling as a browser's). A modal loop that waits with no step left
// throws, so a test never hangs on an unexpected dialog.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/backend.h"
#include "platform/ui/window_system.h"

namespace bexa::platform::ui {

class ScriptedBackend : public Backend {
 public:
  using Step = std::function<void(ScriptedBackend& script, const Window& modal)>;

  // Installs itself as the system's backend.
  explicit ScriptedBackend(WindowSystem& ui);
  ~ScriptedBackend() override;

  // Queues a step for the next wait of a modal loop.
  ScriptedBackend& Then(Step step);
  // Shortcuts: press a button of the waiting window; answer a message box.
  ScriptedBackend& ThenClick(int control);
  ScriptedBackend& ThenAnswer(int button) { return ThenClick(button); }
  size_t PendingSteps() const { return steps_.size(); }

  // Actions, as a user's.
  void Click(int window, int control);
  void Type(int window, int control, const std::u16string& text);
  void PressEnter(int window);   // the default button
  void PressEscape(int window);  // closes like the close box
  void ChooseComboLine(int window, int control, int line);
  void ClickTreeItem(int window, int control, TreeHandle item, bool on_state_image);
  void SelectTreeItem(int window, int control, TreeHandle item);
  void ExpandTreeItem(int window, int control, TreeHandle item);
  void ClickListRow(int window, int control, int row, bool on_state_image);
  void DoubleClickListRow(int window, int control, int row);
  void RightClickListRow(int window, int control, int row);
  void SelectListRows(int window, int control, std::vector<int> rows);
  void ResizeHeader(int window, int control, int column, int width);

  // Reading what a user would see.
  const ControlState* Control(int window, int control) const;
  std::u16string Text(int window, int control) const;
  bool IsVisible(int window, int control) const;
  bool IsEnabled(int window, int control) const;
  bool IsChecked(int window, int control) const;
  // The newest visible window made from a template, or null.
  const Window* FindByResource(int resource_id) const;

  // Message boxes shown so far (their texts and flags, oldest first).
  struct ShownBox {
    std::u16string text, caption;
    std::u16string icon;
  };
  const std::vector<ShownBox>& message_boxes() const { return message_boxes_; }
  const std::vector<unsigned>& beeps() const { return beeps_; }
  // How often each window was drawn whole, and its last change.
  int shown_count() const { return shown_count_; }

  void WindowShown(const Window& window) override;
  void WindowChanged(const Window&, const std::vector<int>&, bool) override {}
  void WindowGone(int) override {}
  void Beep(unsigned icon) override { beeps_.push_back(icon); }
  bool ProvideInput(WindowSystem& system, Window& modal) override;

 private:
  void Post(UiEvent event);

  WindowSystem& ui_;
  std::deque<Step> steps_;
  std::vector<ShownBox> message_boxes_;
  std::vector<unsigned> beeps_;
  int shown_count_ = 0;
};

}  // namespace bexa::platform::ui
