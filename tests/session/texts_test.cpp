#include "session/texts.h"

#include <string>

#include <gtest/gtest.h>

namespace bexa {
namespace {

// The session reads the exported numbers as data imports, the way the
// control does, and adds its language offset.
TEST(SessionTexts, EnglishIdPlusLanguageOffset) {
  SessionTexts texts(1000);
  EXPECT_EQ(std::u16string(texts.Get(IDS_KVOL_1125)), u"No se puede conectar con los ajustes facilitados");
  texts.SetLanguageOffset(0);
  EXPECT_EQ(std::u16string(texts.Get(IDS_KVOL_1125)), u"Cannot connect with settings given");
  // IDS_KVOL_1100 holds 1000.
  EXPECT_EQ(std::u16string(texts.Get(IDS_KVOL_1100)), u"Password is not correct");
  texts.SetLanguageOffset(4000);
  EXPECT_EQ(std::u16string(texts.Get(IDS_KVOL_1100)), u"O contrasinal \u00e9 incorrecto");
}

TEST(SessionTexts, IdWithoutTextKeepsTheBuffer) {
  SessionTexts texts;
  EXPECT_EQ(std::u16string(texts.Get(1094)), u"");  // nothing fetched yet
  const std::u16string hide = texts.Get(IDS_KVOL_1026);
  EXPECT_EQ(std::u16string(texts.Get(1094)), hide);
  EXPECT_EQ(texts.Get(1094), texts.Buffer());
}

}  // namespace
}  // namespace bexa
