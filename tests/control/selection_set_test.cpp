#include "control/selection_set.h"

#include <gtest/gtest.h>

#include <map>

namespace bexa {
namespace {

TEST(SelectionSet, SortedUniqueWithTotals) {
  SelectionSet s;
  s.Add(u"\\\\PC1\\C\\b.txt:20240101000000", 100, 0);
  s.Add(u"\\\\PC1\\C\\a.txt:20240101000000", 50, 0);
  s.Add(u"\\\\PC1\\C", -1, 0);
  s.Add(u"\\\\PC1\\C\\a.txt:20240101000000", 999, 0);  // flag 0: the first one stays
  EXPECT_EQ(s.Count(), 2);
  EXPECT_EQ(s.TotalBytes(), 150);
  EXPECT_EQ(s.EntryCount(), 3u);
  EXPECT_EQ(s.Entries()[0].Text(), u"\\\\PC1\\C:-1:0");
  EXPECT_EQ(s.Entries()[1].Text(), u"\\\\PC1\\C\\a.txt:20240101000000:50:0");
  s.Add(u"\\\\PC1\\C\\a.txt:20240101000000", 70, 1);  // flag 1 and valid size: replaced
  EXPECT_EQ(s.TotalBytes(), 170);
  s.Remove(u"\\\\PC1\\C\\b.txt:20240101000000");
  s.Remove(u"\\\\PC1\\C\\none");
  EXPECT_EQ(s.Count(), 1);
  EXPECT_EQ(s.TotalBytes(), 70);
  s.Clear();
  EXPECT_EQ(s.Count(), 0);
  EXPECT_EQ(s.EntryCount(), 0u);
}

TEST(SelectionSet, ContainsRules) {
  SelectionSet s;
  s.Add(u"\\\\PC1\\C\\Docs\\a.txt:20240101000000", 1, 0);
  s.Add(u"\\\\PC1\\D", -1, 0);
  EXPECT_TRUE(s.Contains(u"\\\\PC1\\C\\Docs\\a.txt"));  // any version of the file
  EXPECT_TRUE(s.Contains(u"\\\\PC1\\C\\Docs\\a.txt:20240101000000"));
  EXPECT_FALSE(s.Contains(u"\\\\PC1\\C\\Docs\\a"));
  EXPECT_FALSE(s.Contains(u"\\\\PC1\\C\\Docs"));
  EXPECT_TRUE(s.ContainsBelow(u"\\\\PC1\\C"));
  EXPECT_TRUE(s.ContainsBelow(u"\\\\PC1\\D\\sub"));  // the folder entry is shorter
  EXPECT_FALSE(s.ContainsBelow(u"\\\\PC1\\E"));
  EXPECT_EQ(s.VersionsOf(u"\\\\PC1\\C\\Docs\\a.txt"),
            std::vector<std::u16string>{u"\\\\PC1\\C\\Docs\\a.txt:20240101000000"});
}

TEST(SelectionSet, SplitEntries) {
  auto e = SplitSelectionEntry(u"\\\\PC1\\C\\a.txt:20240101000000:5000000000:0");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->key, u"\\\\PC1\\C\\a.txt:20240101000000");
  EXPECT_EQ(e->size, 5000000000LL);
  e = SplitSelectionEntry(u"\\\\PC1\\C\\Docs:-1:0");
  ASSERT_TRUE(e);
  EXPECT_TRUE(e->IsFolder());
  EXPECT_FALSE(SplitSelectionEntry(u"nothing"));
  EXPECT_FALSE(SplitSelectionEntry(u"a:x:0"));
}

TEST(SelectionSet, StatusLine) {
  std::map<int, std::u16string> texts = {{1128, u" Restore Files selected: %s"},
                                         {1129, u" Restore Files selected: 0"},
                                         {1130, u"0 Kilobytes selected "},
                                         {1131, u"1 Kilobytes selected "},
                                         {1132, u"%s Kilobytes selected "}};
  auto text = [&](int id) { return texts[id]; };
  struct Case {
    int64_t count, bytes;
    std::u16string files, kb;
  } cases[] = {
      {0, 0, u" Restore Files selected: 0", u"0 Kilobytes selected "},
      {1, 1, u" Restore Files selected: 1", u"1 Kilobytes selected "},
      {1, 1023, u" Restore Files selected: 1", u"1 Kilobytes selected "},
      {2, 0, u" Restore Files selected: 2", u"0 Kilobytes selected "},
      {1234, 1048576LL * 1024, u" Restore Files selected: 1,234", u"1,048,576 Kilobytes selected "},
  };
  for (const auto& c : cases) {
    auto got = SelectionStatus(c.count, c.bytes, text, u",");
    EXPECT_EQ(got.files, c.files);
    EXPECT_EQ(got.kilobytes, c.kb);
  }
}

}  // namespace
}  // namespace bexa
