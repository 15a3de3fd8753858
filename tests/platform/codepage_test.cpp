#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace bexa::platform {
namespace {

TEST(CodePage, AnsiRoundTripOfEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(WideToAnsi(AnsiToWide(all)), all);
  EXPECT_EQ(AnsiToWide("\x80\x9f\xe9"), u"\u20ac\u0178\u00e9");
}

TEST(CodePage, UnmappableBecomesQuestionMark) {
  // A CJK character, a Greek letter and both halves of a non-BMP character.
  EXPECT_EQ(WideToAnsi(u"a\u4e2d\u03b1\U0001F600b"), "a???" "?b");
  EXPECT_EQ(WideToAnsi(u"\u20ac\u2122"), "\x80\x99");
}

TEST(CodePage, Utf8RoundTripIncludingNonBmp) {
  const std::u16string text = u"Caf\u00e9 \u4e2d \U0001F600";
  EXPECT_EQ(Utf8ToWide(WideToUtf8(text)), text);
  EXPECT_EQ(WideToUtf8(u"\u00f1"), "\xc3\xb1");
}

TEST(CodePage, MalformedInputIsReplacedNotFatal) {
  struct Case {
    std::string utf8;
    std::u16string wide;
  } cases[] = {
      {"\xff", u"\ufffd"},                  // invalid lead byte
      {"a\xc3", u"a\ufffd"},                // truncated sequence
      {"\xc0\xaf", u"\ufffd"},              // overlong "/"
      {"\xed\xa0\x80x", u"\ufffdx"},        // encoded surrogate
      {"\xe2\x82z", u"\ufffdz"},            // continuation missing
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToWide(c.utf8), c.wide) << c.utf8;
  EXPECT_EQ(WideToUtf8(std::u16string(1, char16_t(0xD800))), "\xef\xbf\xbd");
}

}  // namespace
}  // namespace bexa::platform
