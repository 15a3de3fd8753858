#include "restore/destination.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <deque>
#include <filesystem>

#include "restore/file_status.h"
#include "tests/support/temp_home.h"
#include "util/text.h"

namespace bexa {
namespace {

std::u16string Text(int id) {
  switch (id) {
    case 1149: return u"The following file could not be restored because the volume '%s' was not available: %s";
    case 1150: return u"The following file was not overwritten/restored at the request of the user: %s";
    case 1151: return u"The following file could not have its read only flag removed and was not restored: %s";
  }
  return u"?";
}

class DestinationTest : public ::testing::Test, public ConfirmReplacePrompt {
 protected:
  void SetUp() override {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    std::filesystem::create_directories(home_.dir() + "/d");
    home_.WriteWinIni("[Drives]\nD=" + home_.dir() + "/d\n[Shares]\n\\\\NAS\\pub=" + home_.dir() +
                      "/d\n");
    run_.computer_name = u"PC1";
    services_.prompt = this;
    services_.shares = &shares_;
    services_.log = &log_;
    services_.text = Text;
  }
  int32_t Ask(const std::u16string& path, int64_t existing_size, const DateTime&, int64_t new_size,
              const DateTime&, int32_t& dialog_state) override {
    asked_.push_back(path);
    last_sizes_ = {existing_size, new_size};
    dialog_state = 1;
    int32_t answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  std::string Host(const std::string& below_c) { return home_.DriveC() + "/" + below_c; }
  std::u16string Decide(const std::u16string& stored, int64_t size = 10) {
    return Destination(run_, services_, stored, u"20240102030405", u"20240101000000", size);
  }

  bexa::testing::TempHome home_;
  DestinationRun run_;
  ShareAvailability shares_;
  StatusRecord log_;
  DestinationServices services_;
  std::deque<int32_t> answers_;
  std::vector<std::u16string> asked_;
  std::pair<int64_t, int64_t> last_sizes_;
};

TEST_F(DestinationTest, PurePathRule) {
  struct Case {
    int32_t choice;
    std::u16string folder;
    bool rebuild;
    std::u16string stored, want;
  } cases[] = {
      {0, u"", true, u"\\\\PC1\\C\\Data\\a.txt", u"C:\\Data\\a.txt"},
      {0, u"", true, u"\\\\pc1\\d\\x", u"D:\\x"},
      {0, u"", true, u"\\\\PC2\\C\\Data\\a.txt", u"\\\\PC2\\C\\Data\\a.txt"},  // another machine
      {1, u"D:\\Out", true, u"\\\\PC1\\C\\Data\\a.txt", u"D:\\Out\\PC1\\C\\Data\\a.txt"},
      {1, u"D:\\Out\\", true, u"\\\\PC1\\C\\a.txt", u"D:\\Out\\PC1\\C\\a.txt"},
      {1, u"D:\\Out", false, u"\\\\PC1\\C\\Data\\a.txt", u"D:\\Out\\a.txt"},
  };
  for (const auto& c : cases) {
    run_.choice = c.choice;
    run_.folder = c.folder;
    run_.rebuild_hierarchy = c.rebuild;
    EXPECT_EQ(DestinationPath(run_, c.stored, u"20240102030405", false), c.want)
        << WideToUtf8(c.stored);
  }
  EXPECT_TRUE(std::filesystem::is_directory(home_.dir() + "/d/Out/PC1/C/Data"));
}

TEST_F(DestinationTest, DatedNamesGoBeforeTheLastDot) {
  const DateTime date = DateTime::FromParts(2024, 1, 2, 15, 4, 5);
  EXPECT_EQ(DatedName(u"D:\\Out\\a.txt", date), u"D:\\Out\\a1-2-2024 3.04 PM.txt");
  EXPECT_EQ(DatedName(u"D:\\Out\\v1.2\\README", date), u"D:\\Out\\v11-2-2024 3.04 PM.2\\README");
  EXPECT_EQ(DatedName(u"D:\\Out\\Makefile", date), u"D:\\Out\\Makefile1-2-2024 3.04 PM");
  EXPECT_EQ(DatedName(u"D:\\Out\\a.txt", DateTime::Invalid()), u"D:\\Out\\a.txt");
}

TEST_F(DestinationTest, OlderOfTwoSelectedVersionsIsDated) {
  run_.choice = 1;
  run_.folder = u"D:\\Out";
  run_.rebuild_hierarchy = false;
  run_.selected_versions = [](const std::u16string& path) {
    return std::vector<std::u16string>{path + u":20240102030405", path + u":20230101000000"};
  };
  EXPECT_EQ(DestinationPath(run_, u"\\\\PC1\\C\\a.txt", u"20240102030405", false),
            u"D:\\Out\\a.txt");
  EXPECT_EQ(DestinationPath(run_, u"\\\\PC1\\C\\a.txt", u"20230101000000", false),
            u"D:\\Out\\a1-1-2023 12.00 AM.txt");
}

TEST_F(DestinationTest, YesToAllHoldsForTheRestOfTheRun) {
  bexa::testing::WriteFile(Host("one.txt"), "12345");
  bexa::testing::WriteFile(Host("two.txt"), "x");
  answers_ = {kYesToAll};
  EXPECT_EQ(Decide(u"\\\\PC1\\C\\one.txt", 99), u"C:\\one.txt");
  EXPECT_EQ(last_sizes_, std::make_pair(int64_t{5}, int64_t{99}));
  EXPECT_EQ(Decide(u"\\\\PC1\\C\\two.txt"), u"C:\\two.txt");
  EXPECT_EQ(asked_.size(), 1u);
  EXPECT_EQ(run_.dialog_state, 1);
  EXPECT_EQ(Decide(u"\\\\PC1\\C\\new.txt"), u"C:\\new.txt");  // no file: no question
  EXPECT_EQ(run_.destination_counter, 3);
}

TEST_F(DestinationTest, NoSkipsAndLogsAWarning) {
  bexa::testing::WriteFile(Host("one.txt"), "1");
  answers_ = {kNo, kNoToAll};
  EXPECT_EQ(Decide(u"\\\\PC1\\C\\one.txt"), u"");
  EXPECT_EQ(Decide(u"\\\\PC1\\C\\one.txt"), u"");
  EXPECT_EQ(Decide(u"\\\\PC1\\C\\one.txt"), u"");
  EXPECT_EQ(asked_.size(), 2u);
  ASSERT_EQ(log_.LineCount(LineKind::kWarning), 3u);
  EXPECT_EQ(log_.Lines(LineKind::kWarning)[0],
            u"The following file was not overwritten/restored at the request of the user: C:\\one.txt");
}

TEST_F(DestinationTest, UniqueNamesTryTheDatedNameFirst) {
  bexa::testing::WriteFile(Host("a.txt"), "1");
  answers_ = {kUniqueName, kUniqueName, kUniqueName};
  EXPECT_EQ(Decide(u"\\\\PC1\\C\\a.txt"), u"C:\\a1-2-2024 3.04 AM.txt");
  bexa::testing::WriteFile(Host("a1-2-2024 3.04 AM.txt"), "2");
  EXPECT_EQ(Decide(u"\\\\PC1\\C\\a.txt"), u"C:\\a1-2-2024 3.04 AM (1).txt");
  bexa::testing::WriteFile(Host("a1-2-2024 3.04 AM (1).txt"), "3");
  EXPECT_EQ(Decide(u"\\\\PC1\\C\\a.txt"), u"C:\\a1-2-2024 3.04 AM (2).txt");
}

TEST_F(DestinationTest, ReadOnlyFileIsMadeWritableBeforeOverwrite) {
  bexa::testing::WriteFile(Host("ro.txt"), "1");
  FileStatus st;
  ASSERT_TRUE(GetFileStatus(u"C:\\ro.txt", st));
  st.attributes = 0x01;
  ASSERT_TRUE(SetFileStatus(u"C:\\ro.txt", st));
  answers_ = {kYes};
  EXPECT_EQ(Decide(u"\\\\PC1\\C\\ro.txt"), u"C:\\ro.txt");
  ASSERT_TRUE(GetFileStatus(u"C:\\ro.txt", st));
  EXPECT_EQ(st.attributes & 0x01, 0);
}

TEST_F(DestinationTest, UnavailableShareIsLogged) {
  EXPECT_EQ(Decide(u"\\\\PC2\\C\\Data\\a.txt"), u"");
  ASSERT_EQ(log_.LineCount(LineKind::kError), 1u);
  EXPECT_EQ(log_.Lines(LineKind::kError)[0],
            u"The following file could not be restored because the volume '\\\\PC2\\C' was not "
            u"available: \\\\PC2\\C\\Data\\a.txt");
  // A mapped share is reachable.
  EXPECT_EQ(Decide(u"\\\\NAS\\pub\\f.txt"), u"\\\\NAS\\pub\\f.txt");
  EXPECT_EQ(Decide(u""), u"");
}

TEST_F(DestinationTest, FileStatusRoundTrip) {
  bexa::testing::WriteFile(Host("t.txt"), "abc");
  FileStatus st;
  ASSERT_TRUE(GetFileStatus(u"C:\\t.txt", st));
  EXPECT_EQ(st.size, 3);
  st.last_write = DateTime::FromParts(2020, 5, 6, 7, 8, 9);
  st.last_access = DateTime::FromParts(2021, 1, 1);
  ASSERT_TRUE(SetFileStatus(u"C:\\t.txt", st));
  FileStatus back;
  ASSERT_TRUE(GetFileStatus(u"C:\\t.txt", back));
  EXPECT_EQ(back.last_write, st.last_write);
  EXPECT_EQ(back.last_access, st.last_access);
  EXPECT_FALSE(GetFileStatus(u"", back));
  EXPECT_FALSE(GetFileStatus(u"C:\\none", back));
}

}  // namespace
}  // namespace bexa
