#include "catalogue/catalogue_file.h"

#include <vector>

#include "catalogue/archive_reader.h"

namespace bexa {
namespace {

// Counts the bytes handed to the reader, for the load report.
class CountingSource : public ByteSource {
 public:
  explicit CountingSource(ByteSource& inner) : inner_(inner) {}
  bool Read(void* data, size_t n, size_t& done) override {
    const bool ok = inner_.Read(data, n, done);
    delivered_ += done;
    return ok;
  }
  uint64_t Remaining() const override { return inner_.Remaining(); }
  uint64_t delivered() const { return delivered_; }

 private:
  ByteSource& inner_;
  uint64_t delivered_ = 0;
};

}  // namespace

bool LoadCatalogue(ByteSource& source, Catalogue& catalogue, CatalogueLoadReport* report) {
  CountingSource counting(source);
  ArchiveReader ar(counting);
  CatalogueLoadReport local;
  CatalogueLoadReport& r = report ? *report : local;
  r = CatalogueLoadReport();
  // Objects that left the map (replaced or skipped) stay alive until the end:
  // later entries may refer to them.
  std::vector<std::unique_ptr<ArchiveObject>> retired;
  bool ok = true;
  try {
    r.map_count = ar.ReadMapCount();
    for (uint32_t i = 0; i < r.map_count; ++i) {
      std::u16string key = ar.ReadText();
      std::unique_ptr<ArchiveObject> object = ar.ReadObject();
      ++r.entries_read;
      auto* record = dynamic_cast<CRolloutFile*>(object.get());
      if (record == nullptr) {
        ++r.entries_skipped;
        if (object) retired.push_back(std::move(object));
        continue;
      }
      object.release();
      auto it = catalogue.emplace_hint(catalogue.end(), std::move(key), nullptr);
      if (it->second) retired.push_back(std::move(it->second));
      it->second.reset(record);
    }
  } catch (const ArchiveError& e) {
    if (e.kind == ArchiveError::kFile) ok = false;
    r.format_error = e.kind == ArchiveError::kFormat;
  }
  r.stop_offset = counting.delivered() - (ar.Remaining() - counting.Remaining());
  return ok;
}

bool LoadCatalogue(std::u16string_view path, Catalogue& catalogue, CatalogueLoadReport* report) {
  FileSource file;
  if (!file.Open(path)) {
    if (report) *report = CatalogueLoadReport();
    return false;
  }
  return LoadCatalogue(file, catalogue, report);
}

std::u16string CataloguePath(std::u16string_view item_path, std::u16string_view catalogue_folder) {
  std::u16string path(catalogue_folder);
  if (!item_path.empty()) path.append(item_path.substr(1));
  path += (!path.empty() && path.back() == u'\\') ? u"filelist.vdb" : u"\\filelist.vdb";
  return path;
}

void WriteCatalogue(ArchiveWriter& writer, Catalogue& catalogue) {
  writer.WriteMapCount(static_cast<uint32_t>(catalogue.size()));
  for (auto& [key, record] : catalogue) {
    writer.WriteText(key);
    writer.WriteObject(record.get());
  }
}

}  // namespace bexa
