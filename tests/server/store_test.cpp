#include "server/store.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/temp_home.h"

namespace bexa::server {
namespace {

TEST(Store, ConfigAndVolumesRoundTrip) {
  bexa::testing::TempHome home;
  const auto dir = std::filesystem::path(home.dir()) / "store";
  EXPECT_THROW(Store::Open(dir), std::runtime_error);
  Store s = Store::Open(dir, /*create=*/true);
  Account a;
  a.user = "ann";
  a.password = "pw";
  a.auth_type = 7;
  a.faults.usrp_result = 4;
  s.accounts.push_back(a);
  s.server_version = "7.1";
  s.SaveConfig();

  VolumeIndex idx = s.LoadOrCreateVolume("ann", "WORKGRP", "\\\\PC1\\C");
  FileHistory h;
  h.path = "Data\\a.txt";
  FileVersion v;
  v.backup_date = "20240101000000";
  v.size = 5;
  v.crc32 = 0xDEADBEEF;
  v.faults.sfil_status = 2;
  h.versions.push_back(v);
  idx.files.push_back(h);
  s.SaveVolume("ann", idx);

  Store t = Store::Open(dir);
  EXPECT_EQ(t.server_version, "7.1");
  ASSERT_NE(t.FindAccount("ann"), nullptr);
  EXPECT_EQ(t.FindAccount("ann")->auth_type, 7);
  EXPECT_EQ(t.FindAccount("ann")->faults.usrp_result, 4);
  EXPECT_EQ(t.FindAccount("bob"), nullptr);
  auto volumes = t.Volumes("ann");
  ASSERT_EQ(volumes.size(), 1u);
  EXPECT_EQ(volumes[0].Entry(), "WORKGRP:\\\\PC1\\C");
  auto back = t.LoadVolume("ann", "WORKGRP:\\\\PC1\\C");
  ASSERT_TRUE(back);
  ASSERT_NE(back->Find("Data\\a.txt"), nullptr);
  EXPECT_EQ(back->Find("Data\\a.txt")->versions[0].crc32, 0xDEADBEEFu);
  EXPECT_EQ(back->Find("Data\\a.txt")->versions[0].faults.sfil_status, 2);
  EXPECT_FALSE(t.LoadVolume("ann", "WORKGRP:\\\\PC1\\D"));
}

TEST(Store, BrokenConfigIsReported) {
  bexa::testing::TempHome home;
  const auto dir = std::filesystem::path(home.dir()) / "store";
  bexa::testing::WriteFile((dir / "config.json").string(), "{ not json");
  try {
    Store::Open(dir);
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("config.json"), std::string::npos);
  }
}

}  // namespace
}  // namespace bexa::server
