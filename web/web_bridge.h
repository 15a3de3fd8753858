// Puts a window system on a browser page: the web backend and the local page
// server together. The program starts it once, then opens the page with the
// launch file (never with the token on a command line: other local users
// can read a process's arguments).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/window_system.h"
#include "web/page_server.h"
#include "web/web_backend.h"

namespace bexa::web {

class WebBridge {
 public:
  // Installs the web backend on the window system (of the calling thread).
  explicit WebBridge(platform::ui::WindowSystem& ui);
  ~WebBridge();

  // Serves on 127.0.0.1 (port 0: a free one) with a new random token;
  // returns the port. Throws std::runtime_error when it cannot listen.
  uint16_t Start(uint16_t port = 0);
  // The host objects that the page's script may call (POST
  // /call/OBJECT/MEMBER, see page_server.h); set before Start.
  void SetScriptCall(PageServer::ScriptCall call) { script_call_ = std::move(call); }
  void Stop();
  uint16_t port() const { return server_ ? server_->port() : 0; }
  size_t PageCount() const { return server_ ? server_->PageCount() : 0; }

  // The page's address with the token: a secret, never to be logged.
  std::string LaunchUrl() const;
  // Writes an HTML file, readable and writable by its owner only, that
  // sends a browser to the page. False when the file cannot be written.
  bool WriteLaunchFile(const std::string& path) const;

 private:
  platform::ui::WindowSystem& ui_;
  WebBackend backend_;
  std::string token_;
  PageServer::ScriptCall script_call_;
  std::unique_ptr<PageServer> server_;
};

}  // namespace bexa::web
