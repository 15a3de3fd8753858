#include "control/version_record.h"

#include <algorithm>

namespace bexa {

size_t VersionCount(const VersionRecord& record) { return record.backup_dates.size(); }

bool IsPresent(const VersionRecord& record) { return record.present != 0; }

void AddVersion(VersionRecord& record, int64_t size, const DateTime& backup,
                const DateTime& modified) {
  record.sizes.push_back(size);
  record.backup_dates.push_back(backup);
  record.modification_dates.push_back(modified);
  record.present = 1;
  if (record.extra_date.IsValid()) {
    for (const DateTime& d : record.backup_dates) {
      if (d.IsValid() && !(d < record.extra_date)) {
        record.extra_date = DateTime::Null();
        break;
      }
    }
  }
}

void SetExtraDate(VersionRecord& record, const DateTime& date) { record.extra_date = date; }

void DropOldestVersion(VersionRecord& record) {
  if (!record.backup_dates.empty()) record.backup_dates.erase(record.backup_dates.begin());
  if (!record.modification_dates.empty())
    record.modification_dates.erase(record.modification_dates.begin());
  if (!record.sizes.empty()) record.sizes.erase(record.sizes.begin());
}

namespace {

// The date lists are kept ascending, as the record sorts them before every
// search; the versions are read from the end.
FileVersion VersionAt(const VersionRecord& record, size_t i) {
  FileVersion v;
  v.backup_date = record.backup_dates[i];
  if (i < record.modification_dates.size()) v.modified_date = record.modification_dates[i];
  v.size = i < record.sizes.size() ? record.sizes[i] : 0;
  return v;
}

}  // namespace

std::optional<FileVersion> NewestVersion(const VersionRecord& record) {
  if (record.backup_dates.empty()) return std::nullopt;
  size_t newest = 0;
  for (size_t i = 1; i < record.backup_dates.size(); ++i)
    if (record.backup_dates[newest] < record.backup_dates[i]) newest = i;
  if (newest >= record.sizes.size()) return std::nullopt;
  return VersionAt(record, newest);
}

std::vector<FileVersion> NewestVersions(const VersionRecord& record, size_t limit) {
  std::vector<FileVersion> out;
  for (size_t i = record.backup_dates.size(); i > 0 && out.size() < limit; --i)
    out.push_back(VersionAt(record, i - 1));
  return out;
}

DateTime OldestBackupDate(const VersionRecord& record) {
  if (record.backup_dates.empty()) return DateTime::Null();
  return *std::min_element(record.backup_dates.begin(), record.backup_dates.end());
}

}  // namespace bexa
