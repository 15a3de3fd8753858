#include "protocol/frame_reader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "loopback.h"
#include "pdu_test_util.h"
#include "platform/socket.h"
#include "protocol/pdu_codec.h"
#include "protocol/transport_status.h"

namespace bexa::protocol {
namespace {

using testing::Hex;
using testing::TestCipher;

// Hands out its bytes at most `chunk` at a time; then reports a closed
// stream (or "would block" before the first byte when asked to).
class MemorySource : public ByteSource {
 public:
  MemorySource(std::vector<uint8_t> bytes, size_t chunk = SIZE_MAX)
      : bytes_(std::move(bytes)), chunk_(chunk) {}
  long Receive(uint8_t* data, size_t size, bool non_blocking) override {
    ++calls;
    if (non_blocking && nothing_waiting) {
      error_ = platform::kWsaWouldBlock;
      return -1;
    }
    size_t n = std::min({size, chunk_, bytes_.size() - pos_});
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(pos_), n, data);
    pos_ += n;
    return static_cast<long>(n);
  }
  int Error() const override { return error_; }
  size_t consumed() const { return pos_; }
  bool nothing_waiting = false;
  int calls = 0;

 private:
  std::vector<uint8_t> bytes_;
  size_t chunk_;
  size_t pos_ = 0;
  int error_ = 0;
};

std::vector<uint8_t> Frame(const std::vector<uint8_t>& body) {
  std::vector<uint8_t> f(8 + body.size());
  const uint32_t n = static_cast<uint32_t>(body.size());
  f[0] = 2;
  for (int i = 0; i < 4; ++i) f[4 + i] = static_cast<uint8_t>(n >> (24 - 8 * i));
  std::copy(body.begin(), body.end(), f.begin() + 8);
  return f;
}

TEST(FrameReader, LargeBodyArrivesInBuffersOfTheMaximumSize) {
  std::vector<uint8_t> body(600000);
  for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<uint8_t>(i * 31 + 7);
  body[0] = 30;  // not File data: deciphered whole
  // The sender enciphers its frame on one grid from the header's first byte.
  std::vector<uint8_t> wire = Frame(body);
  TestCipher sender;
  EncryptWholeBlocks(sender, wire.data(), wire.size());

  MemorySource source(wire, 65536);
  TestCipher receiver;
  ReceivedFrame out;
  ASSERT_EQ(ReceiveFrame(source, &receiver, 262188, false, out), kStatusOk);
  ASSERT_EQ(out.body.BufferCount(), 3u);
  EXPECT_EQ(out.body.Buffer(0).Size(), 262188u);
  EXPECT_EQ(out.body.Buffer(1).Size(), 262188u);
  EXPECT_EQ(out.body.Buffer(2).Size(), 75624u);
  // Deciphered on the sender's grid although 262,188 is not a multiple of 8.
  EXPECT_EQ(out.body.Bytes(), body);
  EXPECT_EQ(receiver.decrypted, 8u + 600000u);
}

TEST(FrameReader, EveryArrivalPatternGivesTheSameBody) {
  const auto body = Hex("21 80 0e 01 61 30 04 00000000 16 04 00000007 00 00");
  for (size_t chunk = 1; chunk <= body.size() + 8; ++chunk) {
    for (size_t max_buffer : {1, 3, 8, 16, 1000}) {
      MemorySource source(Frame(body), chunk);
      ReceivedFrame out;
      ASSERT_EQ(ReceiveFrame(source, nullptr, max_buffer, false, out), kStatusOk);
      EXPECT_EQ(out.body.Bytes(), body);
      EXPECT_EQ(out.body.BufferCount(), (body.size() + max_buffer - 1) / max_buffer);
    }
  }
}

TEST(FrameReader, ShortStreamsFailWithAClosedConnection) {
  const auto frame = Frame(Hex("15 80 00 00"));
  for (size_t n = 0; n < frame.size(); ++n) {
    MemorySource source(std::vector<uint8_t>(frame.begin(), frame.begin() + n));
    ReceivedFrame out;
    EXPECT_EQ(ReceiveFrame(source, nullptr, 262188, false, out), kStatusReceiveFailed) << n;
    EXPECT_EQ(out.socket_error, 10054);
    EXPECT_TRUE(out.body.Empty());
  }
}

TEST(FrameReader, AnnouncedTwoGigabytesCommitOneBufferOnly) {
  // A header announcing 2 GiB - 1 followed by ten bytes and a closed stream.
  auto wire = Hex("02 00 00 00 7f ff ff ff");
  wire.resize(wire.size() + 10, 0xAB);
  MemorySource source(wire);
  ReceivedFrame out;
  EXPECT_EQ(ReceiveFrame(source, nullptr, 262188, false, out), kStatusReceiveFailed);
  // A configured buffer size beyond the ceiling is held to it.
  EXPECT_EQ(ReceiveBufferSize(0x7FFFFFFF), kReceiveBufferCeiling);
  EXPECT_EQ(ReceiveBufferSize(0), 1u);
  EXPECT_EQ(ReceiveBufferSize(-5), 1u);
  EXPECT_EQ(ReceiveBufferSize(262188), 262188u);
}

TEST(FrameReader, WouldBlockOnlyBeforeTheFirstByte) {
  MemorySource idle({});
  idle.nothing_waiting = true;
  ReceivedFrame out;
  EXPECT_EQ(ReceiveFrame(idle, nullptr, 100, true, out), kStatusOk);
  EXPECT_TRUE(out.would_block);
  EXPECT_EQ(idle.calls, 1);

  // Once the first bytes are there the rest is waited for, in small pieces.
  MemorySource slow(Frame(Hex("15 80 00 00")), 3);
  EXPECT_EQ(ReceiveFrame(slow, nullptr, 100, true, out), kStatusOk);
  EXPECT_FALSE(out.would_block);
  EXPECT_EQ(out.body.Bytes(), Hex("15 80 00 00"));
}

TEST(FrameReader, BadHeadersAreRejectedBeforeTheBody) {
  for (const char* header : {"03 00 00 00 00 00 00 04", "02 00 00 00 00 00 00 00",
                             "02 00 00 00 ff ff ff ff"}) {
    auto wire = Hex(header);
    wire.resize(wire.size() + 4, 0);
    MemorySource source(wire);
    ReceivedFrame out;
    EXPECT_EQ(ReceiveFrame(source, nullptr, 100, false, out), kStatusDecodeError) << header;
    EXPECT_EQ(source.consumed(), 8u) << header;
  }
}

TEST(FrameReader, ShortBodyUnderEncryption) {
  // A body shorter than 16 bytes: its whole blocks are deciphered, its tail not.
  const auto body = Hex("15 80 00 00 01 02 03 04 05 06 07");  // 11 bytes
  auto wire = Frame(body);
  TestCipher sender;
  EncryptWholeBlocks(sender, wire.data(), wire.size());
  MemorySource source(wire);
  TestCipher receiver;
  ReceivedFrame out;
  ASSERT_EQ(ReceiveFrame(source, &receiver, 4, false, out), kStatusOk);
  EXPECT_EQ(out.body.Bytes(), body);
  EXPECT_EQ(receiver.decrypted, 16u);
}

}  // namespace
}  // namespace bexa::protocol
