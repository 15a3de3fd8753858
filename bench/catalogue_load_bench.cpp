// Loading a catalogue of 1,000,000 entries with 3 versions each: time, peak
// resident memory and bytes per entry. The file is written first (streamed,
// so the writer adds little to the peak) into a temporary folder.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "catalogue/catalogue_file.h"
#include "platform/codepage.h"
#include "platform/drives.h"

namespace {

using namespace bexa;

constexpr int kEntries = 1000000;

std::string WriteSample(const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  ArchiveWriter w(ArchiveWriter::TextForm::kUnicode,
                  [&](std::string_view bytes) { out.write(bytes.data(), bytes.size()); });
  w.WriteMapCount(kEntries);
  char key[96];
  for (int i = 0; i < kEntries; ++i) {
    std::snprintf(key, sizeof(key), "\\\\PC1\\C\\Users\\someone\\Documents\\folder%04d\\file%07d.txt",
                  i / 1000, i);
    CRolloutFile r;
    for (int v = 0; v < 3; ++v) {
      r.AddVersion(1000 + i + v, DateTime::FromOle(45000.5 + v * 7 + i % 100),
                   DateTime::FromOle(44990.25 + v * 7 + i % 100));
    }
    w.WriteText(platform::Utf8ToWide(key));
    w.WriteObject(&r);
  }
  w.Flush();
  return path;
}

long PeakRssKb() {
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss;
}

void BM_LoadMillionEntries(benchmark::State& state) {
  const std::string dir = std::filesystem::temp_directory_path() / ("bexa-load-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = WriteSample(dir + "/filelist.vdb");
  const double file_mb = std::filesystem::file_size(path) / 1048576.0;
  const long rss_before = PeakRssKb();
  size_t loaded = 0;
  for (auto _ : state) {
    Catalogue catalogue;
    const bool ok = LoadCatalogue(platform::WindowsPathOf(path), catalogue);
    loaded = catalogue.size();
    if (!ok || loaded != kEntries) state.SkipWithError("load failed");
    state.PauseTiming();
    state.counters["peak_rss_mb"] = PeakRssKb() / 1024.0;
    catalogue.clear();
    state.ResumeTiming();
  }
  state.counters["rss_before_mb"] = rss_before / 1024.0;
  state.counters["bytes_per_entry"] =
      (PeakRssKb() - rss_before) * 1024.0 / static_cast<double>(kEntries);
  state.counters["file_mb"] = file_mb;
  std::filesystem::remove_all(dir);
}

BENCHMARK(BM_LoadMillionEntries)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
