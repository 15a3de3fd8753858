// The browse model at the scale of a large account: a volume of 200,000
// files in 5,000 folders (expanding it and building its folder nodes,
// selecting and deselecting it whole), and a folder of 20,000 files (filling
// the list, drawing the rows in view).
#include <benchmark/benchmark.h>

#include <memory>

#include "control/browse_model.h"
#include "control/browse_selection.h"
#include "util/text.h"

namespace bexa {
namespace {

constexpr int kTopFolders = 50, kSubFolders = 100, kFilesPerFolder = 40;  // 200,000 files
constexpr int kBigFolderFiles = 20000;

std::unique_ptr<VolumeCollection> LargeVolume(const std::u16string& volume) {
  auto collection = std::make_unique<VolumeCollection>();
  for (int t = 0; t < kTopFolders; ++t) {
    for (int s = 0; s < kSubFolders; ++s) {
      const std::u16string folder =
          volume + u"\\Top" + ToText(t) + u"\\Folder" + ToText(s) + u"\\";
      for (int f = 0; f < kFilesPerFolder; ++f) {
        auto record = std::make_unique<VersionRecord>();
        for (int v = 1; v <= 3; ++v)
          AddVersion(*record, 1000 * v + f, DateTime::FromParts(2024, v, 1 + f % 28, 10),
                     DateTime::FromParts(2023, v, 1, 9));
        (*collection)[folder + u"File" + ToText(f) + u".doc"] = std::move(record);
      }
    }
  }
  return collection;
}

std::unique_ptr<VolumeCollection> BigFolder(const std::u16string& volume) {
  auto collection = std::make_unique<VolumeCollection>();
  for (int f = 0; f < kBigFolderFiles; ++f) {
    auto record = std::make_unique<VersionRecord>();
    AddVersion(*record, f, DateTime::FromParts(2024, 1, 1 + f % 28, 10),
               DateTime::FromParts(2023, 1, 1, 9));
    (*collection)[volume + u"\\Big\\name" + ToText(f) + (f % 3 ? u".txt" : u".PDF")] =
        std::move(record);
  }
  return collection;
}

// Hands over a collection built before the timing starts.
class PreparedSource : public VolumeSource {
 public:
  std::unique_ptr<VolumeCollection> next;
  bool CatalogueExists(const std::u16string&) override { return true; }
  bool LoadCatalogue(const std::u16string&, VolumeCollection& collection) override {
    collection.swap(*next);
    return true;
  }
  bool AskFetch() override { return true; }
  bool FetchFromServer(const std::u16string&, VolumeCollection&) override { return false; }
};

struct Browser {
  SelectionSet selection;
  NoFileTypes no_types;
  CountingImageList small_images{24}, large_images{1};
  FileTypeTable types{no_types};
  PreparedSource source;
  BrowseModel model{selection, types, [](int) { return std::u16string(u"%s %s"); }};
  BrowseSelection ops{model, selection};
  NodeId volume = kNoNode;

  Browser() {
    types.Attach(&small_images, &large_images);
    model.SetSource(&source);
    VolumePlan plan;
    plan.computer = {{kKindLocalDisk, u"(C:)", u"\\\\PC1\\C", u"C:\\", 0, {}}};
    model.BuildTree(u"C:\\Temp", true, {}, plan);
    volume = model.node(model.computer()).children[0];
  }
};

void BM_ExpandLargeVolume(benchmark::State& state) {
  Browser b;
  for (auto _ : state) {
    state.PauseTiming();
    // A fresh model each time: a loaded volume would come from its map.
    auto fresh = std::make_unique<Browser>();
    fresh->source.next = LargeVolume(u"\\\\PC1\\C");
    state.ResumeTiming();
    benchmark::DoNotOptimize(fresh->model.ExpandVolume(fresh->volume));
    state.PauseTiming();
    fresh.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ExpandLargeVolume)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SelectAndDeselectLargeVolume(benchmark::State& state) {
  Browser b;
  b.source.next = LargeVolume(u"\\\\PC1\\C");
  b.model.ExpandVolume(b.volume);
  for (auto _ : state) {
    b.ops.ToggleTreeNode(b.volume);  // select everything
    if (b.selection.Count() != kTopFolders * kSubFolders * kFilesPerFolder)
      state.SkipWithError("not all files selected");
    b.ops.ToggleTreeNode(b.volume);  // and deselect it again
  }
  state.counters["files"] = kTopFolders * kSubFolders * kFilesPerFolder;
}
BENCHMARK(BM_SelectAndDeselectLargeVolume)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SelectLargeVolume(benchmark::State& state) {
  Browser b;
  b.source.next = LargeVolume(u"\\\\PC1\\C");
  b.model.ExpandVolume(b.volume);
  for (auto _ : state) {
    b.ops.ToggleTreeNode(b.volume);
    state.PauseTiming();
    b.ops.ToggleTreeNode(b.volume);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SelectLargeVolume)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FillListOf20000Files(benchmark::State& state) {
  Browser b;
  b.source.next = BigFolder(u"\\\\PC1\\C");
  b.model.ExpandVolume(b.volume);
  const NodeId big = b.model.FindChild(b.volume, u"Big");
  for (auto _ : state) {
    b.model.FillList(big);
    benchmark::DoNotOptimize(b.model.rows().size());
  }
}
BENCHMARK(BM_FillListOf20000Files)->Unit(benchmark::kMillisecond);

// The texts and check boxes of the 40 rows a page shows, with a quarter of
// the folder selected.
void BM_DrawRowsInView(benchmark::State& state) {
  Browser b;
  b.source.next = BigFolder(u"\\\\PC1\\C");
  b.model.ExpandVolume(b.volume);
  const NodeId big = b.model.FindChild(b.volume, u"Big");
  b.model.FillList(big);
  for (int row = 0; row < kBigFolderFiles; row += 4) {
    const FileVersion newest = b.model.RowVersions(row).front();
    b.selection.Add(BrowseModel::VersionKey(b.model.RowPath(row), newest.backup_date), newest.size,
                    0);
  }
  int first = 0;
  for (auto _ : state) {
    for (int row = first; row < first + 40; ++row) {
      for (int column = 0; column < 5; ++column) benchmark::DoNotOptimize(b.model.CellText(row, column));
      benchmark::DoNotOptimize(b.model.ListState(row));
    }
    first = (first + 40) % (kBigFolderFiles - 40);
  }
}
BENCHMARK(BM_DrawRowsInView)->Unit(benchmark::kMicrosecond);

// One click on a file row's check box in that folder: the set changes and
// the folder's state is derived again from all its files.
void BM_ClickOneRowOf20000(benchmark::State& state) {
  Browser b;
  b.source.next = BigFolder(u"\\\\PC1\\C");
  b.model.ExpandVolume(b.volume);
  b.model.FillList(b.model.FindChild(b.volume, u"Big"));
  for (auto _ : state) b.ops.ToggleListRows(123, {});
}
BENCHMARK(BM_ClickOneRowOf20000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace bexa

BENCHMARK_MAIN();
