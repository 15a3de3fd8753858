// The accepting side of the server: a listening socket on a loopback (or
// given) address and one thread per connection, at most max_connections at
// once. A connection beyond the bound is closed at once; finished threads
// are joined as new connections come and when the server stops.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "server/pdu_log.h"
#include "server/session.h"

namespace bexa::server {

struct ServerOptions {
  std::filesystem::path store_dir;
  std::string host = "127.0.0.1";
  uint16_t port = 308;  // 0: any free port (see Listener::port)
  std::string pdu_log;  // empty: no PDU log
  int max_connections = 128;
  SessionOptions session;
};

class Listener {
 public:
  explicit Listener(ServerOptions options);
  ~Listener();  // Stop()
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  // Binds, listens and starts accepting. Throws std::runtime_error with the
  // reason when the address cannot be had or the store cannot be opened.
  void Start();
  // The bound port (the chosen one when the options asked for 0).
  uint16_t port() const { return port_; }
  // Closes the listening socket, wakes every connection and joins all
  // threads. Safe to call twice.
  void Stop();

  // Connections being served right now.
  int ActiveConnections() const { return active_.load(); }

 private:
  struct Worker {
    std::thread thread;
    std::unique_ptr<FrameSocket> socket;
    std::atomic<bool> done{false};
  };

  void AcceptLoop();
  void ReapFinished(bool all);

  ServerOptions options_;
  std::unique_ptr<PduLog> log_;
  int listen_fd_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> active_{0};
  std::atomic<int> next_id_{1};
  std::thread accept_thread_;

  std::mutex workers_mutex_;
  std::list<std::unique_ptr<Worker>> workers_;  // guarded by workers_mutex_
};

}  // namespace bexa::server
