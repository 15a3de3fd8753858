// The serialisable record classes of catalogue files and of the selection
// and restore models. Each writes and reads its fields in a fixed order with
// its format version first; all have schema number 1.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "util/datetime.h"

namespace bexa {

class ArchiveReader;
class ArchiveWriter;

class ArchiveObject {
 public:
  virtual ~ArchiveObject() = default;
  virtual const char* ClassName() const = 0;
  uint16_t Schema() const { return 1; }
  // Reads the fields; throws ArchiveError (archive_reader.h).
  virtual void Read(ArchiveReader& ar) = 0;
  // Writing may first bring the record into its stored order (sorting).
  virtual void Write(ArchiveWriter& ar) = 0;
  virtual std::unique_ptr<ArchiveObject> Clone() const = 0;
};

// A registered class: the archive names it, the reader creates it.
struct RecordClass {
  const char* name;
  uint16_t schema;
  std::unique_ptr<ArchiveObject> (*create)();
};
// The class of that exact name, or null.
const RecordClass* FindRecordClass(std::string_view name);

template <typename T>
class Record : public ArchiveObject {
 public:
  std::unique_ptr<ArchiveObject> Clone() const override {
    return std::make_unique<T>(static_cast<const T&>(*this));
  }
};

// Dates in the order added; sorted ascending before writing and searching.
// "Earlier" holds only between two valid dates.
class COleDateTimeList : public Record<COleDateTimeList> {
 public:
  static constexpr uint32_t kFormatVersion = 1;
  const char* ClassName() const override { return "COleDateTimeList"; }
  // Reading skips dates whose status is not valid; a format version other
  // than 1 leaves the list empty and reads nothing more.
  void Read(ArchiveReader& ar) override;
  void Write(ArchiveWriter& ar) override;

  // Appends a copy; with `unique`, a date equal to one in the list is not
  // added and 0 is returned, otherwise 1.
  int Add(const DateTime& date, bool unique = false);
  size_t Count() const { return dates_.size(); }
  const DateTime& At(size_t i) const { return dates_[i]; }
  void RemoveAt(size_t i) { dates_.erase(dates_.begin() + static_cast<ptrdiff_t>(i)); }
  void Clear() { dates_.clear(); }
  // Sorts, then finds the first date not earlier than `date`. Returns 1 and
  // the date, or 0 and a null date.
  int FindFirstNotEarlier(const DateTime& date, DateTime& found);
  // Ascending; equal dates keep their order, invalid ones do not move past
  // others.
  void Sort();
  const std::vector<DateTime>& dates() const { return dates_; }

 private:
  std::vector<DateTime> dates_;
};

// The versions kept of one file: one catalogue entry.
class CRolloutFile : public Record<CRolloutFile> {
 public:
  static constexpr uint32_t kFormatVersion = 4;
  static constexpr uint32_t kOldestFormatVersion = 0xFFFFFFFFu;
  const char* ClassName() const override { return "CRolloutFile"; }
  // Reads format versions 0xFFFFFFFF, 2, 3 and 4; any other leaves the
  // record as a new one (keeping the version read).
  void Read(ArchiveReader& ar) override;
  // Writes format version 4, after the extra-date rule (see AddVersion).
  void Write(ArchiveWriter& ar) override;

  // Appends the version, sets the present flag, and nulls a valid extra date
  // when a backup date not earlier than it exists.
  void AddVersion(int64_t size, const DateTime& backup, const DateTime& modified);
  // The same with protocol date texts (an unreadable one adds an invalid date).
  void AddVersion(int64_t size, std::u16string_view backup, std::u16string_view modified);
  void SetExtraDate(const DateTime& date) { extra_date_ = date; }
  void SetExtraDateNull() { extra_date_ = DateTime::Null(); }
  // Drops the first entry of each of the three lists.
  void RemoveFirstVersion();
  // The size of the version whose backup date equals `backup`.
  bool SizeOfVersion(const DateTime& backup, int64_t& size) const;

  uint32_t format_version() const { return format_version_; }
  uint32_t first_value() const { return first_value_; }
  void set_first_value(uint32_t v) { first_value_ = v; }
  uint32_t present() const { return present_; }
  void set_present(uint32_t v) { present_ = v; }
  const DateTime& extra_date() const { return extra_date_; }
  uint32_t second_value() const { return second_value_; }
  void set_second_value(uint32_t v) { second_value_ = v; }
  COleDateTimeList& backup_dates() { return backup_dates_; }
  const COleDateTimeList& backup_dates() const { return backup_dates_; }
  COleDateTimeList& modified_dates() { return modified_dates_; }
  const COleDateTimeList& modified_dates() const { return modified_dates_; }
  const std::vector<int64_t>& sizes() const { return sizes_; }

 private:
  void ApplyExtraDateRule();
  std::vector<int64_t> ReadSizes(ArchiveReader& ar, bool wide);

  uint32_t format_version_ = kFormatVersion;
  uint32_t first_value_ = 0;
  uint32_t present_ = 0;
  DateTime extra_date_ = DateTime::Null();
  uint32_t second_value_ = 0;
  COleDateTimeList backup_dates_;
  COleDateTimeList modified_dates_;
  std::vector<int64_t> sizes_;
};

// One selected item of the selection model.
class CSelectedFileObject : public Record<CSelectedFileObject> {
 public:
  const char* ClassName() const override { return "CSelectedFileObject"; }
  void Read(ArchiveReader& ar) override;
  void Write(ArchiveWriter& ar) override;

  uint32_t format_version = 1;
  uint32_t first_number = 0;
  uint32_t second_number = 0;
  std::u16string text;
  uint32_t third_number = 0;
};

// A restore run's selection keys grouped by volume name (in memory only:
// nothing of it is stored in an archive).
class CActionItem : public Record<CActionItem> {
 public:
  const char* ClassName() const override { return "CActionItem"; }
  void Read(ArchiveReader&) override {}
  void Write(ArchiveWriter&) override {}

  void Add(const std::u16string& volume, const std::u16string& key) { keys_[volume].push_back(key); }
  // Volume names in ascending order, each once.
  const std::map<std::u16string, std::vector<std::u16string>>& volumes() const { return keys_; }

 private:
  std::map<std::u16string, std::vector<std::u16string>> keys_;
};

// Registered so that an archive may name them; no catalogue holds them.
class CFilterList : public Record<CFilterList> {
 public:
  const char* ClassName() const override { return "CFilterList"; }
  void Read(ArchiveReader&) override {}
  void Write(ArchiveWriter&) override {}
};

class CFilter : public Record<CFilter> {
 public:
  const char* ClassName() const override { return "CFilter"; }
  void Read(ArchiveReader& ar) override;
  void Write(ArchiveWriter& ar) override;

  uint32_t format_version = 1;
  uint32_t kind = 0;
  uint32_t flags = 0;
};

class CArchiveFileList : public Record<CArchiveFileList> {
 public:
  const char* ClassName() const override { return "CArchiveFileList"; }
  void Read(ArchiveReader& ar) override;
  void Write(ArchiveWriter& ar) override;

  struct Item {
    uint8_t a = 0;
    uint8_t b = 0;
    std::u16string text;
  };
  uint32_t format_version = 2;
  std::u16string text;
  CFilterList lists[5];
  std::vector<Item> items;  // format version 1 only
};

class CArchiveData : public Record<CArchiveData> {
 public:
  const char* ClassName() const override { return "CArchiveData"; }
  void Read(ArchiveReader& ar) override;
  void Write(ArchiveWriter& ar) override;

  uint32_t format_version = 1;
  std::vector<CArchiveFileList> lists;
};

}  // namespace bexa
