#include "util/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "tests/support/temp_home.h"
#include "util/exceptions.h"
#include "util/text.h"

namespace bexa {
namespace {

std::u16string ThrownText(const std::function<void()>& f) {
  try {
    f();
  } catch (const FileSystemException& e) {
    return e.Text();
  }
  return u"(nothing thrown)";
}

TEST(FileSystem, RootLength) {
  struct Case {
    std::u16string path;
    size_t length;  // 0: "Path is invalid"
  } cases[] = {
      {u"C:\\a\\b", 3},
      {u"C:\\", 3},
      {u"C:", 0},
      {u"\\\\srv\\share\\a", 12},
      {u"\\\\srv\\share", 11},
      {u"\\\\srv", 0},
      {u"\\\\srv\\", 0},
      {u"\\\\srv\\s", 0},  // a one-letter share name is too short
      {u"\\\\srv\\ab", 8},
      {u"\\\\?\\C:\\dir", 7},
      {u"\\\\?\\UNC\\srv\\share\\dir", 18},
      {u"relative\\path", 0},
      {u"\\rooted", 0},
  };
  for (const auto& c : cases) {
    if (c.length == 0) {
      EXPECT_EQ(ThrownText([&] { RootLength(c.path); }), u"Path is invalid")
          << WideToUtf8(c.path);
    } else {
      EXPECT_EQ(RootLength(c.path), c.length) << WideToUtf8(c.path);
    }
  }
}

TEST(FileSystem, LongPathForms) {
  struct Case {
    std::u16string in, out;
  } cases[] = {
      {u"C:\\a", u"\\\\?\\C:\\a"},
      {u"\\\\srv\\share\\a", u"\\\\?\\UNC\\srv\\share\\a"},
      {u"a\\b", u"a\\b"},
      {u"C:a", u"C:a"},
      {u"\\\\?\\C:\\a", u"\\\\?\\C:\\a"},
      {u"x\\\\?\\y", u"x\\\\?\\y"},  // "\\?\" anywhere marks a long path
  };
  for (const auto& c : cases) EXPECT_EQ(ToLongPath(c.in), c.out) << WideToUtf8(c.in);
  EXPECT_TRUE(IsRootPath(u"C:"));
  EXPECT_TRUE(IsRootPath(u"\\\\srv\\share"));
  EXPECT_FALSE(IsRootPath(u"C:\\a"));
  EXPECT_EQ(AddTrailingBackslash(u"C:\\a"), u"C:\\a\\");
  EXPECT_EQ(AddTrailingBackslash(u"C:\\a\\"), u"C:\\a\\");
  EXPECT_EQ(RemoveTrailingBackslash(u"C:\\a\\"), u"C:\\a");
}

TEST(FileSystem, BadArgumentsThrowFixedTexts) {
  EXPECT_EQ(ThrownText([] { RootLength(u""); }), u"Path cannot be empty");
  EXPECT_EQ(ThrownText([] { IsRootPath(u""); }), u"Path cannot be empty");
  EXPECT_EQ(ThrownText([] { IsLongPath(u""); }), u"Path cannot be empty");
  EXPECT_EQ(ThrownText([] { ToLongPath(u""); }), u"Path cannot be empty");
  EXPECT_EQ(ThrownText([] { PathExists(u""); }), u"Path cannot be empty");
  EXPECT_EQ(ThrownText([] { bool d; GetPathAttributes(u"", d); }), u"Path cannot be empty");
  EXPECT_EQ(ThrownText([] { AddTrailingBackslash(u""); }), u"Directory cannot be empty");
  EXPECT_EQ(ThrownText([] { RemoveTrailingBackslash(u""); }), u"Directory cannot be empty");
  EXPECT_EQ(ThrownText([] { CreateDirectoryTree(u""); }), u"Directory cannot be empty");
}

class FileSystemOnDisk : public ::testing::Test {
 protected:
  bexa::testing::TempHome home_;
};

TEST_F(FileSystemOnDisk, CreateDirectoryTreeMakesTheChain) {
  EXPECT_TRUE(CreateDirectoryTree(u"C:\\"));
  EXPECT_TRUE(CreateDirectoryTree(u"C:\\a\\b\\c"));
  EXPECT_TRUE(std::filesystem::is_directory(home_.DriveC() + "/a/b/c"));
  EXPECT_TRUE(CreateDirectoryTree(u"C:\\a\\b\\c\\"));  // exists: true, nothing made
  EXPECT_TRUE(CreateDirectoryTree(u"\\\\?\\C:\\a\\x"));

  bexa::testing::WriteFile(home_.DriveC() + "/a/file", "x");
  EXPECT_FALSE(CreateDirectoryTree(u"C:\\a\\file"));       // a file is in the way
  EXPECT_FALSE(CreateDirectoryTree(u"C:\\a\\file\\sub"));  // and below it
  EXPECT_FALSE(CreateDirectoryTree(u"Q:\\x"));              // no such drive
  EXPECT_FALSE(CreateDirectoryTree(u"Q:\\"));
  bool is_directory = false;
  EXPECT_TRUE(GetPathAttributes(u"C:\\a\\file", is_directory));
  EXPECT_FALSE(is_directory);
  EXPECT_TRUE(PathExists(u"C:\\a\\b"));
  EXPECT_FALSE(PathExists(u"C:\\a\\nothing"));
}

TEST_F(FileSystemOnDisk, LongAndOddPathsFailCleanly) {
  const std::u16string deep = u"C:\\" + std::u16string(40000, u'd');
  EXPECT_FALSE(CreateDirectoryTree(deep));
  EXPECT_FALSE(PathExists(deep));
  EXPECT_FALSE(PathExists(u"C:\\\U0001F600"));
  EXPECT_TRUE(CreateDirectoryTree(u"C:\\\U0001F600\\\u00e9"));
  EXPECT_TRUE(PathExists(u"C:\\\U0001F600\\\u00e9"));
}

TEST_F(FileSystemOnDisk, NsFileOpenModesAndErrorRecord) {
  NS_File f;
  FileError error;
  ASSERT_TRUE(f.Open(u"C:\\out.bin", NS_File::modeCreate | NS_File::modeWrite, &error));
  EXPECT_EQ(f.FilePath(), u"C:\\out.bin");
  ASSERT_TRUE(f.Write("abc", 3));
  f.Close();
  // Create with no-truncate keeps the contents.
  ASSERT_TRUE(f.Open(u"C:\\out.bin",
                     NS_File::modeCreate | NS_File::modeNoTruncate | NS_File::modeReadWrite));
  uint64_t len = 0;
  ASSERT_TRUE(f.Length(len));
  EXPECT_EQ(len, 3u);
  f.Close();

  EXPECT_FALSE(f.Open(u"C:\\missing\\f.bin", NS_File::modeRead, &error));
  EXPECT_EQ(error.os_error, platform::kErrorPathNotFound);
  EXPECT_EQ(error.cause, FileError::kBadPath);
  EXPECT_EQ(error.file_name, u"C:\\missing\\f.bin");
  EXPECT_FALSE(f.Open(u"C:\\nofile.bin", NS_File::modeRead, &error));
  EXPECT_EQ(error.cause, FileError::kFileNotFound);
  EXPECT_FALSE(f.Open(u"", NS_File::modeRead, &error));
  EXPECT_FALSE(f.Open(u"C:\\" + std::u16string(40000, u'x'), NS_File::modeRead, &error));
}

}  // namespace
}  // namespace bexa
