// The local page server: HTTP for the page's files and one WebSocket per
// open page, on 127.0.0.1 only, behind the door rules of request_guard.h.
// It runs its own thread; the callbacks are called on that thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bexa::web {

class PageServer {
 public:
  // The messages a newly connected page gets first (the whole state).
  using Snapshot = std::function<std::vector<std::string>()>;
  // A text message from a page.
  using Incoming = std::function<void(const std::string& text)>;

  // A call of the page's script to an object of the host: POST
  // /call/OBJECT/MEMBER with the argument as the body (behind the same door
  // rules as every request). The reply is the result as text; nothing for a
  // member the host does not have (404). Called on the server's thread.
  using ScriptCall = std::function<std::optional<std::string>(
      const std::string& object, const std::string& member, const std::string& argument)>;

  PageServer(std::string token, Snapshot snapshot, Incoming incoming, ScriptCall call = nullptr);
  ~PageServer();
  PageServer(const PageServer&) = delete;
  PageServer& operator=(const PageServer&) = delete;

  // Binds 127.0.0.1:port (0: a free port) and starts serving; returns the
  // port. Throws std::runtime_error when the port cannot be bound.
  uint16_t Start(uint16_t port = 0);
  void Stop();
  uint16_t port() const;

  // Thread-safe: sends the message to every open page, in call order.
  void Broadcast(std::string message);
  // Pages connected now.
  size_t PageCount() const;

  struct Impl;  // defined and used in page_server.cpp only

 private:
  std::shared_ptr<Impl> impl_;
};

}  // namespace bexa::web
