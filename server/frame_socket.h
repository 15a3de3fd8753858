// One accepted client connection, moving whole frames: reads a frame header
// and body with a deadline, writes an encoded frame (and a File data
// payload), and applies the session cipher once it is installed.
//
// Cipher grid: both directions transform whole 8-byte-or-smaller cipher
// blocks counted from the first header byte, a tail shorter than a block
// staying clear; the File data payload after the 16 field bytes is never
// transformed. That is what the client's transport does, given that every
// buffer it encrypts except the last is a multiple of the block size.
#pragma once

#include <sys/uio.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "protocol/pdu_buffer.h"
#include "security/crypto_provider.h"

namespace bexa::server {

enum class FrameStatus {
  kOk,
  kClosed,     // the peer closed the stream (or it was shut down)
  kTimeout,    // nothing, or not the whole frame, within the time-out
  kMalformed,  // bad frame kind or body length
  kFailed,     // a socket call failed
};
const char* FrameStatusText(FrameStatus status);

class FrameSocket {
 public:
  // Bodies above this are refused as malformed: the client's requests are
  // small, and the memory of a connection stays bounded.
  static constexpr uint32_t kMaxBodyLength = 64u << 20;

  // Takes the socket; sets TCP_NODELAY (a frame that the client writes in
  // several pieces would otherwise wait for its delayed acknowledgement).
  explicit FrameSocket(int fd);
  ~FrameSocket();  // closes the socket
  FrameSocket(const FrameSocket&) = delete;
  FrameSocket& operator=(const FrameSocket&) = delete;

  // The cipher transforms every later frame in both directions.
  // REQUIRES: its block size divides 8.
  void InstallCipher(std::unique_ptr<CryptoProvider> cipher);
  bool Encrypted() const { return cipher_ != nullptr; }

  // Reads one frame within `timeout_ms` (counted from the call) and leaves
  // its deciphered body in `body`, in buffers of at most 64 KiB.
  FrameStatus Receive(protocol::PduChain& body, int timeout_ms);

  // Sends the frame's buffers (enciphered in place) and then `payload`
  // unchanged. Each write waits at most `timeout_ms` for room.
  FrameStatus Send(protocol::PduChain& frame, std::span<const uint8_t> payload, int timeout_ms);

  // Wakes a blocked Receive or Send from another thread; later calls fail.
  void Shutdown();

 private:
  FrameStatus ReadExact(uint8_t* dest, size_t n, int64_t deadline_ms);
  FrameStatus WriteAll(std::vector<iovec>& pieces, int timeout_ms);

  int fd_;
  std::unique_ptr<CryptoProvider> cipher_;
  std::mutex shutdown_mutex_;
  bool shut_down_ = false;  // guarded by shutdown_mutex_
};

}  // namespace bexa::server
