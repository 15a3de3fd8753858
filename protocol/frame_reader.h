// Receiving one frame from a byte stream: the header, then the body read
// straight into buffers of a bounded size, then the session cipher's
// decryption. Works on any byte source, so it is tested and fuzzed without a
// socket.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "protocol/pdu_buffer.h"
#include "protocol/session_cipher.h"

namespace bexa::protocol {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // One receive of up to `size` bytes: the count (>0), 0 when the peer
  // closed the stream, or -1 on failure (Error() then tells the WinSock code).
  // non_blocking: fail with 10035 at once when nothing is waiting.
  virtual long Receive(uint8_t* data, size_t size, bool non_blocking) = 0;
  virtual int Error() const = 0;
};

// The largest receive buffer ever used, whatever the setting says: a frame
// header may announce up to 2 GiB, and no more than this is committed before
// the bytes that fill it arrive.
constexpr size_t kReceiveBufferCeiling = 16u << 20;

// Clamps a configured receive buffer size to 1..kReceiveBufferCeiling.
size_t ReceiveBufferSize(long long configured);

// Receive buffers kept for reuse by one connection: a large body buffer
// handed back after its PDU was consumed serves the next body, so that a
// stream of File data does not fault fresh pages in for every block.
class ReceiveBufferPool {
 public:
  static constexpr size_t kMaxKept = 4;
  static constexpr size_t kSmallestKept = 64 * 1024;

  // A buffer whose content will be `size` bytes: a kept one when one is
  // large enough, else a new one. False when memory cannot be had.
  bool Take(size_t size, PduBuffer& out);
  // Takes the buffers of a consumed chain back (small ones are dropped).
  void Give(PduChain&& chain);

 private:
  std::vector<PduBuffer> kept_;
};

struct ReceivedFrame {
  PduChain body;
  bool would_block = false;  // the would-block form found nothing waiting
  int socket_error = 0;      // WinSock code of a failure (10054 for a closed stream)
};

// Receives one frame (see the transport's receive rules). `cipher` is null
// while encryption is off. `would_block_form` makes only the very first
// receive non-blocking. Returns kStatusOk (also with would_block set),
// kStatusDecodeError for a bad header (before any body byte is read),
// kStatusReceiveFailed or kStatusDecryptFailed.
// `pool` (optional) supplies the body buffers.
int ReceiveFrame(ByteSource& source, SessionCipher* cipher, size_t max_buffer,
                 bool would_block_form, ReceivedFrame& out, ReceiveBufferPool* pool = nullptr);

}  // namespace bexa::protocol
