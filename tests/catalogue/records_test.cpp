#include "catalogue/records.h"

#include <gtest/gtest.h>

#include <string>

#include "catalogue/archive_reader.h"
#include "catalogue/archive_writer.h"
#include "catalogue/catalogue_file.h"

namespace bexa {
namespace {

DateTime Day(int month, int day) { return DateTime::FromParts(2024, month, day); }

// Little-endian field bytes, for hand-made records.
struct Bytes {
  std::string s;
  Bytes& U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
    return *this;
  }
  Bytes& I64(int64_t v) {
    for (int i = 0; i < 8; ++i) s.push_back(static_cast<char>(static_cast<uint64_t>(v) >> (8 * i)));
    return *this;
  }
  Bytes& Date(const DateTime& d) {
    ArchiveWriter w;
    w.WriteDateTime(d);
    s += w.bytes();
    return *this;
  }
  Bytes& List(std::initializer_list<DateTime> dates) {
    U32(1).U32(static_cast<uint32_t>(dates.size()));
    for (const DateTime& d : dates) Date(d);
    return *this;
  }
};

CRolloutFile ReadRecord(const std::string& fields) {
  MemorySource src(fields);
  ArchiveReader ar(src);
  CRolloutFile r;
  r.Read(ar);
  EXPECT_EQ(ar.Remaining(), 0u);
  return r;
}

TEST(CRolloutFile, ReadsTheOldestFormat) {
  Bytes b;
  b.U32(0xFFFFFFFF).U32(5).U32(1).U32(2);
  b.U32(86400).U32(0xFFFFFFFE);  // 2 January 1970, size -2
  b.U32(0).U32(7);
  CRolloutFile r = ReadRecord(b.s);
  EXPECT_EQ(r.first_value(), 5u);
  EXPECT_EQ(r.present(), 1u);
  EXPECT_EQ(r.sizes(), (std::vector<int64_t>{-2, 7}));
  ASSERT_EQ(r.backup_dates().Count(), 2u);
  EXPECT_EQ(r.backup_dates().At(0).ole(), DateTime::FromUnixTime(86400).ole());
  EXPECT_EQ(r.modified_dates().Count(), 0u);
  EXPECT_EQ(r.extra_date().status(), DateTime::Status::kNull);
}

TEST(CRolloutFile, ReadsVersionTwoWithoutModifiedOrExtraDates) {
  Bytes b;
  b.U32(2).U32(0).U32(1).List({Day(1, 1), Day(1, 2)}).U32(2).U32(0x80000000u).U32(3);
  CRolloutFile r = ReadRecord(b.s);
  EXPECT_EQ(r.sizes(), (std::vector<int64_t>{-2147483648LL, 3}));
  EXPECT_EQ(r.backup_dates().Count(), 2u);
  EXPECT_EQ(r.modified_dates().Count(), 0u);
  EXPECT_EQ(r.extra_date().status(), DateTime::Status::kNull);
}

TEST(CRolloutFile, ReadsVersionsThreeAndFour) {
  for (uint32_t version : {3u, 4u}) {
    Bytes b;
    b.U32(version).U32(9).U32(1).Date(Day(5, 1)).U32(11).List({Day(1, 1)}).List({Day(2, 1)}).U32(1);
    if (version == 3) {
      b.U32(0xFFFFFFFF);
    } else {
      b.I64(-1);
    }
    CRolloutFile r = ReadRecord(b.s);
    EXPECT_EQ(r.format_version(), version);
    EXPECT_EQ(r.second_value(), 11u);
    EXPECT_EQ(r.extra_date().ole(), Day(5, 1).ole());
    EXPECT_EQ(r.sizes(), (std::vector<int64_t>{-1}));
    EXPECT_EQ(r.modified_dates().At(0).ole(), Day(2, 1).ole());
  }
}

TEST(CRolloutFile, UnknownVersionLeavesTheRecordEmpty) {
  CRolloutFile r = ReadRecord(Bytes().U32(7).s);
  EXPECT_EQ(r.format_version(), 7u);
  EXPECT_TRUE(r.sizes().empty());
  EXPECT_EQ(r.present(), 0u);
}

TEST(CRolloutFile, WritingNullsAnExtraDateNotAfterTheNewestBackup) {
  struct Case {
    DateTime extra;
    DateTime::Status stored;
  } cases[] = {
      {Day(5, 1), DateTime::Status::kNull},   // backup of 3 May is not earlier
      {Day(5, 4), DateTime::Status::kValid},  // every backup is earlier
  };
  for (const Case& c : cases) {
    CRolloutFile r;
    r.SetExtraDate(c.extra);
    r.backup_dates().Add(Day(5, 3));
    r.backup_dates().Add(Day(4, 1));
    ArchiveWriter w;
    r.Write(w);
    MemorySource src(w.bytes());
    ArchiveReader ar(src);
    CRolloutFile back;
    back.Read(ar);
    EXPECT_EQ(back.extra_date().status(), c.stored);
    EXPECT_EQ(back.backup_dates().At(0).ole(), Day(4, 1).ole());  // sorted on writing
  }
}

TEST(CRolloutFile, AddVersionSetsPresentAndAppliesTheExtraDateRule) {
  CRolloutFile r;
  r.SetExtraDate(Day(6, 1));
  r.AddVersion(10, Day(5, 1), Day(4, 1));
  EXPECT_EQ(r.extra_date().status(), DateTime::Status::kValid);
  r.AddVersion(20, u"20240602120000", u"20240601000000");
  EXPECT_EQ(r.present(), 1u);
  EXPECT_EQ(r.extra_date().status(), DateTime::Status::kNull);
  int64_t size = 0;
  EXPECT_TRUE(r.SizeOfVersion(DateTime::FromParts(2024, 6, 2, 12), size));
  EXPECT_EQ(size, 20);
  r.RemoveFirstVersion();
  EXPECT_EQ(r.sizes(), (std::vector<int64_t>{20}));
  EXPECT_EQ(r.backup_dates().Count(), 1u);
  EXPECT_FALSE(r.SizeOfVersion(Day(5, 1), size));
}

TEST(COleDateTimeList, OtherVersionReadsEmptyAndLeavesTheArchiveOutOfStep) {
  // Entry "a" is a version 2 record whose backup list has version 5: the
  // list reads nothing more, its count is taken as the size count and its
  // date as sizes and the next key. Entry "b" is never reached intact.
  Bytes a;
  a.U32(2).U32(0).U32(1).U32(5).U32(1).Date(Day(1, 1));
  Bytes b;
  b.U32(2).U32(0).U32(1).List({Day(1, 1)}).U32(1).U32(42);
  const std::string file = std::string("\x02\x00\x01" "a" "\xFF\xFF\x01\x00\x0C\x00", 10) +
                           "CRolloutFile" + a.s + "\x01" "b" + std::string("\x01\x80", 2) + b.s;
  MemorySource src(file);
  Catalogue c;
  EXPECT_TRUE(LoadCatalogue(src, c));
  ASSERT_TRUE(c.count(u"a"));
  EXPECT_EQ(c[u"a"]->backup_dates().Count(), 0u);
  EXPECT_EQ(c[u"a"]->sizes(), (std::vector<int64_t>{0}));
  EXPECT_FALSE(c.count(u"b"));
}

TEST(COleDateTimeList, LoadingSkipsDatesThatAreNotValid) {
  Bytes b;
  b.List({Day(1, 1), DateTime::Null(), DateTime::Invalid(), Day(1, 2)});
  MemorySource src(b.s);
  ArchiveReader ar(src);
  COleDateTimeList list;
  list.Read(ar);
  EXPECT_EQ(list.Count(), 2u);
}

TEST(COleDateTimeList, UniqueAddSortAndSearch) {
  COleDateTimeList list;
  EXPECT_EQ(list.Add(Day(3, 1)), 1);
  EXPECT_EQ(list.Add(Day(1, 1)), 1);
  EXPECT_EQ(list.Add(Day(3, 1), true), 0);
  EXPECT_EQ(list.Add(Day(3, 1)), 1);
  EXPECT_EQ(list.Add(Day(2, 1), true), 1);
  DateTime found;
  EXPECT_EQ(list.FindFirstNotEarlier(Day(1, 15), found), 1);
  EXPECT_EQ(found.ole(), Day(2, 1).ole());
  EXPECT_EQ(list.At(0).ole(), Day(1, 1).ole());
  EXPECT_EQ(list.FindFirstNotEarlier(Day(4, 1), found), 0);
  EXPECT_EQ(found.status(), DateTime::Status::kNull);
}

TEST(COleDateTimeList, InvalidDatesStayWhereTheyAre) {
  // An invalid date is neither earlier nor later: neighbours never swap
  // across it.
  COleDateTimeList list;
  list.Add(Day(3, 1));
  list.Add(DateTime::Invalid());
  list.Add(Day(1, 1));
  list.Add(Day(2, 1));
  list.Sort();
  EXPECT_EQ(list.At(0).ole(), Day(3, 1).ole());
  EXPECT_FALSE(list.At(1).IsValid());
  EXPECT_EQ(list.At(2).ole(), Day(1, 1).ole());
  EXPECT_EQ(list.At(3).ole(), Day(2, 1).ole());
}

TEST(CSelectedFileObject, RoundTripAndVersionRule) {
  CSelectedFileObject s;
  s.second_number = 2;
  s.text = u"\\\\PC1\\C\\a:20240101000000";
  s.first_number = 1;
  s.third_number = 3;
  ArchiveWriter w;
  s.Write(w);
  {
    MemorySource src(w.bytes());
    ArchiveReader ar(src);
    CSelectedFileObject back;
    back.Read(ar);
    EXPECT_EQ(back.second_number, 2u);
    EXPECT_EQ(back.text, s.text);
    EXPECT_EQ(back.third_number, 3u);
  }
  // Version 2: no second number.
  Bytes b;
  b.U32(2);
  b.s += std::string("\x01" "x", 2);
  b.U32(8).U32(9);
  MemorySource src(b.s);
  ArchiveReader ar(src);
  CSelectedFileObject back;
  back.Read(ar);
  EXPECT_EQ(back.text, u"x");
  EXPECT_EQ(back.first_number, 8u);
  EXPECT_EQ(back.third_number, 9u);
}

TEST(RecordClasses, RegisteredByExactName) {
  for (const char* name : {"CActionItem", "CArchiveData", "CArchiveFileList", "CFilter",
                           "CFilterList", "COleDateTimeList", "CRolloutFile", "CSelectedFileObject"}) {
    const RecordClass* c = FindRecordClass(name);
    ASSERT_NE(c, nullptr) << name;
    EXPECT_STREQ(c->create()->ClassName(), name);
    EXPECT_EQ(c->schema, 1);
  }
  EXPECT_EQ(FindRecordClass("crolloutfile"), nullptr);
  EXPECT_EQ(FindRecordClass("CObject"), nullptr);
}

}  // namespace
}  // namespace bexa
