#include "protocol/version_number.h"

#include <gtest/gtest.h>

#include "protocol/pdu_fields.h"

namespace bexa::protocol {
namespace {

TEST(VersionNumber, TextRoundTripAndParts) {
  struct Case {
    std::u16string text, printed;
    int32_t major, minor, build, revision;
  } cases[] = {
      {u"7.0.0.0KVO", u"7.0.0.0KVO", 7, 0, 0, 0},
      {u"7.0", u"7.0", 7, 0, 0, 0},
      {u"10.0", u"10.0", 10, 0, 0, 0},
      {u"6.01", u"6.01", 6, 1, 0, 0},
      {u"7..1", u"7.1", 7, 0, 1, 0},
      {u"1.2.3.4.5", u"1.2.3.4.5", 1, 2, 3, 4},
      {u"", u"", 0, 0, 0, 0},
      {u"x7", u"x7", 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    VersionNumber v(c.text);
    EXPECT_EQ(v.ToText(), c.printed);
    EXPECT_EQ(v.Part(0), c.major);
    EXPECT_EQ(v.Part(1), c.minor);
    EXPECT_EQ(v.Part(2), c.build);
    EXPECT_EQ(v.Part(3), c.revision);
  }
  EXPECT_EQ(VersionNumber().ToText(), u"0.0.0.0");
}

TEST(VersionNumber, OrderIsNumericWhileTextGatesAreTextual) {
  const VersionNumber seven(u"7.0");
  EXPECT_LT(VersionNumber(u"6.01"), seven);
  EXPECT_GE(VersionNumber(u"7.0.1"), seven);
  EXPECT_GT(VersionNumber(u"10.0"), seven);
  EXPECT_EQ(VersionNumber(u"7.0.0.0KVO"), seven);
  // The codec's gates compare texts: "10.0" is below "7.0" there.
  EXPECT_FALSE(UsesWideText(u"10.0"));
  EXPECT_FALSE(UsesWideText(u"6.01"));
  EXPECT_TRUE(UsesWideText(u"7.0"));
  EXPECT_TRUE(UsesWideText(u"7.1"));
  EXPECT_TRUE(VersionAtLeast(u"3.50", u"3.00"));
}

}  // namespace
}  // namespace bexa::protocol
