#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/temp_home.h"

namespace bexa::platform {
namespace {

class FilesTest : public ::testing::Test {
 protected:
  bexa::testing::TempHome home_;
};

TEST_F(FilesTest, CreateWriteReadAndErrors) {
  File f;
  ASSERT_TRUE(f.Open(u"C:\\new.bin", kAccessWrite, kCreateNew));
  ASSERT_TRUE(f.Write("hello", 5));
  ASSERT_TRUE(f.Close());
  EXPECT_FALSE(f.Open(u"C:\\new.bin", kAccessWrite, kCreateNew));
  EXPECT_EQ(LastError(), kErrorFileExists);

  ASSERT_TRUE(f.Open(u"C:\\new.bin", kAccessRead, kOpenExisting));
  char buf[16];
  size_t done = 0;
  ASSERT_TRUE(f.Read(buf, sizeof(buf), done));
  EXPECT_EQ(std::string(buf, done), "hello");
  uint64_t len = 0;
  ASSERT_TRUE(f.Length(len));
  EXPECT_EQ(len, 5u);

  EXPECT_FALSE(f.Open(u"C:\\missing.bin", kAccessRead, kOpenExisting));
  EXPECT_EQ(LastError(), kErrorFileNotFound);
  EXPECT_FALSE(f.Open(u"C:\\no\\such\\dir\\f", kAccessRead, kOpenExisting));
  EXPECT_EQ(LastError(), kErrorPathNotFound);
  EXPECT_FALSE(f.Open(u"\\\\NOPC\\share\\f", kAccessRead, kOpenExisting));
  EXPECT_EQ(LastError(), kErrorBadNetName);
}

TEST_F(FilesTest, AttributesMapToModeAndExtendedAttribute) {
  bexa::testing::WriteFile(home_.DriveC() + "/a.txt", "x");
  EXPECT_EQ(GetAttributes(u"C:\\a.txt"), kAttrNormal);
  ASSERT_TRUE(SetAttributes(u"C:\\a.txt", kAttrReadOnly));
  EXPECT_EQ(GetAttributes(u"C:\\a.txt"), kAttrReadOnly);
  struct stat st;
  ASSERT_EQ(::stat((home_.DriveC() + "/a.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & S_IWUSR, 0u);
  ASSERT_TRUE(SetAttributes(u"C:\\a.txt", kAttrHidden | kAttrArchive));
  const uint32_t a = GetAttributes(u"C:\\a.txt");
  EXPECT_EQ(a & kAttrReadOnly, 0u);
  // Hidden and archive survive only where the file system has extended attributes.
  if (a != kAttrNormal) {
    EXPECT_EQ(a, kAttrHidden | kAttrArchive);
  }
  EXPECT_EQ(GetAttributes(u"C:\\"), kAttrDirectory);
  EXPECT_EQ(GetAttributes(u"C:\\nothing"), kInvalidAttributes);
}

TEST_F(FilesTest, TimesSetAndRead) {
  bexa::testing::WriteFile(home_.DriveC() + "/t.txt", "x");
  const uint64_t write = 133000000000000000ULL;  // 2022
  const uint64_t access = 132000000000000000ULL;
  ASSERT_TRUE(SetTimes(u"C:\\t.txt", nullptr, &access, &write));
  FileTimes t;
  ASSERT_TRUE(GetTimes(u"C:\\t.txt", t));
  EXPECT_EQ(t.last_write, write);
  EXPECT_EQ(t.last_access, access);
  FindData data;
  ASSERT_TRUE(FindOne(u"C:\\t.txt", data));
  EXPECT_EQ(data.name, u"t.txt");
  EXPECT_EQ(data.size, 1u);
  EXPECT_EQ(data.times.last_write, write);
}

TEST_F(FilesTest, DirectoriesAndMoves) {
  EXPECT_TRUE(CreateDirectoryAt(u"C:\\dir"));
  EXPECT_FALSE(CreateDirectoryAt(u"C:\\dir"));
  EXPECT_EQ(LastError(), kErrorAlreadyExists);
  EXPECT_FALSE(CreateDirectoryAt(u"C:\\a\\b"));
  EXPECT_EQ(LastError(), kErrorPathNotFound);

  bexa::testing::WriteFile(home_.DriveC() + "/one", "1");
  bexa::testing::WriteFile(home_.DriveC() + "/two", "2");
  EXPECT_FALSE(MoveFileAt(u"C:\\one", u"C:\\two", false));
  EXPECT_EQ(LastError(), kErrorAlreadyExists);
  EXPECT_TRUE(MoveFileAt(u"C:\\one", u"C:\\two", true));
  EXPECT_FALSE(std::filesystem::exists(home_.DriveC() + "/one"));
  EXPECT_TRUE(DeleteFileAt(u"C:\\two"));
  EXPECT_FALSE(DeleteFileAt(u"C:\\dir"));
  EXPECT_TRUE(RemoveDirectoryAt(u"C:\\dir"));
}

TEST_F(FilesTest, FullPathNames) {
  struct Case {
    std::u16string in, out;
  } cases[] = {
      {u"C:\\a\\.\\b\\..\\c", u"C:\\a\\c"},
      {u"C:\\a\\", u"C:\\a\\"},
      {u"C:\\..\\..", u"C:\\"},
      {u"\\\\srv\\share\\x\\..\\y", u"\\\\srv\\share\\y"},
      {u"\\\\?\\C:\\a\\..\\b", u"\\\\?\\C:\\a\\..\\b"},
      {u"C:/a/b", u"C:\\a\\b"},
  };
  for (const auto& c : cases) {
    std::u16string full;
    ASSERT_TRUE(FullPathName(c.in, full));
    EXPECT_EQ(full, c.out);
  }
  std::u16string full;
  EXPECT_FALSE(FullPathName(u"C:\\" + std::u16string(40000, u'a'), full, 32767));
  ASSERT_TRUE(FullPathName(u"rel\\f", full));
  EXPECT_EQ(full.substr(full.size() - 6), u"\\rel\\f");
}

}  // namespace
}  // namespace bexa::platform
