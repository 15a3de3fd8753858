// The versions that the server keeps of one file, as the browse model and
// the selection read them, and the collections of a loaded volume. Every
// read of a version record goes through the functions below, so the record
// type stays in one place.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "util/datetime.h"

namespace bexa {

// One file's versions: three lists parallel by position (backup date,
// modification date, size), the present flag (the server's history list
// reported the file) and the extra date.
struct VersionRecord {
  int32_t present = 0;
  DateTime extra_date = DateTime::Null();
  std::vector<DateTime> backup_dates;        // ascending
  std::vector<DateTime> modification_dates;  // ascending
  std::vector<int64_t> sizes;                // in the order added
};

// A volume's catalogue contents: stored path -> the file's versions. The
// collection owns its records; file lists of the tree only point to them.
using VolumeCollection = std::map<std::u16string, std::unique_ptr<VersionRecord>>;

// One version as the list, the version box and the selection use it.
struct FileVersion {
  DateTime backup_date = DateTime::Null();
  DateTime modified_date = DateTime::Null();  // null when the record has none
  int64_t size = 0;
};

size_t VersionCount(const VersionRecord& record);
bool IsPresent(const VersionRecord& record);

// Appends a version and sets the present flag; the extra date becomes null
// when a backup date not earlier than it exists.
void AddVersion(VersionRecord& record, int64_t size, const DateTime& backup,
                const DateTime& modified);
void SetExtraDate(VersionRecord& record, const DateTime& date);
// Drops the first entry of each list.
void DropOldestVersion(VersionRecord& record);

// The newest backup date with the modification date and size of the
// version that has that backup date; nothing when the record has no
// version, or no size is found for that date.
std::optional<FileVersion> NewestVersion(const VersionRecord& record);

// At most `limit` versions, the newest first.
std::vector<FileVersion> NewestVersions(const VersionRecord& record, size_t limit);

// The oldest backup date (null without versions).
DateTime OldestBackupDate(const VersionRecord& record);

}  // namespace bexa
