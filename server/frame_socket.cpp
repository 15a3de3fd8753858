#include "server/frame_socket.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <limits.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <chrono>
#include <vector>

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

// Reads first and waits only when nothing is there: in a request and answer
// exchange the bytes have mostly arrived, and a poll before every read would
// double the system calls per PDU.
FrameStatus FrameSocket::ReadExact(uint8_t* dest, size_t n, int64_t deadline_ms) {
  while (n > 0) {
    const ssize_t got = ::recv(fd_, dest, n, MSG_DONTWAIT);
    if (got > 0) {
      dest += got;
      n -= static_cast<size_t>(got);
      continue;
    }
    if (got == 0) return FrameStatus::kClosed;
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK)
      return errno == ECONNRESET ? FrameStatus::kClosed : FrameStatus::kFailed;
    const int64_t left = deadline_ms - NowMs();
    if (left <= 0) return FrameStatus::kTimeout;
    pollfd p{fd_, POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(left));
    if (r == 0) return FrameStatus::kTimeout;
    if (r < 0 && errno != EINTR) return FrameStatus::kFailed;
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

// Sends the pieces with as few calls as the socket allows (one, as a rule),
// waiting only when its buffer is full.
FrameStatus FrameSocket::WriteAll(std::vector<iovec>& pieces, int timeout_ms) {
  size_t first = 0;
  while (first < pieces.size()) {
    msghdr message{};
    message.msg_iov = pieces.data() + first;
    message.msg_iovlen = std::min<size_t>(pieces.size() - first, IOV_MAX);
    const ssize_t sent = ::sendmsg(fd_, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0) {
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK)
        return errno == EPIPE || errno == ECONNRESET ? FrameStatus::kClosed : FrameStatus::kFailed;
      pollfd p{fd_, POLLOUT, 0};
      const int r = ::poll(&p, 1, timeout_ms);
      if (r == 0) return FrameStatus::kTimeout;
      if (r < 0 && errno != EINTR) return FrameStatus::kFailed;
      continue;
    }
    for (size_t done = static_cast<size_t>(sent); done > 0 && first < pieces.size();) {
      iovec& v = pieces[first];
      const size_t take = std::min(done, v.iov_len);
      v.iov_base = static_cast<uint8_t*>(v.iov_base) + take;
      v.iov_len -= take;
      done -= take;
      if (v.iov_len == 0) ++first;
    }
  }
  return FrameStatus::kOk;
}

FrameStatus FrameSocket::Send(protocol::PduChain& frame, std::span<const uint8_t> payload,
                              int timeout_ms) {
  std::vector<iovec> pieces;
  pieces.reserve(frame.BufferCount() + 1);
  for (size_t i = 0; i < frame.BufferCount(); ++i) {
    auto content = frame.Buffer(i).Content();
    if (content.empty()) continue;
    if (cipher_) cipher_->EncryptBlocks(content.data(), static_cast<uint32_t>(content.size()));
    pieces.push_back({content.data(), content.size()});
  }
  // The payload is only read: sendmsg takes no writable memory, the cast
  // merely fits iovec.
  if (!payload.empty())
    pieces.push_back({const_cast<uint8_t*>(payload.data()), payload.size()});
  return WriteAll(pieces, timeout_ms);
}

}  // namespace bexa::server
