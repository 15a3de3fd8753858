// Expander and encoder speed. Explode figures are bytes of output per
// second, with a memcpy of the same output size as the reference of the
// same run. BEXA_BENCH_TEXT may name a text file to use instead of the
// built-in English-like sample.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/explode.h"
#include "catalogue/implode.h"
#include "tests/catalogue/dcl_samples.h"

namespace {

using namespace bexa;

constexpr size_t kSampleBytes = 8 << 20;

const std::string& Text() {
  static const std::string text = [] {
    if (const char* path = std::getenv("BEXA_BENCH_TEXT")) {
      std::ifstream f(path, std::ios::binary);
      std::stringstream ss;
      ss << f.rdbuf();
      std::string s = ss.str();
      if (!s.empty()) {
        std::string big;
        while (big.size() < kSampleBytes) big += s;
        return big;
      }
    }
    return testing::SampleText(kSampleBytes);
  }();
  return text;
}

const std::string& Binary() {
  static const std::string binary = testing::SampleBinary(kSampleBytes);
  return binary;
}

struct Source {
  const std::string* input;
  size_t pos;
  size_t written;
};

unsigned Read(char* buffer, unsigned* size, void* param) {
  auto* s = static_cast<Source*>(param);
  const size_t n = std::min<size_t>(*size, s->input->size() - s->pos);
  std::memcpy(buffer, s->input->data() + s->pos, n);
  s->pos += n;
  return static_cast<unsigned>(n);
}

void Write(char* buffer, unsigned* size, void* param) {
  benchmark::DoNotOptimize(buffer);
  static_cast<Source*>(param)->written += *size;
}

void ExplodeBench(benchmark::State& state, const std::string& data, dcl::Coding coding) {
  const std::string stream = Implode(data, coding, 6);
  ExplodeWorkArea work;
  for (auto _ : state) {
    Source src{&stream, 0, 0};
    const uint32_t result = Explode(Read, Write, &work, &src);
    if (result != 0 || src.written != data.size()) state.SkipWithError("explode failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
  state.counters["ratio_pct"] = 100.0 * stream.size() / data.size();
}

void BM_ExplodeTextBinaryCoding(benchmark::State& state) { ExplodeBench(state, Text(), dcl::kBinary); }
void BM_ExplodeTextAsciiCoding(benchmark::State& state) { ExplodeBench(state, Text(), dcl::kAscii); }
void BM_ExplodeBinaryData(benchmark::State& state) { ExplodeBench(state, Binary(), dcl::kBinary); }

void BM_MemcpyReference(benchmark::State& state) {
  const std::string& data = Text();
  std::vector<char> out(data.size());
  for (auto _ : state) {
    std::memcpy(out.data(), data.data(), data.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}

void ImplodeBench(benchmark::State& state, const std::string& data, dcl::Coding coding) {
  size_t size = 0;
  for (auto _ : state) {
    std::string stream = Implode(data, coding, 6);
    size = stream.size();
    benchmark::DoNotOptimize(stream.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
  state.counters["ratio_pct"] = 100.0 * size / data.size();
}

void BM_ImplodeTextAsciiCoding(benchmark::State& state) { ImplodeBench(state, Text(), dcl::kAscii); }
void BM_ImplodeTextBinaryCoding(benchmark::State& state) { ImplodeBench(state, Text(), dcl::kBinary); }
void BM_ImplodeBinaryData(benchmark::State& state) { ImplodeBench(state, Binary(), dcl::kBinary); }

BENCHMARK(BM_MemcpyReference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExplodeTextBinaryCoding)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExplodeTextAsciiCoding)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExplodeBinaryData)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImplodeTextAsciiCoding)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImplodeTextBinaryCoding)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImplodeBinaryData)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
