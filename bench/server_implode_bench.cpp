// The import's implode (coding and dictionary chosen per file) on text and
// binary samples: speed as input bytes per second, and two counters:
//   ratio  - stream bytes / input bytes
//   greedy - stream bytes / the size a plain greedy parse would take in the
//            same coding and dictionary (longest match at every position,
//            taken when it costs fewer bits than its literals); below 1.10
//            is within 10% of what the format allows such a matcher.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "catalogue/implode_format.h"
#include "server/importer.h"
#include "tests/catalogue/dcl_samples.h"

namespace {

using namespace bexa;

constexpr size_t kSampleBytes = 2 << 20;

uint32_t LiteralBits(dcl::Coding coding, uint8_t byte) {
  return 1 + (coding == dcl::kAscii ? dcl::kAsciiBits[byte] : 8);
}

uint32_t CopyBits(uint32_t length, uint32_t distance, uint32_t dict_bits) {
  const uint32_t value = length - 2;
  int s = 15;
  while (dcl::kLengthBase[s] > value) --s;
  const uint32_t low = length == 2 ? 2 : dict_bits;
  const uint32_t symbol = (distance - 1) >> low;
  return 1 + dcl::kLengthBits[s] + dcl::kLengthExtra[s] + dcl::kDistanceBits[symbol] + low;
}

// Bytes of a greedy parse of `data` (header and end code included).
size_t GreedySize(const std::string& data, dcl::Coding coding, uint32_t dict_bits) {
  const size_t window = size_t{1} << (6 + dict_bits);
  constexpr size_t kHashSize = 1 << 16;
  std::vector<int64_t> head(kHashSize, -1), prev(data.size(), -1);
  auto hash = [&](size_t i) {
    return (uint8_t(data[i]) << 8 ^ uint8_t(data[i + 1]) << 4 ^ uint8_t(data[i + 2])) & (kHashSize - 1);
  };
  auto insert = [&](size_t i) {
    if (i + 2 < data.size()) {
      const size_t h = hash(i);
      prev[i] = head[h];
      head[h] = static_cast<int64_t>(i);
    }
  };
  uint64_t bits = 0;
  size_t i = 0;
  while (i < data.size()) {
    uint32_t best_len = 0, best_dist = 0;
    if (i + 2 < data.size()) {
      for (int64_t j = head[hash(i)]; j >= 0 && i - size_t(j) <= window; j = prev[j]) {
        uint32_t len = 0;
        while (len < dcl::kMaxCopy && i + len < data.size() && data[j + len] == data[i + len]) ++len;
        if (len > best_len) best_len = len, best_dist = uint32_t(i - j);
        if (len == dcl::kMaxCopy) break;
      }
    }
    // Length 2 reaches 256 bytes back at most.
    if (best_len < 3 && i + 1 < data.size()) {
      best_len = 0;
      for (size_t d = 1; d <= std::min<size_t>(256, i); ++d)
        if (data[i - d] == data[i] && data[i - d + 1] == data[i + 1]) {
          best_len = 2, best_dist = uint32_t(d);
          break;
        }
    }
    uint32_t literal_bits = 0;
    for (uint32_t k = 0; k < best_len; ++k) literal_bits += LiteralBits(coding, uint8_t(data[i + k]));
    if (best_len >= 2 && CopyBits(best_len, best_dist, dict_bits) < literal_bits) {
      bits += CopyBits(best_len, best_dist, dict_bits);
      for (uint32_t k = 0; k < best_len; ++k) insert(i + k);
      i += best_len;
    } else {
      bits += LiteralBits(coding, uint8_t(data[i]));
      insert(i);
      ++i;
    }
  }
  bits += 1 + dcl::kLengthBits[15] + dcl::kLengthExtra[15];  // the end code
  return 2 + (bits + 7) / 8;
}

void Run(benchmark::State& state, const std::string& data) {
  std::string stream;
  for (auto _ : state) {
    stream = server::ImplodeData(data);
    benchmark::DoNotOptimize(stream.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
  const auto coding = static_cast<dcl::Coding>(uint8_t(stream[0]));
  const uint32_t dict_bits = uint8_t(stream[1]);
  state.counters["ratio"] = double(stream.size()) / double(data.size());
  state.counters["greedy"] = double(stream.size()) / double(GreedySize(data, coding, dict_bits));
}

void BM_ImportImplodeText(benchmark::State& state) {
  static const std::string data = testing::SampleText(kSampleBytes);
  Run(state, data);
}
void BM_ImportImplodeBinary(benchmark::State& state) {
  static const std::string data = testing::SampleBinary(kSampleBytes);
  Run(state, data);
}
BENCHMARK(BM_ImportImplodeText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportImplodeBinary)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
