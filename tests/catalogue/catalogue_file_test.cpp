#include "catalogue/catalogue_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "catalogue/archive_reader.h"
#include "catalogue/archive_writer.h"
#include "tests/support/temp_home.h"
#include "util/text.h"

namespace bexa {
namespace {

using TextForm = ArchiveWriter::TextForm;

DateTime Day(int month, int day) { return DateTime::FromParts(2024, month, day, 12, 0, 0); }

std::unique_ptr<CRolloutFile> Versions(int n, int64_t size = 100) {
  auto r = std::make_unique<CRolloutFile>();
  for (int i = 0; i < n; ++i) r->AddVersion(size + i, Day(1, 1 + i), Day(2, 1 + i));
  return r;
}

std::string CatalogueBytes(Catalogue& c, TextForm form = TextForm::kUnicode) {
  ArchiveWriter w(form);
  WriteCatalogue(w, c);
  return w.bytes();
}

Catalogue Load(const std::string& bytes, bool expect_ok = true) {
  MemorySource src(bytes);
  Catalogue c;
  EXPECT_EQ(LoadCatalogue(src, c), expect_ok);
  return c;
}

// The bytes of one entry (key and a new-class or known-class record) as a
// writer continuing `w` would produce them.
Catalogue ThreeEntries() {
  Catalogue c;
  c[u"\\\\PC1\\C\\a.txt"] = Versions(1);
  c[u"\\\\PC1\\C\\b.txt"] = Versions(2);
  c[u"\\\\PC1\\C\\c.txt"] = Versions(3);
  return c;
}

TEST(LoadCatalogue, EmptyMap) {
  for (const std::string& bytes : {std::string("\0\0", 2), std::string("\xFF\xFF\0\0\0\0", 6)}) {
    MemorySource src(bytes);
    Catalogue c;
    EXPECT_TRUE(LoadCatalogue(src, c));
    EXPECT_TRUE(c.empty());
  }
}

TEST(LoadCatalogue, RoundTripKeepsEveryField) {
  Catalogue c;
  auto r = Versions(3, -5);
  r->set_first_value(77);
  r->set_second_value(0xFFFFFFFF);
  r->SetExtraDate(Day(9, 1));
  c[u"\\\\PC1\\C\\caf\u00e9 \u20ac.txt"] = std::move(r);
  for (TextForm form : {TextForm::kAnsi, TextForm::kUnicode}) {
    Catalogue loaded = Load(CatalogueBytes(c, form));
    ASSERT_EQ(loaded.size(), 1u);
    const auto& [key, rec] = *loaded.begin();
    EXPECT_EQ(key, u"\\\\PC1\\C\\caf\u00e9 \u20ac.txt");
    EXPECT_EQ(rec->format_version(), 4u);
    EXPECT_EQ(rec->first_value(), 77u);
    EXPECT_EQ(rec->present(), 1u);
    EXPECT_EQ(rec->second_value(), 0xFFFFFFFFu);
    EXPECT_EQ(rec->extra_date().ole(), Day(9, 1).ole());
    EXPECT_EQ(rec->sizes(), (std::vector<int64_t>{-5, -4, -3}));
    ASSERT_EQ(rec->backup_dates().Count(), 3u);
    EXPECT_EQ(rec->modified_dates().At(2).ole(), Day(2, 3).ole());
  }
}

TEST(LoadCatalogue, AnsiAndUnicodeFilesLoadAlike) {
  Catalogue c = ThreeEntries();
  const std::string ansi = CatalogueBytes(c, TextForm::kAnsi);
  const std::string wide = CatalogueBytes(c, TextForm::kUnicode);
  EXPECT_NE(ansi, wide);
  Catalogue a = Load(ansi), w = Load(wide);
  ASSERT_EQ(a.size(), 3u);
  for (auto ia = a.begin(), iw = w.begin(); ia != a.end(); ++ia, ++iw) {
    EXPECT_EQ(ia->first, iw->first);
    EXPECT_EQ(ia->second->sizes(), iw->second->sizes());
  }
}

TEST(LoadCatalogue, LaterDuplicateKeyWins) {
  ArchiveWriter w;
  w.WriteMapCount(2);
  w.WriteText(u"k");
  w.WriteObject(Versions(1, 10).get());
  w.WriteText(u"k");
  w.WriteObject(Versions(1, 20).get());
  Catalogue c = Load(w.bytes());
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[u"k"]->sizes()[0], 20);
}

TEST(LoadCatalogue, KeysAreReadExactly) {
  ArchiveWriter w;
  w.WriteMapCount(2);
  w.WriteText(u"A.DOC");
  w.WriteObject(Versions(1).get());
  w.WriteText(u"a.doc");
  w.WriteObject(Versions(1).get());
  EXPECT_EQ(Load(w.bytes()).size(), 2u);
}

// A file cut at any point loads the entries completed before the cut.
TEST(LoadCatalogue, CutAnywhereKeepsTheCompletedEntries) {
  Catalogue c = ThreeEntries();
  const std::string bytes = CatalogueBytes(c);
  // Entry ends: load successively longer prefixes and watch the count grow.
  size_t last = 0;
  for (size_t cut = 0; cut <= bytes.size(); ++cut) {
    Catalogue loaded = Load(bytes.substr(0, cut));
    ASSERT_GE(loaded.size(), last) << cut;
    last = loaded.size();
    if (cut == bytes.size()) {
      EXPECT_EQ(loaded.size(), 3u);
    }
  }
}

TEST(LoadCatalogue, CutInTheThirdEntry) {
  Catalogue c = ThreeEntries();
  const std::string bytes = CatalogueBytes(c);
  CatalogueLoadReport report;
  MemorySource src(std::string_view(bytes).substr(0, bytes.size() - 10));
  Catalogue loaded;
  EXPECT_TRUE(LoadCatalogue(src, loaded, &report));
  EXPECT_EQ(loaded.size(), 2u);
  EXPECT_TRUE(report.format_error);
  EXPECT_EQ(report.entries_read, 2u);
}

// Damage of the tag or class of the second entry: the first stays.
TEST(LoadCatalogue, FormatErrorsEndTheLoad) {
  Catalogue one;
  one[u"a"] = Versions(1);
  const std::string first = CatalogueBytes(one, TextForm::kAnsi).substr(2);  // key + new-class record
  auto with_second = [&](const std::string& second) {
    return std::string("\x02\x00", 2) + first + second;
  };
  const std::string key = std::string("\x01", 1) + "b";
  const std::string record_fields = first.substr(2 + 2 + 2 + 2 + 12);  // after key, tag, schema, name
  struct Case {
    const char* what;
    std::string second;
  } cases[] = {
      {"unknown class", key + std::string("\xFF\xFF\x01\x00\x05\x00", 6) + "CFoo1" + record_fields},
      {"wrong schema", key + std::string("\xFF\xFF\x02\x00\x0C\x00", 6) + "CRolloutFile" + record_fields},
      {"class tag naming an object", key + std::string("\x02\x80", 2) + record_fields},
      {"class tag beyond the table", key + std::string("\x09\x80", 2) + record_fields},
      {"reference naming a class", key + std::string("\x01\x00", 2)},
      {"reference beyond the table", key + std::string("\x03\x00", 2)},
      {"big class tag of index 0", key + std::string("\xFF\x7F\x00\x00\x00\x80", 6)},
      {"text length over 0x7FFFFFFF",
       std::string("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x00\x00\x00\x80\x00\x00\x00\x00", 15)},
      {"text longer than the file", std::string("\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 7) + "abc"},
  };
  for (const Case& c : cases) {
    CatalogueLoadReport report;
    const std::string bytes = with_second(c.second);
    MemorySource src(bytes);
    Catalogue loaded;
    EXPECT_TRUE(LoadCatalogue(src, loaded, &report)) << c.what;
    EXPECT_EQ(loaded.size(), 1u) << c.what;
    EXPECT_TRUE(report.format_error) << c.what;
  }
  // The same second entry with a correct class tag loads.
  EXPECT_EQ(Load(with_second(key + std::string("\x01\x80", 2) + record_fields)).size(), 2u);
}

TEST(LoadCatalogue, ReferenceToAnEarlierObjectGivesACopy) {
  Catalogue one;
  one[u"a"] = Versions(2);
  const std::string first = CatalogueBytes(one, TextForm::kAnsi).substr(2);
  // Index 1 is the class, 2 the first object.
  const std::string bytes = std::string("\x02\x00", 2) + first + "\x01" "b" + std::string("\x02\x00", 2);
  Catalogue c = Load(bytes);
  ASSERT_EQ(c.size(), 2u);
  EXPECT_NE(c[u"a"].get(), c[u"b"].get());
  EXPECT_EQ(c[u"b"]->sizes(), c[u"a"]->sizes());
}

TEST(LoadCatalogue, OtherClassesAndNullObjectsAreLeftOut) {
  ArchiveWriter w;
  w.WriteMapCount(4);
  w.WriteText(u"filter");
  CFilter f;
  w.WriteObject(&f);
  w.WriteText(u"none");
  w.WriteObject(nullptr);
  w.WriteText(u"sel");
  CSelectedFileObject s;
  s.text = u"x";
  w.WriteObject(&s);
  w.WriteText(u"file");
  w.WriteObject(Versions(1).get());
  Catalogue c = Load(w.bytes());
  ASSERT_EQ(c.size(), 1u);
  EXPECT_TRUE(c.count(u"file"));
}

TEST(LoadCatalogue, BigTagsPastIndex0x7FFE) {
  // Object indexes pass the 16-bit tag range; class tags may also come in
  // the 4-byte form.
  Catalogue c;
  for (int i = 0; i < 40000; ++i) c[u"k" + ToText(i)] = Versions(1, i);
  const std::string bytes = CatalogueBytes(c);
  Catalogue loaded = Load(bytes);
  EXPECT_EQ(loaded.size(), 40000u);
  // A 4-byte class tag for class 1.
  Catalogue one;
  one[u"a"] = Versions(1);
  const std::string first = CatalogueBytes(one, TextForm::kAnsi).substr(2);
  const std::string record_fields = first.substr(2 + 2 + 2 + 2 + 12);
  const std::string two = std::string("\x02\x00", 2) + first + "\x01" "b" +
                          std::string("\xFF\x7F\x01\x00\x00\x80", 6) + record_fields;
  EXPECT_EQ(Load(two).size(), 2u);
}

// A source whose reads fail after a number of bytes.
class FailingSource : public ByteSource {
 public:
  FailingSource(std::string bytes, size_t fail_at) : bytes_(std::move(bytes)), fail_at_(fail_at) {}
  bool Read(void* data, size_t n, size_t& done) override {
    if (pos_ >= fail_at_) return false;
    done = std::min({n, fail_at_ - pos_, size_t{16}});
    std::memcpy(data, bytes_.data() + pos_, done);
    pos_ += done;
    return true;
  }
  uint64_t Remaining() const override { return bytes_.size() - pos_; }

 private:
  std::string bytes_;
  size_t fail_at_;
  size_t pos_ = 0;
};

TEST(LoadCatalogue, ReadFailureFailsAndKeepsTheEntriesRead) {
  Catalogue c = ThreeEntries();
  const std::string bytes = CatalogueBytes(c);
  FailingSource src(bytes, bytes.size() - 20);
  Catalogue loaded;
  EXPECT_FALSE(LoadCatalogue(src, loaded));
  EXPECT_EQ(loaded.size(), 2u);
}

TEST(LoadCatalogue, FromAFile) {
  testing::TempHome home;
  Catalogue c = ThreeEntries();
  testing::WriteFile(home.DriveC() + "/Temp/PC1/C/filelist.vdb", CatalogueBytes(c));
  Catalogue loaded;
  EXPECT_TRUE(LoadCatalogue(CataloguePath(u"\\\\PC1\\C"), loaded));
  EXPECT_EQ(loaded.size(), 3u);
  Catalogue missing;
  EXPECT_FALSE(LoadCatalogue(CataloguePath(u"\\\\PC2\\D"), missing));
}

TEST(CataloguePath, FolderItemPathAndFileName) {
  EXPECT_EQ(CataloguePath(u"\\\\PC1\\C"), u"C:\\Temp\\PC1\\C\\filelist.vdb");
  EXPECT_EQ(CataloguePath(u"\\\\PC1\\C\\", u"C:\\Temp"), u"C:\\Temp\\PC1\\C\\filelist.vdb");
}

TEST(ArchiveReader, TextLengthForms) {
  struct Case {
    std::string bytes;
    size_t length;
    bool wide;
  } cases[] = {
      {std::string("\x03", 1) + "abc", 3, false},
      {std::string("\xFF\x00\x01", 3) + std::string(256, 'x'), 256, false},
      {std::string("\xFF\xFF\xFF\x05\x00\x00\x00", 7) + "hello", 5, false},
      {std::string("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x02\x00\x00\x00\x00\x00\x00\x00", 15) + "hi", 2, false},
      {std::string("\xFF\xFE\xFF\x02", 4) + std::string("h\0i\0", 4), 2, true},
      {std::string("\xFF\xFE\xFF\xFF\x00\x01", 6) + std::string(512, '\0'), 256, true},
  };
  for (const Case& c : cases) {
    MemorySource src(c.bytes);
    ArchiveReader ar(src);
    EXPECT_EQ(ar.ReadText().size(), c.length) << c.bytes.size();
    EXPECT_EQ(ar.Remaining(), 0u);
  }
}

}  // namespace
}  // namespace bexa
