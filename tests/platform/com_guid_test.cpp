#include "platform/com/guid.h"

#include <gtest/gtest.h>

#include "platform/com/hresult.h"

namespace bexa::platform::com {
namespace {

constexpr Guid kSample = GuidOf("{6B29FC40-CA47-1067-B31D-00DD010662DA}");

TEST(ComGuid, FieldsAndTextFormRoundTrip) {
  EXPECT_EQ(kSample.data1, 0x6B29FC40u);
  EXPECT_EQ(kSample.data2, 0xCA47);
  EXPECT_EQ(kSample.data3, 0x1067);
  EXPECT_EQ(kSample.data4[0], 0xB3);
  EXPECT_EQ(kSample.data4[7], 0xDA);
  EXPECT_EQ(GuidText(kSample), u"{6B29FC40-CA47-1067-B31D-00DD010662DA}");
  EXPECT_EQ(ParseGuid(u"{6b29fc40-ca47-1067-b31d-00dd010662da}"), kSample);
}

TEST(ComGuid, ParseRefusesMalformedTexts) {
  for (const char16_t* text : {u"", u"6B29FC40-CA47-1067-B31D-00DD010662DA",
                               u"{6B29FC40-CA47-1067-B31D-00DD010662D}",
                               u"{6B29FC40-CA47-1067-B31D00DD010662DAA}",
                               u"{6B29FC40-CA47-1067-B31D-00DD010662DG}",
                               u"{6B29FC40+CA47-1067-B31D-00DD010662DA}"})
    EXPECT_FALSE(ParseGuid(text).has_value()) << static_cast<int>(std::u16string(text).size());
}

TEST(ComHresult, TextNamesKnownValues) {
  EXPECT_EQ(HresultText(S_OK), "0x00000000 (S_OK)");
  EXPECT_EQ(HresultText(SELFREG_E_CLASS), "0x80040201 (SELFREG_E_CLASS)");
  EXPECT_EQ(HresultText(HresultOf(0x80001234)), "0x80001234");
}

}  // namespace
}  // namespace bexa::platform::com
