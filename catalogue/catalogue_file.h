// The per-volume catalogue file filelist.vdb: one map from each file's
// stored path to its version record, in the object archive format.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "catalogue/archive_writer.h"
#include "catalogue/byte_source.h"
#include "catalogue/records.h"

namespace bexa {

// Keys in ascending order of their UTF-16 code units.
using Catalogue = std::map<std::u16string, std::unique_ptr<CRolloutFile>>;

// Where a load stopped, for tools that report damaged files.
struct CatalogueLoadReport {
  bool format_error = false;  // reading stopped at a malformed or cut item
  uint32_t map_count = 0;     // the count the file announced
  uint32_t entries_read = 0;  // entries completed before reading stopped
  uint32_t entries_skipped = 0;  // completed entries whose object was not a version record
  uint64_t stop_offset = 0;   // bytes consumed when reading stopped (approximate at errors)
};

// Fills `catalogue` from the archive in `source`. A format error (the data
// ends inside an item, an unknown class, a wrong schema, a tag naming nothing
// earlier) keeps the entries completed before it and still succeeds; a read
// failure of the source fails, also keeping what was read. A later entry with
// the same key replaces the earlier one. Entries whose object is missing or
// not a version record are read and left out of the map.
bool LoadCatalogue(ByteSource& source, Catalogue& catalogue, CatalogueLoadReport* report = nullptr);
// The same for a file given by its Windows path; fails when it cannot be
// opened.
bool LoadCatalogue(std::u16string_view path, Catalogue& catalogue,
                   CatalogueLoadReport* report = nullptr);

// The catalogue file of a volume: the folder, the item path without its first
// character, then "\filelist.vdb" ("filelist.vdb" after a trailing "\").
// \\PC1\C in C:\Temp gives C:\Temp\PC1\C\filelist.vdb.
std::u16string CataloguePath(std::u16string_view item_path,
                             std::u16string_view catalogue_folder = u"C:\\Temp");

// Writes the whole map (tools and tests; the restore client never does).
// Records are brought into their stored order first (see CRolloutFile::Write).
void WriteCatalogue(ArchiveWriter& writer, Catalogue& catalogue);

}  // namespace bexa
