#include "platform/profile.h"

#include <gtest/gtest.h>

#include "tests/support/temp_home.h"

namespace bexa::platform {
namespace {

class ProfileTest : public ::testing::Test {
 protected:
  bexa::testing::TempHome home_;
  std::string ini_ = bexa::testing::WriteFile(
      home_.dir() + "/settings.ini",
      "; a comment\r\n"
      "[Protocol]\r\n"
      "  LogLevel =  3  \r\n"
      "Name=\"  quoted  \"\r\n"
      "Empty=\r\n"
      "Number=-42abc\r\n"
      "Word=abc\r\n"
      "[ other ]\n"
      "LogLevel=9\n"
      "Caf\xc3\xa9=\xc3\xb1o\n");
};

TEST_F(ProfileTest, SectionsAndKeysIgnoreCaseValuesAreTrimmed) {
  EXPECT_EQ(GetProfileString(u"protocol", u"LOGLEVEL", u"x", 256, ini_), u"3");
  EXPECT_EQ(GetProfileString(u"OTHER", u"loglevel", u"x", 256, ini_), u"9");
  EXPECT_EQ(GetProfileString(u"Protocol", u"Name", u"", 256, ini_), u"  quoted  ");
  EXPECT_EQ(GetProfileString(u"Other", u"CAF\u00c9", u"", 256, ini_), u"\u00f1o");
}

TEST_F(ProfileTest, MissingGivesTheDefaultAndEmptyValueStaysEmpty) {
  EXPECT_EQ(GetProfileString(u"Protocol", u"Missing", u" dflt ", 256, ini_), u"dflt");
  EXPECT_EQ(GetProfileString(u"Nowhere", u"LogLevel", u"d", 256, ini_), u"d");
  EXPECT_EQ(GetProfileString(u"Protocol", u"Empty", u"d", 256, ini_), u"");
  EXPECT_EQ(GetProfileString(u"Protocol", u"LogLevel", u"d", 256, home_.dir() + "/none.ini"),
            u"d");
}

TEST_F(ProfileTest, BufferSizeCutsTheValue) {
  EXPECT_EQ(GetProfileString(u"Protocol", u"Word", u"", 3, ini_), u"ab");
  EXPECT_EQ(GetProfileString(u"Protocol", u"Word", u"", 1, ini_), u"");
  EXPECT_EQ(GetProfileString(u"Protocol", u"Word", u"", 0, ini_), u"");
}

TEST_F(ProfileTest, IntegersReadLeadingDigits) {
  EXPECT_EQ(GetProfileInt(u"Protocol", u"LogLevel", 7, ini_), 3);
  EXPECT_EQ(GetProfileInt(u"Protocol", u"Number", 7, ini_), -42);
  EXPECT_EQ(GetProfileInt(u"Protocol", u"Word", 7, ini_), 0);
  EXPECT_EQ(GetProfileInt(u"Protocol", u"Missing", 7, ini_), 7);
}

TEST_F(ProfileTest, WriteAddsReplacesAndRemoves) {
  const std::string path = home_.dir() + "/new.ini";
  const std::u16string one = u"1", two = u"2";
  ASSERT_TRUE(WriteProfileString(u"Retrovia", u"usr", &one, path));
  ASSERT_TRUE(WriteProfileString(u"Retrovia", u"pwd", &two, path));
  ASSERT_TRUE(WriteProfileString(u"retrovia", u"USR", &two, path));
  EXPECT_EQ(GetProfileString(u"Retrovia", u"usr", u"", 64, path), u"2");
  ASSERT_TRUE(WriteProfileString(u"Retrovia", u"pwd", nullptr, path));
  EXPECT_EQ(GetProfileString(u"Retrovia", u"pwd", u"gone", 64, path), u"gone");
  EXPECT_EQ(GetProfileSection(u"Retrovia", path).size(), 1u);
}

TEST_F(ProfileTest, Utf16FileWithByteOrderMark) {
  std::string bytes = "\xff\xfe";
  for (char c : std::string("[A]\r\nk=v\r\n")) bytes += std::string(1, c) + '\0';
  const std::string path = bexa::testing::WriteFile(home_.dir() + "/wide.ini", bytes);
  EXPECT_EQ(GetProfileString(u"a", u"K", u"", 16, path), u"v");
}

}  // namespace
}  // namespace bexa::platform
