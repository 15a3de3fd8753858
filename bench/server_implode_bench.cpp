// The encoder on text and binary samples: speed as input bytes per second,
// and two counters:
//   ratio  - stream bytes / input bytes
//   greedy - stream bytes / the size a plain greedy parse would take in the
//            same coding and dictionary (longest match at every position,
//            taken when it costs fewer bits than its literals); below 1.10
//            is within 10% of what the format allows such a matcher.
// BM_Implode* run one coding (ASCII, dictionary bits 6); BM_ImportImplode*
// run the import's choice of coding and dictionary, which first tries all six
// on a sample. Besides the generated samples, real English prose (the
// licence texts of a Debian system) and this repository's C++ sources are
// measured when they can be found; the benchmark is skipped otherwise.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/implode.h"
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

// The files concatenated in the order given; files that cannot be read are
// left out.
std::string Concatenate(const std::vector<std::filesystem::path>& files) {
  std::string out;
  for (const auto& f : files) {
    std::ifstream in(f, std::ios::binary);
    std::ostringstream text;
    if (in && text << in.rdbuf()) out += text.str();
  }
  return out;
}

// Licence texts: plain English with the repeated phrases of real prose.
const std::string& Prose() {
  static const std::string text = [] {
    std::vector<std::filesystem::path> files;
    for (const char* name : {"GPL-3", "GPL-2", "LGPL-2.1", "Apache-2.0", "MPL-2.0", "GFDL-1.3", "Artistic"})
      files.push_back(std::filesystem::path("/usr/share/common-licenses") / name);
    return Concatenate(files);
  }();
  return text;
}

// The C++ sources of a few layers of this repository (or of the checkout
// that BEXA_SOURCE_DIR names), in path order.
const std::string& Source() {
  static const std::string text = [] {
    const char* dir = std::getenv("BEXA_SOURCE_DIR");
    const std::filesystem::path root = dir != nullptr ? dir : BEXA_SOURCE_DIR;
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const char* layer : {"catalogue", "protocol", "server", "restore"}) {
      for (const auto& e : std::filesystem::recursive_directory_iterator(root / layer, ec)) {
        const auto ext = e.path().extension();
        if (e.is_regular_file() && (ext == ".cpp" || ext == ".h")) files.push_back(e.path());
      }
    }
    std::sort(files.begin(), files.end());
    return Concatenate(files);
  }();
  return text;
}

template <typename Compress>
void Run(benchmark::State& state, const std::string& data, Compress compress) {
  if (data.empty()) {
    state.SkipWithError("sample not found");
    return;
  }
  std::string stream;
  for (auto _ : state) {
    stream = compress(data);
    benchmark::DoNotOptimize(stream.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
  const auto coding = static_cast<dcl::Coding>(uint8_t(stream[0]));
  const uint32_t dict_bits = uint8_t(stream[1]);
  state.counters["ratio"] = double(stream.size()) / double(data.size());
  state.counters["greedy"] = double(stream.size()) / double(GreedySize(data, coding, dict_bits));
}

std::string ImplodeAscii6(const std::string& data) { return Implode(data, dcl::kAscii, 6); }
std::string ImportImplode(const std::string& data) { return server::ImplodeData(data); }

const std::string& Text() {
  static const std::string data = testing::SampleText(kSampleBytes);
  return data;
}
const std::string& Binary() {
  static const std::string data = testing::SampleBinary(kSampleBytes);
  return data;
}

void BM_ImplodeText(benchmark::State& state) { Run(state, Text(), ImplodeAscii6); }
void BM_ImplodeProse(benchmark::State& state) { Run(state, Prose(), ImplodeAscii6); }
void BM_ImplodeSource(benchmark::State& state) { Run(state, Source(), ImplodeAscii6); }
void BM_ImportImplodeText(benchmark::State& state) { Run(state, Text(), ImportImplode); }
void BM_ImportImplodeProse(benchmark::State& state) { Run(state, Prose(), ImportImplode); }
void BM_ImportImplodeSource(benchmark::State& state) { Run(state, Source(), ImportImplode); }
void BM_ImportImplodeBinary(benchmark::State& state) { Run(state, Binary(), ImportImplode); }
BENCHMARK(BM_ImplodeText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImplodeProse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImplodeSource)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportImplodeText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportImplodeProse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportImplodeSource)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportImplodeBinary)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
