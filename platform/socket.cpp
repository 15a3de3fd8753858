#include "platform/socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace bexa::platform {

int WsaErrorFromErrno(int err, bool blocking) {
  switch (err) {
    case 0: return 0;
    case EINTR: return kWsaInterrupted;
    case EFAULT: return kWsaFault;
    case EINVAL: return kWsaInvalid;
#if EAGAIN != EWOULDBLOCK
    case EWOULDBLOCK:
#endif
    case EAGAIN: return blocking ? kWsaTimedOut : kWsaWouldBlock;
    case EINPROGRESS: return kWsaInProgress;
    case EALREADY: return kWsaAlready;
    case EBADF:
    case ENOTSOCK: return kWsaNotSocket;
    case EMSGSIZE: return kWsaMessageSize;
    case EOPNOTSUPP: return kWsaOpNotSupported;
    case EADDRINUSE: return kWsaAddressInUse;
    case EADDRNOTAVAIL: return kWsaAddressNotAvailable;
    case ENETDOWN: return kWsaNetworkDown;
    case ENETUNREACH: return kWsaNetworkUnreachable;
    case ENETRESET: return kWsaNetworkReset;
    case ECONNABORTED: return kWsaConnectionAborted;
    case EPIPE:  // the stream is gone: the peer reset or closed it
    case ECONNRESET: return kWsaConnectionReset;
    case ENOBUFS:
    case ENOMEM: return kWsaNoBuffers;
    case EISCONN: return kWsaIsConnected;
    case ENOTCONN: return kWsaNotConnected;
    case ESHUTDOWN: return kWsaShutdown;
    case ETIMEDOUT: return kWsaTimedOut;
    case ECONNREFUSED: return kWsaConnectionRefused;
    case EHOSTDOWN: return kWsaHostDown;
    case EHOSTUNREACH: return kWsaHostUnreachable;
    default: return 10000 + err;  // WSABASEERR + errno, as WinSock numbers its own
  }
}

bool StartSockets() { return true; }
void StopSockets() {}

bool ParseDottedAddress(const std::string& text, uint32_t& address) {
  in_addr_t a = inet_addr(text.c_str());
  if (a == INADDR_NONE) return false;
  address = a;
  return true;
}

bool ResolveHostName(const std::string& name, std::string& dotted, int& error) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* result = nullptr;
  int rc = getaddrinfo(name.c_str(), nullptr, &hints, &result);
  if (rc != 0 || result == nullptr) {
    switch (rc) {
      case EAI_AGAIN: error = kWsaTryAgain; break;
      case EAI_FAIL: error = kWsaNoRecovery; break;
#ifdef EAI_NODATA
      case EAI_NODATA: error = kWsaNoData; break;
#endif
      default: error = kWsaHostNotFound; break;
    }
    if (result) freeaddrinfo(result);
    return false;
  }
  char text[INET_ADDRSTRLEN] = {};
  const auto* in = reinterpret_cast<const sockaddr_in*>(result->ai_addr);
  inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
  freeaddrinfo(result);
  dotted = text;
  error = 0;
  return true;
}

uint32_t LoopbackAddress() { return htonl(INADDR_LOOPBACK); }

TcpSocket::~TcpSocket() { Close(); }

TcpSocket::TcpSocket(TcpSocket&& other) noexcept : fd_(other.fd_), last_error_(other.last_error_) {
  other.fd_ = -1;
}

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    last_error_ = other.last_error_;
    other.fd_ = -1;
  }
  return *this;
}

bool TcpSocket::Fail(int err, bool blocking) {
  last_error_ = WsaErrorFromErrno(err, blocking);
  return false;
}

bool TcpSocket::Create() {
  Close();
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return Fail(errno);
  return true;
}

bool TcpSocket::Connect(uint32_t address, uint16_t port, uint32_t timeout_ms) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = address;
  if (timeout_ms == 0) {
    int rc;
    do {
      rc = ::connect(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    } while (rc < 0 && errno == EINTR);
    return rc == 0 || Fail(errno);
  }
  const int flags = fcntl(fd_, F_GETFL);
  fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
  int rc = ::connect(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
  int err = rc == 0 ? 0 : errno;
  if (rc < 0 && err == EINPROGRESS) {
    pollfd p{fd_, POLLOUT, 0};
    int n = ::poll(&p, 1, static_cast<int>(timeout_ms));
    if (n == 0) {
      err = ETIMEDOUT;
    } else if (n < 0) {
      err = errno;
    } else {
      socklen_t len = sizeof err;
      getsockopt(fd_, SOL_SOCKET, SO_ERROR, &err, &len);
    }
  }
  fcntl(fd_, F_SETFL, flags);
  return err == 0 || Fail(err);
}

bool TcpSocket::SetTimeouts(uint32_t send_ms, uint32_t receive_ms) {
  timeval s{static_cast<time_t>(send_ms / 1000), static_cast<suseconds_t>(send_ms % 1000) * 1000};
  timeval r{static_cast<time_t>(receive_ms / 1000),
            static_cast<suseconds_t>(receive_ms % 1000) * 1000};
  if (setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &s, sizeof s) != 0) return Fail(errno);
  if (setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &r, sizeof r) != 0) return Fail(errno);
  return true;
}

bool TcpSocket::SetNoDelay(bool on) {
  int v = on ? 1 : 0;
  return setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &v, sizeof v) == 0 || Fail(errno);
}

long TcpSocket::Send(const void* data, size_t size) {
  ssize_t n;
  do {
    n = ::send(fd_, data, size, MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    Fail(errno, true);
    return -1;
  }
  return static_cast<long>(n);
}

long TcpSocket::Receive(void* data, size_t size, bool non_blocking) {
  ssize_t n;
  do {
    n = ::recv(fd_, data, size, non_blocking ? MSG_DONTWAIT : 0);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    Fail(errno, !non_blocking);
    return -1;
  }
  return static_cast<long>(n);
}

long TcpSocket::Peek(void* data, size_t size) {
  ssize_t n;
  do {
    n = ::recv(fd_, data, size, MSG_PEEK | MSG_DONTWAIT);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    Fail(errno);
    return -1;
  }
  return static_cast<long>(n);
}

bool TcpSocket::WaitReadable(uint32_t timeout_ms) {
  pollfd p{fd_, POLLIN, 0};
  int n;
  do {
    n = ::poll(&p, 1, timeout_ms > INT32_MAX ? -1 : static_cast<int>(timeout_ms));
  } while (n < 0 && errno == EINTR);
  if (n < 0) return Fail(errno);
  return n > 0;
}

void TcpSocket::Shutdown() {
  if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
}

void TcpSocket::Close() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

bool TcpSocket::Listen(uint32_t address, uint16_t port, int backlog) {
  if (fd_ < 0 && !Create()) return false;
  int one = 1;
  setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = address;
  if (::bind(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) return Fail(errno);
  if (::listen(fd_, backlog) != 0) return Fail(errno);
  return true;
}

bool TcpSocket::Accept(TcpSocket& client) {
  int fd;
  do {
    fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return Fail(errno, true);
  client.Close();
  client.fd_ = fd;
  client.last_error_ = 0;
  return true;
}

uint16_t TcpSocket::LocalPort() const {
  sockaddr_in sa{};
  socklen_t len = sizeof sa;
  if (fd_ < 0 || getsockname(fd_, reinterpret_cast<sockaddr*>(&sa), &len) != 0) return 0;
  return ntohs(sa.sin_port);
}

}  // namespace bexa::platform
