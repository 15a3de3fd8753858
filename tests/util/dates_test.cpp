#include "util/dates.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include "tests/support/temp_home.h"
#include "util/exceptions.h"
#include "util/text.h"

namespace bexa {
namespace {

// Dates are local; the tests run in a fixed zone so that instants are known.
class DatesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }
  bexa::testing::TempHome home_;
};

TEST_F(DatesTest, ParseProtocolDateForms) {
  struct Case {
    std::u16string text;
    bool ok;
    int y, mo, d, h, mi, s;
  } cases[] = {
      {u"20240229134501", true, 2024, 2, 29, 13, 45, 1},
      {u"20240229", true, 2024, 2, 29, 0, 0, 0},      // date alone
      {u"2024022913", true, 2024, 2, 29, 13, 0, 0},   // fields past the end read 0
      {u"", false},                                   // month 0
      {u"20241301000000", false},                     // month 13
      {u"20230229000000", false},                     // no 29 February in 2023
      {u"20240101240000", false},                     // hour 24
      {u"20240101005960", false},                     // second 60
      {u"2024ab01000000", false},                     // no digits: month 0
      {u"1000000000", false},                         // 10 digits are no seconds count
      {u"000000000", true, 1970, 1, 1, 0, 0, 0},      // 9 characters: seconds since 1970
      {u"999999999", true, 2001, 9, 9, 1, 46, 39},
  };
  for (const auto& c : cases) {
    DateTime date;
    EXPECT_EQ(ParseProtocolDate(c.text, date), c.ok) << WideToUtf8(c.text);
    if (!c.ok) {
      EXPECT_FALSE(date.IsValid());
      continue;
    }
    DateParts p = date.Parts();
    EXPECT_EQ((std::vector<int>{p.year, p.month, p.day, p.hour, p.minute, p.second}),
              (std::vector<int>{c.y, c.mo, c.d, c.h, c.mi, c.s}))
        << WideToUtf8(c.text);
  }
}

TEST_F(DatesTest, FormatThenParseGivesTheSameDate) {
  for (const auto& text : {u"19991231235959", u"20240229000000", u"18500101120000",
                           u"01000101000000", u"99991231235959"}) {
    DateTime date;
    ASSERT_TRUE(ParseProtocolDate(text, date)) << WideToUtf8(text);
    EXPECT_EQ(FormatProtocolDate(date), text);
  }
  EXPECT_EQ(FormatProtocolDate(DateTime::Invalid()), u"");
  EXPECT_EQ(FormatProtocolDate(DateTime::Null()), u"");
}

TEST_F(DatesTest, OleDatesCountDaysFrom1899) {
  EXPECT_EQ(DateTime::FromParts(1899, 12, 30).ole(), 0.0);
  EXPECT_EQ(DateTime::FromParts(1900, 1, 1, 6).ole(), 2.25);
  EXPECT_EQ(DateTime::FromParts(1899, 12, 29, 6).ole(), -1.25);  // time counts away from zero
  EXPECT_EQ(DateTime::FromOle(-1.25).Parts().hour, 6);
  EXPECT_EQ(DateTime::FromOle(-1.25).Parts().day, 29);
  EXPECT_EQ(DateTime::FromParts(2000, 1, 1).Parts().day_of_week, 6);  // a Saturday
  EXPECT_FALSE(DateTime::FromParts(99, 1, 1).IsValid());
}

TEST_F(DatesTest, DisplayTexts) {
  DateTime date = DateTime::FromParts(2024, 3, 5, 14, 7, 9);
  EXPECT_EQ(ShortDateTimeText(date, false), u"3/5/2024 2:07 PM");
  EXPECT_EQ(ShortDateTimeText(date, true), u"3/5/2024 2:07:09 PM");
  EXPECT_EQ(LongDateTimeText(date, false), u"Tuesday, March 5, 2024 2:07 PM");
  EXPECT_EQ(ShortDateTimeText(DateTime::Invalid(), true), u"");
  EXPECT_EQ(LongDateTimeText(DateTime::Null(), false), u"");

  home_.WriteWinIni("[Intl]\nsShortDate=dd.MM.yyyy\nsTimeFormat=HH:mm:ss\nsLongDate='Day' d MMM yy\n");
  EXPECT_EQ(ShortDateTimeText(date, false), u"05.03.2024 14:07");
  EXPECT_EQ(LongDateTimeText(date, true), u"Day 5 Mar 24 14:07:09");
}

TEST_F(DatesTest, FileTimesAreUtc) {
  uint64_t ft = 0;
  ASSERT_TRUE(DateToFileTime(DateTime::FromParts(1970, 1, 1), ft));
  EXPECT_EQ(ft, 116444736000000000ULL);
  ::setenv("TZ", "EST5", 1);
  ::tzset();
  ASSERT_TRUE(DateToFileTime(DateTime::FromParts(1970, 1, 1), ft));
  EXPECT_EQ(ft, 116444736000000000ULL + 5ULL * 3600 * 10000000);
  EXPECT_EQ(FormatProtocolDate(FileTimeToDate(ft)), u"19700101000000");
  EXPECT_FALSE(DateToFileTime(DateTime::FromParts(1600, 12, 31), ft));
  EXPECT_FALSE(DateToFileTime(DateTime::Invalid(), ft));
}

TEST_F(DatesTest, PlatformFacts) {
  EXPECT_TRUE(IsWindowsNT());
  EXPECT_FALSE(IsWow64());
}

}  // namespace
}  // namespace bexa
