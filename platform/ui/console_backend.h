// A backend for the command line: a modal window that waits for input is
// printed as text (its caption, texts, fields, choices and buttons) and the
// user answers by number; edits ask for their new value. End of input closes
// the window like Escape (a Yes/No box answers No).
#pragma once

#include <iosfwd>

#include "platform/ui/backend.h"
#include "platform/ui/window_system.h"

namespace bexa::platform::ui {

class ConsoleBackend : public Backend {
 public:
  // Installs itself as the system's backend; the streams must outlive it.
  ConsoleBackend(WindowSystem& ui, std::istream& in, std::ostream& out);
  ~ConsoleBackend() override;

  void WindowShown(const Window&) override {}
  void WindowChanged(const Window&, const std::vector<int>&, bool) override {}
  void WindowGone(int) override {}
  void Beep(unsigned) override;
  bool ProvideInput(WindowSystem& system, Window& modal) override;

 private:
  WindowSystem& ui_;
  std::istream& in_;
  std::ostream& out_;
  int closed_window_ = 0;  // the window that end of input closed already
};

}  // namespace bexa::platform::ui
