#include "protocol/frame_reader.h"

#include <algorithm>

#include "platform/socket.h"
#include "protocol/pdu_catalogue.h"
#include "protocol/pdu_codec.h"
#include "protocol/pdu_format.h"
#include "protocol/transport_status.h"

namespace bexa::protocol {
namespace {

// Fills data[0, size) from `done` on; false with the error recorded.
bool Fill(ByteSource& source, uint8_t* data, size_t size, size_t done, ReceivedFrame& out) {
  while (done < size) {
    long n = source.Receive(data + done, size - done, false);
    if (n <= 0) {
      out.socket_error = n == 0 ? platform::kWsaConnectionReset : source.Error();
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool ReceiveBufferPool::Take(size_t size, PduBuffer& out) {
  for (size_t i = 0; i < kept_.size(); ++i) {
    if (kept_[i].capacity() >= size && kept_[i].capacity() <= 2 * size) {
      out = std::move(kept_[i]);
      kept_.erase(kept_.begin() + static_cast<std::ptrdiff_t>(i));
      out.Reset();
      return true;
    }
  }
  return out.Allocate(size);
}

void ReceiveBufferPool::Give(PduChain&& chain) {
  for (size_t i = 0; i < chain.BufferCount() && kept_.size() < kMaxKept; ++i) {
    if (chain.Buffer(i).capacity() >= kSmallestKept) kept_.push_back(std::move(chain.Buffer(i)));
  }
  chain.Clear();
}

size_t ReceiveBufferSize(long long configured) {
  if (configured < 1) return 1;
  return static_cast<size_t>(std::min<long long>(configured, kReceiveBufferCeiling));
}

int ReceiveFrame(ByteSource& source, SessionCipher* cipher, size_t max_buffer,
                 bool would_block_form, ReceivedFrame& out, ReceiveBufferPool* pool) {
  out.body.Clear();
  out.would_block = false;
  out.socket_error = 0;
  max_buffer = std::clamp<size_t>(max_buffer, 1, kReceiveBufferCeiling);

  uint8_t header[kFrameHeaderSize];
  size_t done = 0;
  if (would_block_form) {
    long n = source.Receive(header, sizeof header, true);
    if (n < 0 && source.Error() == platform::kWsaWouldBlock) {
      out.would_block = true;
      return kStatusOk;
    }
    if (n <= 0) {
      out.socket_error = n == 0 ? platform::kWsaConnectionReset : source.Error();
      return kStatusReceiveFailed;
    }
    done = static_cast<size_t>(n);
  }
  if (!Fill(source, header, sizeof header, done, out)) return kStatusReceiveFailed;
  if (cipher && !DecryptWholeBlocks(*cipher, header, sizeof header)) return kStatusDecryptFailed;

  FrameHeader h;
  PduCodec::ReadFrameHeader(header, sizeof header, h);
  if (!PduCodec::AcceptableHeader(h)) return kStatusDecodeError;

  // Each buffer is allocated only when the previous one is full, so an
  // announced length commits at most one buffer ahead of the bytes.
  size_t left = h.body_length;
  while (left > 0) {
    PduBuffer buffer;
    const size_t size = std::min(left, max_buffer);
    if (!(pool ? pool->Take(size, buffer) : buffer.Allocate(size))) {
      out.body.Clear();
      return kStatusReceiveFailed;
    }
    if (!Fill(source, buffer.data(), size, 0, out)) {
      out.body.Clear();
      return kStatusReceiveFailed;
    }
    buffer.SetWritePos(size);
    out.body.Append(std::move(buffer));
    left -= size;
  }

  if (cipher) {
    const size_t total = h.body_length;
    const size_t fields = std::min(total, kFileDataFieldBytes);
    if (!DecryptChainRange(*cipher, out.body, 0, fields)) return kStatusDecryptFailed;
    // The payload after the field part of File data is left to the file
    // cipher of the restore; everything else is deciphered here, on a block
    // grid counted from the 17th byte whatever the buffer sizes.
    if (out.body.Buffer(0).data()[0] != kPduFdta &&
        !DecryptChainRange(*cipher, out.body, fields, total)) {
      return kStatusDecryptFailed;
    }
  }
  return kStatusOk;
}

}  // namespace bexa::protocol
