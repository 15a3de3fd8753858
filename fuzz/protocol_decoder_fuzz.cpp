// Fuzz target for the two parts of the protocol that face the network: the
// body decoder and the frame reader. Any input must end in a decoded PDU or
// a status, never in a crash, a hang or an unbounded allocation.
//
// Input: byte 0 picks the mode and the version text, byte 1 a buffer split
// or arrival size, the rest is the stream.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "protocol/frame_reader.h"
#include "protocol/pdu_catalogue.h"
#include "protocol/pdu_codec.h"
#include "protocol/transport_status.h"

namespace {

using namespace bexa::protocol;

const char16_t* const kVersions[] = {u"", u"2.50", u"3.50", u"5.01", u"6.01", u"7.0", u"10.0", u"7.1"};

class XorCipher : public SessionCipher {
 public:
  size_t BlockSize() const override { return 8; }
  bool EncryptRange(uint8_t* d, size_t n) override { return Apply(d, n); }
  bool DecryptRange(uint8_t* d, size_t n) override { return Apply(d, n); }

 private:
  static bool Apply(uint8_t* d, size_t n) {
    if (n % 8 != 0) abort();  // the transport must hand over whole blocks only
    for (size_t i = 0; i < n; ++i) d[i] ^= static_cast<uint8_t>(0xA5 + i % 8);
    return true;
  }
};

class FuzzSource : public ByteSource {
 public:
  FuzzSource(const uint8_t* data, size_t size, size_t chunk)
      : data_(data), size_(size), chunk_(chunk == 0 ? 1 : chunk) {}
  long Receive(uint8_t* out, size_t n, bool) override {
    size_t k = n < chunk_ ? n : chunk_;
    if (k > size_ - pos_) k = size_ - pos_;
    memcpy(out, data_ + pos_, k);
    pos_ += k;
    return static_cast<long>(k);
  }
  int Error() const override { return 10054; }

 private:
  const uint8_t* data_;
  size_t size_, pos_ = 0, chunk_;
};

PduChain ChainOf(const uint8_t* data, size_t size, size_t cut) {
  PduChain chain;
  if (cut > size) cut = size;
  PduBuffer a, b;
  a.Allocate(cut);
  a.Append(data, cut);
  b.Allocate(size - cut);
  b.Append(data + cut, size - cut);
  chain.Append(std::move(a));
  chain.Append(std::move(b));
  return chain;
}

std::vector<uint8_t> BodyOf(const PduChain& frame) {
  std::vector<uint8_t> all = frame.Bytes();
  return std::vector<uint8_t>(all.begin() + 8, all.end());
}

// A decoded PDU re-encodes into a body that decodes again to the same encoding.
void CheckRoundTrip(int type, const PduValues& values, const char16_t* version) {
  if (type == kPduFdta) return;
  PduChain first;
  if (!PduCodec::Encode(type, values, version, first)) abort();
  std::vector<uint8_t> body = BodyOf(first);
  PduChain again = ChainOf(body.data(), body.size(), body.size() / 2);
  PduValues back;
  int back_type;
  if (!PduCodec::Decode(again, version, back, back_type) || back_type != type) abort();
  PduChain second;
  if (!PduCodec::Encode(type, back, version, second)) abort();
  std::vector<uint8_t> body2 = BodyOf(second);
  PduChain third = ChainOf(body2.data(), body2.size(), 0);
  PduValues back2;
  if (!PduCodec::Decode(third, version, back2, back_type)) abort();
  PduChain fourth;
  PduCodec::Encode(type, back2, version, fourth);
  if (fourth.Bytes() != second.Bytes()) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t mode = data[0];
  const size_t knob = data[1];
  const char16_t* version = kVersions[mode & 7];
  data += 2;
  size -= 2;

  if ((mode & 0x80) == 0) {
    // The body decoder, with the body split across two buffers.
    PduChain chain = ChainOf(data, size, knob % (size + 1));
    PduValues values;
    int type;
    if (PduCodec::Decode(chain, version, values, type)) CheckRoundTrip(type, values, version);
    return 0;
  }

  // The frame reader on a stream that arrives `knob` bytes at a time, with
  // small receive buffers so that bodies span several of them.
  FuzzSource source(data, size, knob);
  XorCipher cipher;
  const bool encrypted = (mode & 0x40) != 0;
  static constexpr size_t kBufferSizes[] = {1, 3, 8, 16, 37, 100, 260, 262188};
  const size_t max_buffer = kBufferSizes[(mode >> 3) & 7];
  for (int frames = 0; frames < 8; ++frames) {
    ReceivedFrame frame;
    int status = ReceiveFrame(source, encrypted ? &cipher : nullptr, max_buffer, false, frame);
    if (status != kStatusOk) break;
    PduValues values;
    int type;
    if (!PduCodec::Decode(frame.body, version, values, type)) break;
  }
  return 0;
}
