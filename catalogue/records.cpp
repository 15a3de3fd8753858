#include "catalogue/records.h"

#include <algorithm>

#include "catalogue/archive_reader.h"
#include "catalogue/archive_writer.h"
#include "util/dates.h"

namespace bexa {
namespace {

bool Earlier(const DateTime& a, const DateTime& b) {
  return a.IsValid() && b.IsValid() && a.ole() < b.ole();
}

template <typename T>
std::unique_ptr<ArchiveObject> Create() {
  return std::make_unique<T>();
}

constexpr RecordClass kClasses[] = {
    {"CActionItem", 1, Create<CActionItem>},
    {"CArchiveData", 1, Create<CArchiveData>},
    {"CArchiveFileList", 1, Create<CArchiveFileList>},
    {"CFilter", 1, Create<CFilter>},
    {"CFilterList", 1, Create<CFilterList>},
    {"COleDateTimeList", 1, Create<COleDateTimeList>},
    {"CRolloutFile", 1, Create<CRolloutFile>},
    {"CSelectedFileObject", 1, Create<CSelectedFileObject>},
};

constexpr uint64_t kDateBytes = 12;

}  // namespace

const RecordClass* FindRecordClass(std::string_view name) {
  for (const RecordClass& c : kClasses) {
    if (name == c.name) return &c;
  }
  return nullptr;
}

// --- COleDateTimeList

int COleDateTimeList::Add(const DateTime& date, bool unique) {
  if (unique && std::find(dates_.begin(), dates_.end(), date) != dates_.end()) return 0;
  dates_.push_back(date);
  return 1;
}

void COleDateTimeList::Sort() {
  const bool all_valid =
      std::all_of(dates_.begin(), dates_.end(), [](const DateTime& d) { return d.IsValid(); });
  if (all_valid) {
    // The same order as the neighbour-swapping insertion sort, without its
    // quadratic time on long lists.
    std::stable_sort(dates_.begin(), dates_.end(), Earlier);
    return;
  }
  for (size_t i = 1; i < dates_.size(); ++i) {
    for (size_t j = i; j > 0 && Earlier(dates_[j], dates_[j - 1]); --j) std::swap(dates_[j], dates_[j - 1]);
  }
}

int COleDateTimeList::FindFirstNotEarlier(const DateTime& date, DateTime& found) {
  Sort();
  for (const DateTime& d : dates_) {
    if (!Earlier(d, date)) {
      found = d;
      return 1;
    }
  }
  found = DateTime::Null();
  return 0;
}

void COleDateTimeList::Read(ArchiveReader& ar) {
  dates_.clear();
  if (ar.ReadU32() != kFormatVersion) return;
  const uint32_t count = ar.ReadU32();
  ar.CheckCount(count, kDateBytes);
  dates_.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const DateTime d = ar.ReadDateTime();
    if (d.IsValid()) dates_.push_back(d);
  }
}

void COleDateTimeList::Write(ArchiveWriter& ar) {
  Sort();
  ar.WriteU32(kFormatVersion);
  ar.WriteU32(static_cast<uint32_t>(dates_.size()));
  for (const DateTime& d : dates_) ar.WriteDateTime(d);
}

// --- CRolloutFile

std::vector<int64_t> CRolloutFile::ReadSizes(ArchiveReader& ar, bool wide) {
  const uint32_t count = ar.ReadU32();
  ar.CheckCount(count, wide ? 8 : 4);
  std::vector<int64_t> sizes(count);
  for (int64_t& s : sizes) s = wide ? ar.ReadI64() : ar.ReadI32();
  return sizes;
}

void CRolloutFile::Read(ArchiveReader& ar) {
  *this = CRolloutFile();
  format_version_ = ar.ReadU32();
  switch (format_version_) {
    case kOldestFormatVersion: {
      first_value_ = ar.ReadU32();
      present_ = ar.ReadU32();
      const uint32_t count = ar.ReadU32();
      ar.CheckCount(count, 8);
      sizes_.reserve(count);
      for (uint32_t i = 0; i < count; ++i) {
        const int32_t seconds = ar.ReadI32();
        backup_dates_.Add(DateTime::FromUnixTime(seconds));
        sizes_.push_back(ar.ReadI32());
      }
      break;
    }
    case 2:
      first_value_ = ar.ReadU32();
      present_ = ar.ReadU32();
      backup_dates_.Read(ar);
      sizes_ = ReadSizes(ar, false);
      break;
    case 3:
    case 4:
      first_value_ = ar.ReadU32();
      present_ = ar.ReadU32();
      extra_date_ = ar.ReadDateTime();
      second_value_ = ar.ReadU32();
      backup_dates_.Read(ar);
      modified_dates_.Read(ar);
      sizes_ = ReadSizes(ar, format_version_ == 4);
      break;
    default:
      break;
  }
}

