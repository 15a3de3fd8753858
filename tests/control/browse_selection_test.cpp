#include "control/browse_selection.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/control/browse_fixtures.h"
#include "util/dates.h"

namespace bexa {
namespace {

using testing::BrowseFixture;
using testing::Day;

// C: holds Docs (three files of three versions each) with a subfolder Old,
// and a file at the root.
struct Selection : BrowseFixture {
  NodeId docs = kNoNode, old = kNoNode;
  Selection() {
    source.catalogues[u"C:\\Temp\\PC1\\C\\filelist.vdb"] = {
        {u"\\\\PC1\\C\\Docs\\a.txt", {{1, 100}, {2, 200}, {3, 300}}},
        {u"\\\\PC1\\C\\Docs\\b.txt", {{1, 1}, {2, 2}, {3, 3}}},
        {u"\\\\PC1\\C\\Docs\\c.txt", {{1, 10}, {2, 20}, {3, 30}}},
        {u"\\\\PC1\\C\\Docs\\Old\\d.txt", {{1, 5}}},
        {u"\\\\PC1\\C\\root.txt", {{4, 4000}}},
    };
    model.ExpandVolume(c);
    docs = Folder(c, {u"Docs"});
    old = Folder(docs, {u"Old"});
  }
  static std::u16string Key(const char16_t* path, int day) {
    return BrowseModel::VersionKey(path, Day(day));
  }
};

TEST(BrowseSelection, FolderSelectionTakesNewestVersionsAndFolderEntries) {
  Selection s;
  ASSERT_TRUE(s.ops.ToggleTreeNode(s.docs));
  EXPECT_EQ(s.selection.Count(), 4);  // one entry per file
  EXPECT_EQ(s.selection.EntryCount(), 6u);  // and one per folder
  EXPECT_EQ(s.selection.TotalBytes(), 300 + 3 + 30 + 5);
  EXPECT_TRUE(s.selection.ContainsKey(Selection::Key(u"\\\\PC1\\C\\Docs\\a.txt", 3)));
  EXPECT_TRUE(s.selection.ContainsKey(u"\\\\PC1\\C\\Docs"));
  EXPECT_TRUE(s.selection.ContainsKey(u"\\\\PC1\\C\\Docs\\Old"));
  EXPECT_EQ(s.model.node(s.docs).state, kStateAll);
  // C: holds root.txt, not selected: part selected, no entry of its own.
  EXPECT_EQ(s.model.node(s.c).state, kStatePart);
  EXPECT_FALSE(s.selection.ContainsKey(u"\\\\PC1\\C"));

  // A second toggle deselects everything again.
  s.ops.ToggleTreeNode(s.docs);
  EXPECT_EQ(s.selection.EntryCount(), 0u);
  EXPECT_EQ(s.model.node(s.docs).state, kStateEmpty);
  EXPECT_EQ(s.model.node(s.c).state, kStateEmpty);
}

TEST(BrowseSelection, SelectingTheVolumeFillsEveryFolderAndTheVolume) {
  Selection s;
  s.ops.ToggleTreeNode(s.c);
  EXPECT_EQ(s.selection.Count(), 5);
  EXPECT_EQ(s.model.node(s.c).state, kStateAll);
  EXPECT_TRUE(s.selection.ContainsKey(u"\\\\PC1\\C"));
}

TEST(BrowseSelection, OlderVersionReplacesTheNewestOne) {
  Selection s;
  s.ops.ToggleTreeNode(s.docs);
  s.model.FillList(s.docs);
  const int row = s.RowOf(u"a.txt");
  const std::vector<FileVersion> versions = s.model.RowVersions(row);
  ASSERT_EQ(versions.size(), 3u);
  s.ops.ChooseVersion(row, versions[2]);  // the oldest
  EXPECT_EQ(s.selection.VersionsOf(u"\\\\PC1\\C\\Docs\\a.txt"),
            (std::vector<std::u16string>{Selection::Key(u"\\\\PC1\\C\\Docs\\a.txt", 1)}));
  EXPECT_EQ(s.selection.Count(), 4);
  EXPECT_EQ(s.selection.TotalBytes(), 100 + 3 + 30 + 5);
  // Another version than the newest: the folder is only partly selected.
  EXPECT_EQ(s.model.node(s.docs).state, kStatePart);
  EXPECT_EQ(s.model.ListState(row), 4);
  // Selecting the folder again makes it whole with the newest versions.
  s.ops.ToggleTreeNode(s.docs);
  EXPECT_EQ(s.selection.VersionsOf(u"\\\\PC1\\C\\Docs\\a.txt"),
            (std::vector<std::u16string>{Selection::Key(u"\\\\PC1\\C\\Docs\\a.txt", 3)}));
  EXPECT_EQ(s.model.node(s.docs).state, kStateAll);
}

TEST(BrowseSelection, DeselectingOneFileTurnsItsFolderToPartAndDropsAncestorEntries) {
  Selection s;
  s.ops.ToggleTreeNode(s.c);  // everything
  s.model.FillList(s.old);
  s.ops.ToggleListRows(s.RowOf(u"d.txt"), {});
  EXPECT_EQ(s.model.node(s.old).state, kStateEmpty);
  EXPECT_EQ(s.model.node(s.docs).state, kStatePart);
  EXPECT_EQ(s.model.node(s.c).state, kStatePart);
  EXPECT_FALSE(s.selection.ContainsKey(u"\\\\PC1\\C\\Docs\\Old"));
  EXPECT_FALSE(s.selection.ContainsKey(u"\\\\PC1\\C\\Docs"));
  EXPECT_FALSE(s.selection.ContainsKey(u"\\\\PC1\\C"));
  EXPECT_EQ(s.selection.Count(), 4);

  // One file out of a folder without subfolders: the folder turns to 2.
  s.model.FillList(s.docs);
  s.ops.ToggleListRows(s.RowOf(u"a.txt"), {});
  EXPECT_EQ(s.selection.Count(), 3);
}

TEST(BrowseSelection, SeveralRowsTakeTheClickedRowsMode) {
  Selection s;
  s.model.FillList(s.docs);
  const int a = s.RowOf(u"a.txt"), b = s.RowOf(u"b.txt"), old = s.RowOf(u"Old");
  s.ops.ToggleListRows(b, {});  // b selected alone
  // Clicking a (not selected) with a, b and Old selected selects all three.
  s.ops.ToggleListRows(a, {a, b, old});
  EXPECT_EQ(s.selection.Count(), 3);
  EXPECT_EQ(s.model.node(s.old).state, kStateAll);
  EXPECT_EQ(s.model.ListState(old), 4);
  // Clicking b (selected) deselects all three.
  s.ops.ToggleListRows(b, {a, b, old});
  EXPECT_EQ(s.selection.EntryCount(), 0u);
}

TEST(BrowseSelection, NewNodesTakeTheirStateFromTheSet) {
  Selection s;
  s.selection.Add(Selection::Key(u"\\\\PC1\\C\\Docs\\Old\\d.txt", 1), 5, 0);
  s.selection.Add(u"\\\\PC1\\C\\Docs\\Old", -1, 0);
  // Rebuilding the folders refreshes their states from the set.
  s.model.ExpandVolume(s.c);
  const NodeId docs = s.Folder(s.c, {u"Docs"});
  EXPECT_EQ(s.model.node(s.Folder(docs, {u"Old"})).state, kStateAll);
  EXPECT_EQ(s.model.node(docs).state, kStatePart);
}

TEST(BrowseSelection, StatusTexts) {
  struct Case {
    int64_t count, bytes;
    const char16_t* files;
    const char16_t* kilobytes;
  } cases[] = {
      {0, 0, u" Restore Files selected: 0", u"0 Kilobytes selected "},
      {1, 1, u" Restore Files selected: 1", u"1 Kilobytes selected "},
      {2, 1023, u" Restore Files selected: 2", u"1 Kilobytes selected "},
      {1234, 1024 * 2048, u" Restore Files selected: 1,234", u"2,048 Kilobytes selected "},
  };
  for (const Case& c : cases) {
    const SelectionStatusTexts t = SelectionStatus(c.count, c.bytes, testing::EnglishText, u",");
    EXPECT_EQ(t.files, c.files);
    EXPECT_EQ(t.kilobytes, c.kilobytes);
  }
}

// Many adds and removes at once give the set that single ones give.
TEST(SelectionSetBulk, MatchesSingleOperations) {
  std::mt19937 random(7);
  SelectionSet single, bulk;
  for (int round = 0; round < 20; ++round) {
    std::vector<SelectionEntry> adds;
    std::vector<std::u16string> removes;
    for (int i = 0; i < 200; ++i) {
      const std::u16string key = u"k" + ToText(static_cast<int64_t>(random() % 300));
      adds.push_back({key, static_cast<int64_t>(random() % 5) - 1, static_cast<int>(random() % 2)});
      removes.push_back(u"k" + ToText(static_cast<int64_t>(random() % 300)));
    }
    for (const SelectionEntry& e : adds) single.Add(e.key, e.size, e.flag);
    bulk.AddAll(adds);
    ASSERT_EQ(single.Count(), bulk.Count());
    ASSERT_EQ(single.TotalBytes(), bulk.TotalBytes());
    if (round % 2) {
      for (const std::u16string& k : removes) single.Remove(k);
      bulk.RemoveAll(removes);
    }
    ASSERT_EQ(single.EntryCount(), bulk.EntryCount());
    for (size_t i = 0; i < single.EntryCount(); ++i)
      ASSERT_EQ(single.Entries()[i].Text(), bulk.Entries()[i].Text());
  }
}

}  // namespace
}  // namespace bexa
