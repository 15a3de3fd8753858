#include "control/browse_model.h"

#include <gtest/gtest.h>

#include "tests/control/browse_fixtures.h"
#include "util/dates.h"

namespace bexa {
namespace {

using testing::BrowseFixture;
using testing::Day;

TEST(BrowseModel, TreeHoldsVolumesAndNetworkShares) {
  BrowseFixture f;
  EXPECT_EQ(f.model.node(f.model.desktop()).children.size(), 2u);
  ASSERT_NE(f.pc2, kNoNode);
  const BrowseNode& pc2 = f.model.node(f.pc2);
  EXPECT_EQ(pc2.item.kind, kKindNetworkComputer);
  ASSERT_EQ(pc2.children.size(), 2u);
  const NodeId share_d = pc2.children[0];
  EXPECT_EQ(f.model.node(share_d).item.kind, kKindNetworkShare);
  EXPECT_EQ(f.model.ItemPath(share_d), u"\\\\PC2\\D");
  EXPECT_EQ(f.model.ItemPath(pc2.children[1]), u"\\\\PC2\\E");
  EXPECT_EQ(f.model.CataloguePath(u"\\\\PC1\\C"), u"C:\\Temp\\PC1\\C\\filelist.vdb");
  // Volume nodes start with the empty box and the expand mark.
  EXPECT_EQ(f.model.node(f.c).state, kStateEmpty);
  EXPECT_TRUE(f.model.node(f.c).has_children);
  EXPECT_FALSE(f.model.NeedsBuild(u"C:\\Temp"));
  EXPECT_TRUE(f.model.NeedsBuild(u"C:\\Other"));
}

TEST(BrowseModel, CatalogueBuildsFoldersMergesCaseAndPrunesBeforeCutOff) {
  BrowseFixture f;
  f.source.catalogues[u"C:\\Temp\\PC1\\C\\filelist.vdb"] = {
      {u"\\\\PC1\\C\\Docs\\report.doc", {{1, 100}, {5, 200}, {9, 300}}},
      {u"\\\\PC1\\C\\DOCS\\Memo.txt", {{2, 10}}},
      {u"\\\\PC1\\C\\Docs\\sub\\deep.bin", {{3, 1}}},
      {u"\\\\PC1\\C\\boot.ini", {{4, 1023}}},
  };
  f.model.SetCutOffDate(Day(4));
  ASSERT_TRUE(f.model.ExpandVolume(f.c));
  EXPECT_EQ(f.source.loads, 1);
  EXPECT_EQ(f.source.questions, 0);

  const NodeId docs = f.Folder(f.c, {u"docs"});
  ASSERT_NE(docs, kNoNode);
  EXPECT_EQ(f.model.node(f.c).children.size(), 1u);  // Docs and DOCS are one folder
  ASSERT_TRUE(f.model.node(docs).files);
  EXPECT_EQ(f.model.node(docs).files->size(), 2u);
  EXPECT_EQ(f.model.FilesBelow(f.c), 4u);
  // The version older than the cut-off is dropped; a file's only version
  // stays even when it is older (Memo.txt).
  const VersionRecord* report = f.model.node(docs).files->at(u"report.doc");
  ASSERT_EQ(VersionCount(*report), 2u);
  EXPECT_EQ(report->backup_dates.front(), Day(5));
  EXPECT_EQ(VersionCount(*f.model.node(docs).files->at(u"Memo.txt")), 1u);

  // A second expansion takes the loaded volume.
  ASSERT_TRUE(f.model.ExpandVolume(f.c));
  EXPECT_EQ(f.source.loads, 1);
}

TEST(BrowseModel, ListShowsFoldersFirstNewestVersionAndSizeTexts) {
  BrowseFixture f;
  f.source.catalogues[u"C:\\Temp\\PC1\\C\\filelist.vdb"] = {
      {u"\\\\PC1\\C\\b.txt", {{1, 5}, {2, 1024}}},
      {u"\\\\PC1\\C\\A.txt", {{1, 1023}}},
      {u"\\\\PC1\\C\\c.bin", {{1, 1048576}}},
      {u"\\\\PC1\\C\\empty", {{1, 0}}},
      {u"\\\\PC1\\C\\zeta\\x", {{1, 1}}},
      {u"\\\\PC1\\C\\Alpha\\x", {{1, 1}}},
  };
  f.types.SetKindName(kKindFolder, u"Folder");
  f.model.FillList(f.c);  // loads the volume first
  std::vector<std::u16string> names;
  for (int i = 0; i < static_cast<int>(f.model.rows().size()); ++i)
    names.push_back(f.model.CellText(i, 0));
  EXPECT_EQ(names, (std::vector<std::u16string>{u"Alpha", u"zeta", u"A.txt", u"b.txt", u"c.bin",
                                                u"empty"}));
  struct Case {
    const char16_t* name;
    const char16_t* size;
    const char16_t* type;
  } cases[] = {
      {u"Alpha", u"", u"Folder"},    {u"A.txt", u"1KB", u"TXT File"},
      {u"b.txt", u"1KB", u"TXT File"}, {u"c.bin", u"1.00MB", u"BIN File"},
      {u"empty", u"0KB", u" File"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.name));
    const int row = f.RowOf(c.name);
    ASSERT_GE(row, 0);
    EXPECT_EQ(f.model.CellText(row, 1), c.size);
    EXPECT_EQ(f.model.CellText(row, 2), c.type);
  }
  // The newest version's dates and size.
  const int b = f.RowOf(u"b.txt");
  EXPECT_EQ(f.model.rows()[static_cast<size_t>(b)].item.size, 1024);
  EXPECT_EQ(f.model.CellText(b, 3), ShortDateTimeText(Day(2), false));
  EXPECT_EQ(f.model.CellText(f.RowOf(u"Alpha"), 3), u"");
  // Nothing selected: files show 2, folders their node's state plus one.
  EXPECT_EQ(f.model.ListState(b), 2);
  EXPECT_EQ(f.model.ListState(f.RowOf(u"Alpha")), 2);
}

TEST(BrowseModel, QuestionIsAskedOnceAndNoLeavesTheVolumeEmpty) {
  BrowseFixture f;
  f.source.server[u"\\\\PC1\\C"] = {{u"\\\\PC1\\C\\a.txt", {{1, 5}}}};
  f.source.server[u"\\\\PC1\\D"] = {{u"\\\\PC1\\D\\b.txt", {{1, 5}}}};
  f.source.fetch_answers = {false, true};

  EXPECT_FALSE(f.model.ExpandVolume(f.c));  // No
  EXPECT_EQ(f.source.fetches, 0);
  EXPECT_FALSE(f.model.IsLoaded(f.c));
  EXPECT_TRUE(f.model.ask_before_fetch());

  EXPECT_TRUE(f.model.ExpandVolume(f.c));  // asked again: Yes
  EXPECT_TRUE(f.model.ExpandVolume(f.d));  // not asked any more
  EXPECT_EQ(f.source.questions, 2);
  EXPECT_EQ(f.source.fetches, 2);
  EXPECT_FALSE(f.model.ask_before_fetch());
  EXPECT_EQ(f.model.BackupDateCount(), 1u);
}

TEST(BrowseModel, AcceptanceDropsACollectionWithoutAnyBackupDate) {
  BrowseFixture f;
  f.source.server[u"\\\\PC1\\C"] = {{u"\\\\PC1\\C\\a.txt", {}}};  // no version at all
  f.source.server[u"\\\\PC1\\D"] = {};
  EXPECT_FALSE(f.model.ExpandVolume(f.c));
  EXPECT_EQ(f.model.LoadedVolumeCount(), 0u);
  // An empty collection stays loaded.
  EXPECT_FALSE(f.model.ExpandVolume(f.d));
  EXPECT_EQ(f.model.LoadedVolumeCount(), 1u);
}

TEST(BrowseModel, VersionsNewestFirstAtMostTen) {
  BrowseFixture f;
  std::vector<std::pair<int, int64_t>> fifteen;
  for (int day = 1; day <= 15; ++day) fifteen.push_back({day, day * 100});
  f.source.catalogues[u"C:\\Temp\\PC1\\C\\filelist.vdb"] = {
      {u"\\\\PC1\\C\\many.txt", fifteen}, {u"\\\\PC1\\C\\one.txt", {{3, 7}}}};
  f.model.FillList(f.c);
  const std::vector<FileVersion> many = f.model.RowVersions(f.RowOf(u"many.txt"));
  ASSERT_EQ(many.size(), 10u);
  EXPECT_EQ(many.front().backup_date, Day(15));
  EXPECT_EQ(many.back().backup_date, Day(6));
  EXPECT_EQ(f.model.RowVersions(f.RowOf(u"one.txt")).size(), 1u);
  const std::vector<std::u16string> lines = f.model.VersionLines(many);
  EXPECT_EQ(lines[0], u"Backup: " + ShortDateTimeText(Day(15), false) + u" - Modified: " +
                          ShortDateTimeText(Day(15), false));
}

TEST(BrowseModel, ServerSharesLoadUnderTheirFullPath) {
  BrowseFixture f;
  const NodeId share_e = f.model.node(f.pc2).children[1];
  f.source.server[u"\\\\PC2\\E"] = {{u"\\\\PC2\\E\\dir\\x.txt", {{1, 5}}}};
  ASSERT_TRUE(f.model.ExpandVolume(share_e));
  EXPECT_EQ(f.model.ItemPath(f.Folder(share_e, {u"dir"})), u"\\\\PC2\\E\\dir");
}

}  // namespace
}  // namespace bexa
