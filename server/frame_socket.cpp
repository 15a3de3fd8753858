#include "server/frame_socket.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "protocol/pdu_codec.h"
#include "protocol/pdu_format.h"

namespace bexa::server {
namespace {

constexpr size_t kReceiveBufferSize = 64 * 1024;

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

const char* FrameStatusText(FrameStatus status) {
  switch (status) {
    case FrameStatus::kOk: return "ok";
    case FrameStatus::kClosed: return "closed by the peer";
    case FrameStatus::kTimeout: return "time-out";
    case FrameStatus::kMalformed: return "malformed frame";
    case FrameStatus::kFailed: return "socket failure";
  }
  return "?";
}

FrameSocket::FrameSocket(int fd) : fd_(fd) {
  int one = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

FrameSocket::~FrameSocket() { ::close(fd_); }

void FrameSocket::InstallCipher(std::unique_ptr<CryptoProvider> cipher) {
  cipher_ = std::move(cipher);
}

void FrameSocket::Shutdown() {
  std::lock_guard lock(shutdown_mutex_);
  shut_down_ = true;
  ::shutdown(fd_, SHUT_RDWR);
}

FrameStatus FrameSocket::ReadExact(uint8_t* dest, size_t n, int64_t deadline_ms) {
  while (n > 0) {
    const int64_t left = deadline_ms - NowMs();
    if (left <= 0) return FrameStatus::kTimeout;
    pollfd p{fd_, POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(left));
    if (r == 0) return FrameStatus::kTimeout;
    if (r < 0) {
      if (errno == EINTR) continue;
      return FrameStatus::kFailed;
    }
    const ssize_t got = ::recv(fd_, dest, n, 0);
    if (got == 0) return FrameStatus::kClosed;
    if (got < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return errno == ECONNRESET ? FrameStatus::kClosed : FrameStatus::kFailed;
    }
    dest += got;
    n -= static_cast<size_t>(got);
  }
  return FrameStatus::kOk;
}

FrameStatus FrameSocket::Receive(protocol::PduChain& body, int timeout_ms) {
  body.Clear();
  const int64_t deadline = NowMs() + timeout_ms;
  uint8_t header[protocol::kFrameHeaderSize];
  FrameStatus s = ReadExact(header, sizeof header, deadline);
  if (s != FrameStatus::kOk) return s;
  if (cipher_) cipher_->DecryptBlocks(header, sizeof header);
  protocol::FrameHeader h;
  protocol::PduCodec::ReadFrameHeader(header, sizeof header, h);
  if (!protocol::PduCodec::AcceptableHeader(h) || h.body_length > kMaxBodyLength)
    return FrameStatus::kMalformed;
  // Buffers are filled as bytes arrive, so a header that claims a large body
  // costs nothing until the body really comes.
  size_t left = h.body_length;
  while (left > 0) {
    protocol::PduBuffer buffer;
    const size_t n = std::min(left, kReceiveBufferSize);
    if (!buffer.Allocate(n)) return FrameStatus::kFailed;
    s = ReadExact(buffer.data(), n, deadline);
    if (s != FrameStatus::kOk) return s;
    buffer.SetWritePos(n);
    // Each buffer but the last is a multiple of every block size, so
    // transforming buffer by buffer keeps the grid of the whole body.
    if (cipher_) cipher_->DecryptBlocks(buffer.data(), static_cast<uint32_t>(n));
    body.Append(std::move(buffer));
    left -= n;
  }
  return FrameStatus::kOk;
}

FrameStatus FrameSocket::WriteAll(const uint8_t* bytes, size_t n, int timeout_ms) {
  while (n > 0) {
    pollfd p{fd_, POLLOUT, 0};
    const int r = ::poll(&p, 1, timeout_ms);
    if (r == 0) return FrameStatus::kTimeout;
    if (r < 0) {
      if (errno == EINTR) continue;
      return FrameStatus::kFailed;
    }
    const ssize_t sent = ::send(fd_, bytes, n, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return errno == EPIPE || errno == ECONNRESET ? FrameStatus::kClosed : FrameStatus::kFailed;
    }
    bytes += sent;
    n -= static_cast<size_t>(sent);
  }
  return FrameStatus::kOk;
}

FrameStatus FrameSocket::Send(protocol::PduChain& frame, std::span<const uint8_t> payload,
                              int timeout_ms) {
  for (size_t i = 0; i < frame.BufferCount(); ++i) {
    auto content = frame.Buffer(i).Content();
    if (cipher_ && !content.empty())
      cipher_->EncryptBlocks(content.data(), static_cast<uint32_t>(content.size()));
    FrameStatus s = WriteAll(content.data(), content.size(), timeout_ms);
    if (s != FrameStatus::kOk) return s;
  }
  if (!payload.empty()) return WriteAll(payload.data(), payload.size(), timeout_ms);
  return FrameStatus::kOk;
}

}  // namespace bexa::server
