// Small catalogue fixtures for the browse and selection tests: volumes
// described as stored paths with their versions, a volume source that
// serves them, and a recording view.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "control/browse_model.h"
#include "control/browse_selection.h"
#include "lang/kvo_lang.h"
#include "util/text.h"

namespace bexa::testing {

// The English texts of the language library.
inline std::u16string EnglishText(int id) {
  std::u16string buffer(kKvolBufferSize, u'\0');
  KVOL_get(id, buffer.data());
  return std::u16string(buffer.c_str());
}

// A date of day `day` of January 2024 at 10:00.
inline DateTime Day(int day) { return DateTime::FromParts(2024, 1, day, 10, 0, 0); }

// One file: its stored path and (backup day, size) per version, ascending.
struct FixtureFile {
  std::u16string path;
  std::vector<std::pair<int, int64_t>> versions;
};

inline std::unique_ptr<VolumeCollection> MakeCollection(const std::vector<FixtureFile>& files) {
  auto collection = std::make_unique<VolumeCollection>();
  for (const FixtureFile& f : files) {
    auto record = std::make_unique<VersionRecord>();
    for (auto [day, size] : f.versions) AddVersion(*record, size, Day(day), Day(day));
    record->present = 1;
    (*collection)[f.path] = std::move(record);
  }
  return collection;
}

class FakeSource : public VolumeSource {
 public:
  // Catalogues by catalogue path, server lists by volume key.
  std::map<std::u16string, std::vector<FixtureFile>> catalogues, server;
  std::vector<bool> fetch_answers;  // answers to question 1158, in order; default yes
  int questions = 0, fetches = 0, loads = 0;

  bool CatalogueExists(const std::u16string& path) override { return catalogues.count(path) > 0; }
  bool LoadCatalogue(const std::u16string& path, VolumeCollection& collection) override {
    ++loads;
    collection = std::move(*MakeCollection(catalogues.at(path)));
    return true;
  }
  bool AskFetch() override {
    const bool yes = static_cast<size_t>(questions) < fetch_answers.size()
                         ? fetch_answers[static_cast<size_t>(questions)]
                         : true;
    ++questions;
    return yes;
  }
  bool FetchFromServer(const std::u16string& key, VolumeCollection& collection) override {
    ++fetches;
    auto it = server.find(key);
    if (it == server.end()) return false;
    collection = std::move(*MakeCollection(it->second));
    return true;
  }
};

// A model with a computer holding C: (\\PC1\C) and D: (\\PC1\D), and a
// network computer PC2 with shares D and E.
struct BrowseFixture {
  SelectionSet selection;
  FileTypeTable types;
  FakeSource source;
  BrowseModel model{selection, types, EnglishText};
  BrowseSelection ops{model, selection};
  NodeId c = kNoNode, d = kNoNode, pc2 = kNoNode;

  BrowseFixture() {
    model.SetSource(&source);
    VolumePlan plan;
    plan.computer = {{kKindLocalDisk, u"(C:)", u"\\\\PC1\\C", u"C:\\", 1000, {}},
                     {kKindLocalDisk, u"(D:)", u"\\\\PC1\\D", u"D:\\", 1000, {}}};
    plan.network = {{kKindNetworkComputer,
                     u"PC2",
                     u"\\\\PC2",
                     u"PC2",
                     kNoSize,
                     {{kKindNetworkShare, u"D", u"D", u"D", kNoSize, {}},
                      {kKindNetworkShare, u"E", u"E", u"E", kNoSize, {}}}}};
    model.BuildTree(u"C:\\Temp", true, {}, plan);
    c = model.FindChild(model.computer(), u"\\\\PC1\\C");
    d = model.FindChild(model.computer(), u"\\\\PC1\\D");
    pc2 = model.FindChild(model.network(), u"\\\\PC2");
  }

  NodeId Folder(NodeId from, std::initializer_list<const char16_t*> names) {
    NodeId n = from;
    for (const char16_t* name : names) n = model.FindChild(n, name);
    return n;
  }
  int RowOf(const std::u16string& name) const {
    for (size_t i = 0; i < model.rows().size(); ++i)
      if (model.rows()[i].item.display_name == name) return static_cast<int>(i);
    return -1;
  }
};

}  // namespace bexa::testing
