#include "server/listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace bexa::server {

namespace {
constexpr int kAcceptPollMs = 100;
}

Listener::Listener(ServerOptions options) : options_(std::move(options)) {}

Listener::~Listener() { Stop(); }

void Listener::Start() {
  Store::Open(options_.store_dir);  // a broken store is reported now, not per connection
  log_ = std::make_unique<PduLog>(options_.pdu_log);
  listen_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listen_fd_ < 0) throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
  int one = 1;
  ::setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(options_.port);
  if (::inet_pton(AF_INET, options_.host.c_str(), &address.sin_addr) != 1) {
    ::close(listen_fd_);
    listen_fd_ = -1;
    throw std::runtime_error("not an IPv4 address: " + options_.host);
  }
  if (::bind(listen_fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listen_fd_, 128) != 0) {
    const std::string why = std::strerror(errno);
    ::close(listen_fd_);
    listen_fd_ = -1;
    throw std::runtime_error("cannot listen on " + options_.host + ":" +
                             std::to_string(options_.port) + ": " + why);
  }
  socklen_t length = sizeof address;
  ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  log_->Event(0, "listening on " + options_.host + ":" + std::to_string(port_));
  accept_thread_ = std::thread([this] { AcceptLoop(); });
}

void Listener::AcceptLoop() {
  while (!stopping_) {
    pollfd p{listen_fd_, POLLIN, 0};
    const int r = ::poll(&p, 1, kAcceptPollMs);
    ReapFinished(false);
    if (r <= 0) continue;
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    const int fd = ::accept4(listen_fd_, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
    if (fd < 0) continue;
    const int id = next_id_++;
    char peer_text[INET_ADDRSTRLEN] = "?";
    ::inet_ntop(AF_INET, &peer.sin_addr, peer_text, sizeof peer_text);
    const std::string from = std::string(peer_text) + ":" + std::to_string(ntohs(peer.sin_port));
    if (active_.load() >= options_.max_connections) {
      log_->Event(id, "refused " + from + ": too many connections");
      ::close(fd);
      continue;
    }
    log_->Event(id, "open " + from);
    auto worker = std::make_unique<Worker>();
    worker->socket = std::make_unique<FrameSocket>(fd);
    Worker* w = worker.get();
    ++active_;
    {
      std::lock_guard lock(workers_mutex_);
      workers_.push_back(std::move(worker));
    }
    w->thread = std::thread([this, w, id] {
      Session session(id, *w->socket, options_.store_dir, options_.session, *log_);
      session.Run();
      log_->Event(id, "close");
      --active_;
      w->done = true;
    });
  }
}

void Listener::ReapFinished(bool all) {
  std::list<std::unique_ptr<Worker>> finished;
  {
    std::lock_guard lock(workers_mutex_);
    for (auto it = workers_.begin(); it != workers_.end();) {
      if (all || (*it)->done) {
        finished.push_back(std::move(*it));
        it = workers_.erase(it);
      } else {
        ++it;
      }
    }
  }
  // Joined outside the lock; a worker's socket closes with it.
  for (auto& w : finished)
    if (w->thread.joinable()) w->thread.join();
}

void Listener::Stop() {
  if (stopping_.exchange(true)) {
    if (accept_thread_.joinable()) accept_thread_.join();
    return;
  }
  if (accept_thread_.joinable()) accept_thread_.join();
  {
    std::lock_guard lock(workers_mutex_);
    for (auto& w : workers_) w->socket->Shutdown();
  }
  ReapFinished(true);
  if (listen_fd_ >= 0) ::close(listen_fd_);
  listen_fd_ = -1;
}

}  // namespace bexa::server
