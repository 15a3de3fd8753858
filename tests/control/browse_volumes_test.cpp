#include "control/browse_volumes.h"

#include <gtest/gtest.h>

#include "platform/drives.h"

namespace bexa {
namespace {

std::u16string Text(int id) { return id == 1157 ? u"%s on '%s' (%s)" : u"?"; }

std::vector<LocalDrive> Drives() {
  return {
      {u"C:\\", platform::kDriveFixed, u"", u"", 1000},
      {u"E:\\", platform::kDriveFixed, u"", u"Data (E:)", 2000},  // not backed up
      {u"X:\\", platform::kDriveRemote, u"\\\\NAS\\pub", u"", 3000},
      {u"Y:\\", platform::kDriveNoRootDir, u"", u"", 0},
  };
}

TEST(BrowseVolumes, LocalDrivesMissingDrivesAndNetworkShares) {
  std::map<std::u16string, std::u16string> computers;
  const std::vector<std::u16string> server = {
      u"WORKGRP:\\\\PC1\\C", u"WORKGRP:\\\\PC1\\Y", u"OTHER:\\\\PC2\\D", u"OTHER:\\\\PC2\\E",
      u"WORKGRP:\\\\NAS\\pub", u"X:\\\\\\bad"};
  SessionVolumeMap map = BuildSessionVolumeMap(server, Drives(), u"pc1", computers);
  EXPECT_EQ(map[u"C:\\"], u"\\\\PC1\\C");
  EXPECT_EQ(map[u"X:\\"], u"\\\\NAS\\pub");
  EXPECT_EQ(map.count(u"\\\\\\bad"), 0u);  // three backslashes in a row
  EXPECT_EQ(computers[u"\\\\PC2\\D"], u"OTHER");
  map[u"D:\\"] = u"\\\\PC1\\D";  // known from an earlier build; the drive is gone

  VolumePlan plan = PlanVolumes(map, Drives(), u"PC1", u"WORKGRP", computers, Text);
  ASSERT_EQ(plan.computer.size(), 4u);
  // Kind first, then the sort name.
  EXPECT_EQ(plan.computer[0].kind, kKindLocalDisk);
  EXPECT_EQ(plan.computer[0].label, u"(C:)");
  EXPECT_EQ(plan.computer[0].path_part, u"\\\\PC1\\C");
  EXPECT_EQ(plan.computer[0].size, 1000);
  EXPECT_EQ(plan.computer[1].kind, kKindMappedDrive);
  EXPECT_EQ(plan.computer[1].label, u"(X:)");
  EXPECT_EQ(plan.computer[1].path_part, u"\\\\NAS\\pub");
  EXPECT_EQ(plan.computer[2].kind, kKindMissingDrive);
  EXPECT_EQ(plan.computer[2].label, u"(D:)");
  EXPECT_EQ(plan.computer[2].path_part, u"\\\\PC1\\D");
  EXPECT_EQ(plan.computer[3].label, u"Y on 'PC1' (Y:)");
  // E: is fixed but not backed up: not shown.
  ASSERT_EQ(plan.network.size(), 1u);
  EXPECT_EQ(plan.network[0].kind, kKindNetworkComputer);
  EXPECT_EQ(plan.network[0].label, u"PC2");
  EXPECT_EQ(plan.network[0].path_part, u"\\\\PC2");
  ASSERT_EQ(plan.network[0].children.size(), 2u);
  EXPECT_EQ(plan.network[0].children[0].label, u"D");
  EXPECT_EQ(plan.network[0].children[1].label, u"E");
}

TEST(BrowseVolumes, SizeTextsAndOrder) {
  struct Case {
    int64_t bytes;
    const char16_t* text;
  } cases[] = {{0, u"0KB"},           {1023, u"1KB"},           {1024, u"1KB"},
               {1048575, u"1,023KB"}, {1048576, u"1.00MB"},     {1073741824, u"1.00GB"},
               {5368709120, u"5.00GB"}};
  for (const auto& c : cases) EXPECT_EQ(SizeText(c.bytes, u","), c.text) << c.bytes;
  EXPECT_TRUE(BrowseOrder(kKindFolder, u"zeta", kKindFile, u"alpha"));
  EXPECT_FALSE(BrowseOrder(kKindFile, u"Alpha", kKindFile, u"alpha"));
  EXPECT_FALSE(BrowseOrder(kKindFile, u"alpha", kKindFile, u"ALPHA"));
  EXPECT_TRUE(BrowseOrder(kKindFile, u"alpha", kKindFile, u"Beta"));
}

}  // namespace
}  // namespace bexa
