#include "util/text.h"

#include <gtest/gtest.h>

#include "tests/support/temp_home.h"

namespace bexa {
namespace {

TEST(Format, EveryFormTheSystemUses) {
  struct Case {
    std::u16string got, want;
  } cases[] = {
      {Format(u"%s:%I64d:%d", u"\\\\PC1\\C\\a.txt", int64_t{5000000000}, 2),
       u"\\\\PC1\\C\\a.txt:5000000000:2"},
      {Format(u"%u files", 4294967295u), u"4294967295 files"},
      {Format(u"%d", -7), u"-7"},
      {Format(u"[%c]", u'\u00e7'), u"[\u00e7]"},
      {Format(u"%.2fMB", 1.005 * 1024), u"1029.12MB"},
      {Format(u"%.4f", 2.0 / 3), u"0.6667"},
      {Format(u"%02d:%02d", 7, 45), u"07:45"},
      {Format(u"100%%"), u"100%"},
      {Format(u"%5s|%-5s|", u"ab", u"cd"), u"   ab|cd   |"},
      {Format(u"%x %X %08X", 255u, 255u, 0xBEEFu), u"ff FF 0000BEEF"},
      {Format(u"%I64d", int64_t{-9223372036854775807LL - 1}), u"-9223372036854775808"},
      {Format(u"%ld", 12), u"12"},
      {Format(u"%s %s", u"only one"), u"only one "},  // missing argument prints nothing
      {Format(u"%d", int64_t{4294967296LL + 5}), u"5"},  // %d reads 32 bits
      {Format(u"end %"), u"end %"},
      {Format(u"%q"), u"%q"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(Format, LongAndNonBmpTexts) {
  const std::u16string long_text(40000, u'x');
  EXPECT_EQ(Format(u"<%s>", long_text).size(), 40002u);
  EXPECT_EQ(Format(u"%s", u"\U0001F600"), u"\U0001F600");
  EXPECT_EQ(Format(u"%99999999d", 1).size(), 4096u);  // width is capped
}

TEST(Text, GroupDigits) {
  struct Case {
    const char16_t* in;
    const char16_t* sep;
    const char16_t* out;
  } cases[] = {{u"0", u",", u"0"},          {u"999", u",", u"999"},
               {u"1000", u",", u"1,000"},   {u"1234567", u".", u"1.234.567"},
               {u"-1234", u",", u"-1,234"}, {u"123456", u"", u"123456"}};
  for (const auto& c : cases) EXPECT_EQ(GroupDigits(c.in, c.sep), c.out);
}

TEST(Text, TrimUpperAndCompare) {
  EXPECT_EQ(Trim(u" \t a b \r\n"), u"a b");
  EXPECT_EQ(Trim(u"   "), u"");
  EXPECT_EQ(ToUpper(u"straße \u00e0\u00e9\u00ff\u0101\u017e"), u"STRA\u00dfE \u00c0\u00c9\u0178\u0100\u017d");
  EXPECT_EQ(ToLower(u"\u00c0B\u0178"), u"\u00e0b\u00ff");
  EXPECT_EQ(CompareNoCase(u"abc", u"ABC"), 0);
  EXPECT_LT(CompareNoCase(u"abc", u"ABD"), 0);
  EXPECT_GT(CompareNoCase(u"abcd", u"ABC"), 0);
  EXPECT_TRUE(EqualsNoCase(u"\u00e9t\u00e9", u"\u00c9T\u00c9"));
}

}  // namespace
}  // namespace bexa
