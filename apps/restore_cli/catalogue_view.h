// What bexa-restore knows of the account: its volumes and, fetched on
// demand, the file histories of each, with the look-ups that turn a stored
// path into selection entries and a listing.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "apps/restore_cli/options.h"
#include "restore/selection_entry.h"
#include "session/file_histories.h"

namespace bexa::cli {

struct VolumeFiles {
  std::u16string volume;    // \\PC1\C
  std::u16string computer;  // the name it was backed up under
  std::vector<FileHistoryRecord> files;
};

// The volume of a stored path among the account's volumes (letter case
// ignored), or nullptr.
const std::pair<const std::u16string, std::u16string>* FindVolume(
    const std::map<std::u16string, std::u16string>& volumes, const std::u16string& path);

// The newest version of a file (by backup date), or nullptr.
const FileVersionInfo* NewestVersion(const FileHistoryRecord& file);

// The entries a stored path selects: the file at the given version (the
// newest when none is given), or every file below a folder at its newest
// version plus the folder's own entry. Empty with `error` set when nothing
// matches.
std::vector<SelectionEntry> SelectPath(const VolumeFiles& volume, const StoredPath& path,
                                       std::string& error);

// The listing of a stored path: its sub-folders and files, each file with
// its versions (newest first). `thousands` groups the sizes.
std::string ListPath(const VolumeFiles& volume, const std::u16string& path,
                     std::u16string_view thousands);

}  // namespace bexa::cli
