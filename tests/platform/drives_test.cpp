#include "platform/drives.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_home.h"

namespace bexa::platform {
namespace {

class DrivesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(home_.dir() + "/d");
    std::filesystem::create_directories(home_.dir() + "/x");
    std::filesystem::create_directories(home_.dir() + "/pc2e");
    home_.WriteWinIni("[Drives]\nd=" + home_.dir() + "/d/,removable\n" +
                      "X:=" + home_.dir() + "/x, remote, \\\\PC2\\D\n" +
                      "E=" + home_.dir() + "/missing,cdrom\n" +
                      "[Shares]\n\\\\PC2\\E=" + home_.dir() + "/pc2e\n");
  }
  bexa::testing::TempHome home_;
};

TEST_F(DrivesTest, TableInLetterOrderWithDefaults) {
  std::u16string letters;
  for (const auto& d : Drives()) letters += d.letter;
  EXPECT_EQ(letters, u"CDEXZ");
  EXPECT_EQ(LogicalDrivesMask(), (1u << 2) | (1u << 3) | (1u << 4) | (1u << 23) | (1u << 25));
}

TEST_F(DrivesTest, DriveTypes) {
  EXPECT_EQ(DriveTypeOf(u"C:\\"), kDriveFixed);
  EXPECT_EQ(DriveTypeOf(u"d:\\"), kDriveRemovable);
  EXPECT_EQ(DriveTypeOf(u"X:\\"), kDriveRemote);
  EXPECT_EQ(DriveTypeOf(u"E:\\"), kDriveNoRootDir);  // its folder is missing
  EXPECT_EQ(DriveTypeOf(u"Q:\\"), kDriveNoRootDir);
  EXPECT_EQ(DriveTypeOf(u"\\\\?\\Z:\\"), kDriveFixed);
}

TEST_F(DrivesTest, MapsDrivePathsSharesAndLongForms) {
  struct Case {
    std::u16string windows;
    std::string host;  // relative to the home folder, "" when not mapped
  } cases[] = {
      {u"C:\\Users\\a.txt", "/drive_c/Users/a.txt"},
      {u"\\\\?\\C:\\Users\\a.txt", "/drive_c/Users/a.txt"},
      {u"D:\\", "/d"},
      {u"d:\\sub\\..\\..\\..\\f", "/d/f"},  // ".." stays inside the drive
      {u"\\\\pc2\\e\\dir\\f", "/pc2e/dir/f"},
      {u"\\\\?\\UNC\\PC2\\E\\f", "/pc2e/f"},
      {u"\\\\PC2\\D\\f", "/x/f"},  // reached through the remote drive X:
  };
  for (const auto& c : cases) {
    std::string host;
    ASSERT_EQ(MapToHost(c.windows, host), MapStatus::kOk);
    EXPECT_EQ(host, home_.dir() + c.host);
  }
  std::string host;
  EXPECT_EQ(MapToHost(u"Q:\\f", host), MapStatus::kNoDrive);
  EXPECT_EQ(MapToHost(u"\\\\PC3\\C\\f", host), MapStatus::kNoShare);
  EXPECT_EQ(MapToHost(u"relative\\f", host), MapStatus::kInvalid);
  EXPECT_EQ(MapToHost(u"C:relative", host), MapStatus::kInvalid);
  EXPECT_EQ(MapToHost(u"\\\\server", host), MapStatus::kInvalid);
  EXPECT_EQ(MapToHost(u"Z:\\etc\\hosts", host), MapStatus::kOk);
  EXPECT_EQ(host, "/etc/hosts");
}

TEST_F(DrivesTest, UniversalNamesOfRemoteDrives) {
  std::u16string unc;
  ASSERT_TRUE(UniversalNameOf(u"X:\\dir\\f", unc));
  EXPECT_EQ(unc, u"\\\\PC2\\D\\dir\\f");
  EXPECT_FALSE(UniversalNameOf(u"C:\\dir", unc));
}

TEST_F(DrivesTest, HostPathsBecomeDrivePaths) {
  EXPECT_EQ(WindowsPathOf(home_.dir() + "/d/a/b"), u"D:\\a\\b");
  EXPECT_EQ(WindowsPathOf("/home/u/out"), u"Z:\\home\\u\\out");
  EXPECT_EQ(WindowsPathOf("/"), u"Z:\\");
  uint64_t free_bytes = 0;
  EXPECT_TRUE(FreeBytesAvailable(u"C:\\", free_bytes));
  EXPECT_FALSE(FreeBytesAvailable(u"Q:\\", free_bytes));
}

}  // namespace
}  // namespace bexa::platform
