#include "web/web_bridge.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "web/request_guard.h"

namespace bexa::web {

WebBridge::WebBridge(platform::ui::WindowSystem& ui) : ui_(ui), backend_(ui) {}

WebBridge::~WebBridge() { Stop(); }

uint16_t WebBridge::Start(uint16_t port) {
  Stop();
  token_ = NewToken();
  server_ = std::make_unique<PageServer>(
      token_, [this] { return backend_.Snapshot(); },
      [this](const std::string& text) { backend_.Deliver(text); }, script_call_);
  uint16_t bound = server_->Start(port);
  backend_.SetSink([server = server_.get()](std::string m) { server->Broadcast(std::move(m)); });
  // Windows shown before the server started are in the snapshot already.
  return bound;
}

void WebBridge::Stop() {
  if (!server_) return;
  backend_.SetSink(nullptr);
  server_->Stop();
  server_.reset();
}

std::string WebBridge::LaunchUrl() const {
  return "http://127.0.0.1:" + std::to_string(port()) + "/?t=" + token_;
}

bool WebBridge::WriteLaunchFile(const std::string& path) const {
  if (!server_) return false;
  std::string url = LaunchUrl();
  std::string html = "<!doctype html><meta charset=\"utf-8\"><meta http-equiv=\"refresh\" content=\"0;url=" +
                     url + "\"><title>Bexa</title>\n";
  ::unlink(path.c_str());  // a file left by someone else keeps its own mode
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  bool ok = ::write(fd, html.data(), html.size()) == static_cast<ssize_t>(html.size());
  return ::close(fd) == 0 && ok;
}

}  // namespace bexa::web
