#include "web/web_backend.h"

#include "web/window_json.h"

namespace bexa::web {

WebBackend::WebBackend(platform::ui::WindowSystem& ui) : ui_(ui) { ui_.SetBackend(this); }

WebBackend::~WebBackend() {
  if (ui_.backend() == this) ui_.SetBackend(nullptr);
}

void WebBackend::SetSink(std::function<void(std::string)> sink) { sink_ = std::move(sink); }

std::vector<std::string> WebBackend::Snapshot() const {
  std::vector<std::string> out{ResetMessage()};
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& [id, message] : windows_) out.push_back(message);
  return out;
}

void WebBackend::Deliver(const std::string& text) {
  if (auto event = ParseEventMessage(text)) ui_.Post(std::move(*event));
}

void WebBackend::Send(std::string message) {
  if (sink_) sink_(std::move(message));
}

// The stored state is replaced before the change is sent: a page that
// connects in between gets the new state in its snapshot and the change
// again, which redraws nothing new.
void WebBackend::WindowShown(const platform::ui::Window& window) {
  std::string message = WindowMessage(window);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    windows_[window.id] = message;
  }
  Send(std::move(message));
}

void WebBackend::WindowChanged(const platform::ui::Window& window, const std::vector<int>& controls,
                               bool window_changed) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    windows_[window.id] = WindowMessage(window);
  }
  if (!controls.empty() || window_changed) Send(PatchMessage(window, controls, window_changed));
}

void WebBackend::WindowGone(int window_id) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    windows_.erase(window_id);
  }
  Send(GoneMessage(window_id));
}

void WebBackend::Beep(unsigned icon) { Send(BeepMessage(icon)); }

}  // namespace bexa::web