void CRolloutFile::ApplyExtraDateRule() {
  DateTime found;
  if (extra_date_.IsValid() && backup_dates_.FindFirstNotEarlier(extra_date_, found))
    extra_date_ = DateTime::Null();
}

void CRolloutFile::Write(ArchiveWriter& ar) {
  ApplyExtraDateRule();
  ar.WriteU32(kFormatVersion);
  ar.WriteU32(first_value_);
  ar.WriteU32(present_);
  ar.WriteDateTime(extra_date_);
  ar.WriteU32(second_value_);
  backup_dates_.Write(ar);
  modified_dates_.Write(ar);
  ar.WriteU32(static_cast<uint32_t>(sizes_.size()));
  for (int64_t s : sizes_) ar.WriteI64(s);
}

void CRolloutFile::AddVersion(int64_t size, const DateTime& backup, const DateTime& modified) {
  sizes_.push_back(size);
  backup_dates_.Add(backup);
  modified_dates_.Add(modified);
  present_ = 1;
  ApplyExtraDateRule();
}

void CRolloutFile::AddVersion(int64_t size, std::u16string_view backup,
                              std::u16string_view modified) {
  DateTime b, m;
  ParseProtocolDate(backup, b);
  ParseProtocolDate(modified, m);
  AddVersion(size, b, m);
}

void CRolloutFile::RemoveFirstVersion() {
  if (backup_dates_.Count() > 0) backup_dates_.RemoveAt(0);
  if (modified_dates_.Count() > 0) modified_dates_.RemoveAt(0);
  if (!sizes_.empty()) sizes_.erase(sizes_.begin());
}

bool CRolloutFile::SizeOfVersion(const DateTime& backup, int64_t& size) const {
  const auto& dates = backup_dates_.dates();
  for (size_t i = 0; i < dates.size() && i < sizes_.size(); ++i) {
    if (dates[i] == backup) {
      size = sizes_[i];
      return true;
    }
  }
  return false;
}

// --- CSelectedFileObject

void CSelectedFileObject::Read(ArchiveReader& ar) {
  format_version = ar.ReadU32();
  if (format_version == 1) second_number = ar.ReadU32();
  text = ar.ReadText();
  first_number = ar.ReadU32();
  third_number = ar.ReadU32();
}

void CSelectedFileObject::Write(ArchiveWriter& ar) {
  ar.WriteU32(1);
  ar.WriteU32(second_number);
  ar.WriteText(text);
  ar.WriteU32(first_number);
  ar.WriteU32(third_number);
}

// --- Registered-only classes

void CFilter::Read(ArchiveReader& ar) {
  format_version = ar.ReadU32();
  kind = ar.ReadU32();
  flags = ar.ReadU32();
}

void CFilter::Write(ArchiveWriter& ar) {
  ar.WriteU32(format_version);
  ar.WriteU32(kind);
  ar.WriteU32(flags);
}

void CArchiveFileList::Read(ArchiveReader& ar) {
  items.clear();
  format_version = ar.ReadU32();
  if (format_version != 1 && format_version != 2) return;
  text = ar.ReadText();
  for (CFilterList& list : lists) list.Read(ar);
  if (format_version == 1) {
    const uint32_t count = ar.ReadU32();
    ar.CheckCount(count, 3);
    for (uint32_t i = 0; i < count; ++i) {
      Item item;
      item.a = ar.ReadU8();
      item.b = ar.ReadU8();
      item.text = ar.ReadText();
      items.push_back(std::move(item));
    }
  }
}

void CArchiveFileList::Write(ArchiveWriter& ar) {
  ar.WriteU32(format_version);
  if (format_version != 1 && format_version != 2) return;
  ar.WriteText(text);
  for (CFilterList& list : lists) list.Write(ar);
  if (format_version == 1) {
    ar.WriteU32(static_cast<uint32_t>(items.size()));
    for (const Item& item : items) {
      ar.WriteU8(item.a);
      ar.WriteU8(item.b);
      ar.WriteText(item.text);
    }
  }
}

void CArchiveData::Read(ArchiveReader& ar) {
  lists.clear();
  format_version = ar.ReadU32();
  if (format_version != 1) return;
  const uint32_t count = ar.ReadU32();
  ar.CheckCount(count, 4);
  for (uint32_t i = 0; i < count; ++i) {
    lists.emplace_back();
    lists.back().Read(ar);
  }
}

void CArchiveData::Write(ArchiveWriter& ar) {
  ar.WriteU32(format_version);
  if (format_version != 1) return;
  ar.WriteU32(static_cast<uint32_t>(lists.size()));
  for (CArchiveFileList& list : lists) list.Write(ar);
}

}  // namespace bexa
