#include "restore/stream_decipher.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>
#include <vector>

#include "restore/block_queue.h"

namespace bexa {
namespace {

// A toy 16-byte block cipher that marks each block with its own checksum, so
// that a block deciphered twice, not at all, or off the grid shows.
bool ToyDecipher(uint8_t* data, size_t length) {
  for (size_t b = 0; b < length; b += 16)
    for (size_t i = 0; i < 16; ++i) data[b + i] ^= static_cast<uint8_t>(0xA5 + i);
  return true;
}

std::vector<uint8_t> Decipher(std::vector<uint8_t> stream, const std::vector<size_t>& cuts) {
  StreamDecipher d(16, ToyDecipher);
  std::vector<uint8_t> out;
  // The pieces are read only after each call returns, as the writer does.
  std::vector<std::pair<const uint8_t*, size_t>> pieces;
  auto sink = [&](const uint8_t* p, size_t n) {
    pieces.emplace_back(p, n);
    return true;
  };
  auto drain = [&] {
    for (auto [p, n] : pieces) out.insert(out.end(), p, p + n);
    pieces.clear();
  };
  size_t pos = 0;
  for (size_t i = 0; pos < stream.size(); ++i) {
    size_t n = std::min(cuts[i % cuts.size()], stream.size() - pos);
    EXPECT_TRUE(d.Feed(stream.data() + pos, n, sink));
    drain();
    pos += n;
  }
  EXPECT_TRUE(d.Feed(nullptr, 0, sink));  // an empty last block
  EXPECT_TRUE(d.Finish(sink));
  drain();
  return out;
}

TEST(StreamDecipher, ResultDoesNotDependOnHowTheStreamWasCut) {
  std::vector<uint8_t> plain(5000 + 7);
  for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<uint8_t>(i * 31 + 7);
  std::vector<uint8_t> stream = plain;
  ToyDecipher(stream.data(), stream.size() - stream.size() % 16);  // the toy is its own inverse

  std::mt19937 rng(42);
  std::vector<size_t> random_cuts;
  for (int i = 0; i < 200; ++i) random_cuts.push_back(1 + rng() % 100);
  for (const auto& cuts : std::vector<std::vector<size_t>>{
           {1}, {7}, {15}, {16}, {17}, {2047}, {4096}, {100000}, random_cuts}) {
    EXPECT_EQ(Decipher(stream, cuts), plain) << "first cut " << cuts[0];
  }
}

TEST(StreamDecipher, CipherFailureStops) {
  StreamDecipher d(16, [](uint8_t*, size_t) { return false; });
  uint8_t buf[32] = {};
  EXPECT_FALSE(d.Feed(buf, 32, [](const uint8_t*, size_t) { return true; }));
  EXPECT_TRUE(d.cipher_failed());
}

TEST(BlockQueue, HandsBlocksOverInOrderAndHoldsBackPressure) {
  BlockQueue q;
  constexpr size_t kBlock = 1 << 20;
  constexpr int kBlocks = 100;
  std::thread receiver([&] {
    for (int i = 0; i < kBlocks; ++i) {
      auto buf = std::shared_ptr<uint8_t[]>(new uint8_t[kBlock]);
      buf[0] = static_cast<uint8_t>(i);
      q.Push({buf, buf.get(), kBlock}, i == kBlocks - 1);
    }
  });
  DataBlock b;
  int n = 0;
  while (q.Pop(b)) {
    EXPECT_EQ(b.data[0], static_cast<uint8_t>(n));
    ++n;
    if (n % 10 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));  // a slow disk
  }
  receiver.join();
  EXPECT_EQ(n, kBlocks);
  // The receiver stops at the high-water mark: one block over it at most.
  EXPECT_LE(q.PeakBytes(), BlockQueue::kHighWaterBytes + kBlock);
}

TEST(BlockQueue, FinishWakesAWaitingWriter) {
  BlockQueue q;
  std::thread t([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    q.Finish();
  });
  DataBlock b;
  EXPECT_FALSE(q.Pop(b));
  t.join();
}

}  // namespace
}  // namespace bexa
