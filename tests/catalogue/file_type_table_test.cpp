#include "catalogue/file_type_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "catalogue/mime_file_types.h"
#include "tests/support/temp_home.h"

namespace bexa {
namespace {

class FakeImages : public ImageList {
 public:
  explicit FakeImages(int count) : images(static_cast<size_t>(count), "kind") {}
  int Count() const override { return static_cast<int>(images.size()); }
  int Add(const std::string& icon) override {
    images.push_back(icon);
    return Count() - 1;
  }
  std::vector<std::string> images;
};

// Types answered case-insensitively, as the registry does.
class FakeSource : public FileTypeSource {
 public:
  struct Type {
    std::u16string description;
    int icons;
  };
  std::map<std::u16string, Type> types;
  int lookups = 0;

  bool TypeClass(std::u16string_view key, std::u16string& type_class) override {
    ++lookups;
    std::u16string k(key);
    for (auto& c : k) c = (c >= u'A' && c <= u'Z') ? c - u'A' + u'a' : c;
    if (!types.count(k)) return false;
    type_class = k;
    return true;
  }
  bool ClassDescription(std::u16string_view type_class, std::u16string& description) override {
    description = types.at(std::u16string(type_class)).description;
    return true;
  }
  int ClassIcons(std::u16string_view type_class, std::string& large, std::string& small) override {
    const int n = types.at(std::u16string(type_class)).icons;
    large = n >= 1 ? "large" : "";
    small = n >= 2 ? "small" : "";
    return n;
  }
};

struct Fixture {
  FakeSource source;
  FakeImages small{24}, large{1};
  FileTypeTable table{source};
  Fixture() {
    source.types[u".doc"] = {u"Word Document", 2};
    source.types[u".txt"] = {u"", 2};
    source.types[u".ph"] = {u"Placeholder", 0};
    table.Attach(&small, &large);
  }
};

TEST(FileTypeTable, AttachSetsBaseAndDefaultIndex) {
  Fixture f;
  EXPECT_EQ(f.table.base(), 24);
  EXPECT_EQ(f.table.default_index(), 23);
  f.table.SetKindName(20, u"Folder");
  EXPECT_EQ(f.table.TypeName(20), u"Folder");
  EXPECT_EQ(f.table.TypeName(21), u"Folder");
  EXPECT_EQ(f.table.TypeName(22), u"");
}

TEST(FileTypeTable, NamesAndImages) {
  struct Case {
    std::u16string key;
    std::u16string name;
    bool own_image;
  } cases[] = {
      {u"", u"File", false},
      {u".xyz", u"XYZ File", false},
      {u"README", u" File", false},
      {u".doc", u"Word Document", true},
      {u".txt", u"TXT File", true},      // empty description: fallback name, own icon
      {u".ph", u"Placeholder", false},   // no icon: registry name, default image
      {u".tar.gz", u"TAR.GZ File", false},
  };
  for (const Case& c : cases) {
    Fixture f;
    std::u16string name;
    const int index = f.table.LookUp(c.key, name);
    EXPECT_EQ(name, c.name);
    EXPECT_EQ(index != f.table.default_index(), c.own_image);
  }
}

TEST(FileTypeTable, CachesByExactKeyOnlyTypesWithIcons) {
  Fixture f;
  std::u16string name;
  const int lower = f.table.LookUp(u".doc", name);
  const int upper = f.table.LookUp(u".DOC", name);
  EXPECT_EQ(lower, 24);
  EXPECT_EQ(upper, 25);
  EXPECT_EQ(f.table.TypeName(25), u"Word Document");
  const int lookups = f.source.lookups;
  EXPECT_EQ(f.table.LookUp(u".doc", name), lower);
  EXPECT_EQ(f.source.lookups, lookups);  // from the cache
  f.table.LookUp(u".ph", name);
  f.table.LookUp(u".ph", name);
  EXPECT_EQ(f.source.lookups, lookups + 2);  // never cached
  EXPECT_EQ(f.small.images.size(), 26u);
}

TEST(FileTypeTable, LargeIconIndex) {
  Fixture f;
  EXPECT_EQ(f.table.LargeIconIndex(u"C:\\dir\\a.doc"), 1);
  EXPECT_EQ(f.table.LargeIconIndex(u"C:\\dir\\b.doc"), 1);  // cached
  EXPECT_EQ(f.table.LargeIconIndex(u"C:\\dir\\c.xyz"), 0);
  EXPECT_EQ(f.table.LargeIconIndex(u"README"), 0);
  EXPECT_EQ(f.large.images.size(), 2u);
}

TEST(MimeDatabase, ReadsTypesCommentsAndIcons) {
  testing::TempHome home;
  const std::string mime = home.dir() + "/mime";
  const std::string icons = home.dir() + "/icons";
  testing::WriteFile(mime + "/globs2",
                     "# comment\n50:text/plain:*.txt\n60:application/x-doc:*.doc\n"
                     "40:text/x-readme:README\n50:application/x-long:*.long\n");
  testing::WriteFile(mime + "/text/plain.xml",
                     "<?xml version=\"1.0\"?>\n<mime-type type=\"text/plain\">\n"
                     "  <comment>plain text &amp; more</comment>\n"
                     "  <comment xml:lang=\"de\">Text</comment>\n</mime-type>\n");
  testing::WriteFile(mime + "/application/x-doc.xml", "<mime-type><comment></comment></mime-type>");
  testing::WriteFile(mime + "/application/x-long.xml",
                     "<mime-type><comment>" + std::string(130, 'x') + "</comment></mime-type>");
  testing::WriteFile(mime + "/generic-icons", "application/x-doc:x-office-document\n");
  testing::WriteFile(icons + "/16x16/mimetypes/text-plain.png", "png");
  testing::WriteFile(icons + "/32x32/mimetypes/text-plain.png", "png");
  testing::WriteFile(icons + "/16x16/mimetypes/x-office-document.png", "png");
  testing::WriteFile(icons + "/32x32/mimetypes/x-office-document.png", "png");

  platform::MimeDatabase db(mime, icons);
  MimeFileTypeSource source(db);
  FakeImages small(24), large(1);
  FileTypeTable table(source);
  table.Attach(&small, &large);
  std::u16string name;
  EXPECT_EQ(table.LookUp(u".txt", name), 24);
  EXPECT_EQ(name, u"plain text & more");
  EXPECT_EQ(table.LookUp(u".TXT", name), 25);  // the database ignores case, the cache does not
  EXPECT_EQ(table.LookUp(u".doc", name), 26);
  EXPECT_EQ(name, u"DOC File");
  EXPECT_EQ(table.LookUp(u"README", name), 23);  // a type without icons
  EXPECT_EQ(table.LookUp(u".long", name), 23);   // comment too long: fallback
  EXPECT_EQ(name, u"LONG File");
  EXPECT_EQ(table.LookUp(u".zzz", name), 23);
  EXPECT_EQ(name, u"ZZZ File");
  EXPECT_EQ(small.images.back(), icons + "/16x16/mimetypes/x-office-document.png");
}

}  // namespace
}  // namespace bexa
