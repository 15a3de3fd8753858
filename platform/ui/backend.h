// What a front end implements to show the windows of a WindowSystem. All
// calls come on the user-interface thread; a backend that serves another
// thread copies what it needs before it returns.
#pragma once

#include <vector>

#include "platform/ui/window.h"

namespace bexa::platform::ui {

class WindowSystem;

class Backend {
 public:
  virtual ~Backend() = default;

  // A window was created or became visible: draw it whole.
  virtual void WindowShown(const Window& window) = 0;
  // Controls of a shown window changed (their ids), and with window_changed
  // also the window's own fields (caption, height, flash state, focus). With
  // neither, only typed text changed, which the front end shows already.
  virtual void WindowChanged(const Window& window, const std::vector<int>& controls,
                             bool window_changed) = 0;
  // The window was hidden or destroyed.
  virtual void WindowGone(int window_id) = 0;
  // The system beep of a message-box icon kind (0x10, 0x20, 0x30, 0x40).
  virtual void Beep(unsigned /*icon*/) {}

  // Called by a modal loop that has no message to dispatch, before it waits.
  // A backend that produces input on this thread (a script, the console)
  // posts it now and returns true; a backend fed from another thread returns
  // false and the loop waits for its messages.
  virtual bool ProvideInput(WindowSystem& /*system*/, Window& /*modal*/) { return false; }
};

}  // namespace bexa::platform::ui
