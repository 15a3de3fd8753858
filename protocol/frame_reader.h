// Receiving one frame from a byte stream: the header, then the body read
// straight into buffers of a bounded size, then the session cipher's
// decryption. Works on any byte source, so it is tested and fuzzed without a
// socket.
#pragma once

#include <cstddef>
#include <cstdint>

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
int ReceiveFrame(ByteSource& source, SessionCipher* cipher, size_t max_buffer,
                 bool would_block_form, ReceivedFrame& out);

}  // namespace bexa::protocol
