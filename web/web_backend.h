// The window system's backend for browser pages: it keeps the latest state
// of every shown window as a message (so that a page that connects or
// reloads gets the same windows and the same open dialog) and sends each
// change to the open pages; the pages' events are posted to the window
// system's queue in the order they arrive.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ui/backend.h"
#include "platform/ui/window_system.h"

namespace bexa::web {

class WebBackend : public platform::ui::Backend {
 public:
  // Installs itself as the system's backend.
  explicit WebBackend(platform::ui::WindowSystem& ui);
  ~WebBackend() override;

  // Where changes go (the page server's broadcast); called on the
  // user-interface thread.
  void SetSink(std::function<void(std::string)> sink);
  // Thread-safe: the messages that draw every shown window, in order.
  std::vector<std::string> Snapshot() const;
  // Thread-safe: a message from a page.
  void Deliver(const std::string& text);

  void WindowShown(const platform::ui::Window& window) override;
  void WindowChanged(const platform::ui::Window& window, const std::vector<int>& controls,
                     bool window_changed) override;
  void WindowGone(int window_id) override;
  void Beep(unsigned icon) override;

 private:
  void Send(std::string message);

  platform::ui::WindowSystem& ui_;
  std::function<void(std::string)> sink_;  // user-interface thread only
  mutable std::mutex mutex_;
  std::map<int, std::string> windows_;  // guarded by mutex_: window id -> its whole state
};

}  // namespace bexa::web
