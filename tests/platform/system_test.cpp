#include "platform/system.h"

#include <gtest/gtest.h>

#include "platform/locale.h"
#include "tests/support/temp_home.h"

namespace bexa::platform {
namespace {

TEST(System, ComputerNameIsUpperCaseAndShort) {
  const std::u16string name = ComputerName();
  ASSERT_FALSE(name.empty());
  EXPECT_LE(name.size(), 15u);
  for (char16_t c : name) EXPECT_FALSE(c >= u'a' && c <= u'z');
  EXPECT_EQ(name.find(u'.'), std::u16string::npos);
}

TEST(System, DomainFromWinIniElseWorkgroup) {
  bexa::testing::TempHome home;
  EXPECT_EQ(DomainName(), u"WORKGRP");
  home.WriteWinIni("[Winlogon]\nDefaultDomainName = CORP\n");
  EXPECT_EQ(DomainName(), u"CORP");
  EXPECT_TRUE(IsNtPlatform());
  EXPECT_FALSE(QueryWow64().available);
}

TEST(Locale, PicturesAndSeparator) {
  bexa::testing::TempHome home;
  LocalTime t;
  t.year = 2007, t.month = 1, t.day = 9, t.day_of_week = 2, t.hour = 0, t.minute = 5, t.second = 3;
  struct Case {
    const char16_t* picture;
    bool seconds;
    const char16_t* text;
  } cases[] = {
      {u"h:mm:ss tt", true, u"12:05:03 AM"},  {u"h:mm:ss tt", false, u"12:05 AM"},
      {u"HH:mm:ss", false, u"00:05"},         {u"H.m.s", true, u"0.5.3"},
      {u"dddd d MMMM yyyy", true, u"Tuesday 9 January 2007"},
      {u"ddd dd MMM yy", true, u"Tue 09 Jan 07"},
      {u"'week' d", true, u"week 9"},         {u"d''M", true, u"9'1"},
      {u"t", true, u"A"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatPicture(t, c.picture, c.seconds), c.text);
  std::u16string out;
  t.month = 13;
  EXPECT_FALSE(FormatDate(t, false, out));
  EXPECT_EQ(ThousandSeparator(), u",");
  home.WriteWinIni("[Intl]\nsThousand=.\n");
  EXPECT_EQ(ThousandSeparator(), u".");
}

}  // namespace
}  // namespace bexa::platform
