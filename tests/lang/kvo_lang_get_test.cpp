// KVOL_get as the control calls it: a 2048-character buffer of the caller's.
#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "tests/lang/loaded_kvo_lang.h"

namespace bexa::lang {
namespace {

class KvoLangGet : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(lib_.Loaded()); }
  std::u16string TextOf(int id) {
    std::u16string text;
    EXPECT_TRUE(lib_.Text(id, text)) << "no text for " << id;
    return text;
  }
  LoadedKvoLang lib_;
};

TEST_F(KvoLangGet, CopiesTheTextWithItsTerminator) {
  char16_t buffer[2048];
  std::fill(std::begin(buffer), std::end(buffer), u'#');
  EXPECT_EQ(lib_.Get(1000, buffer), 0);
  const std::u16string expected = u"Password is not correct";
  EXPECT_EQ(std::u16string(buffer, expected.size()), expected);
  EXPECT_EQ(buffer[expected.size()], u'\0');
  EXPECT_EQ(buffer[expected.size() + 1], u'#');  // nothing written past the terminator
}

TEST_F(KvoLangGet, IdWithoutTextLeavesTheBufferUntouched) {
  // 1100 and its kin: the text of b100 lives under b000. 1094: an empty text.
  for (int id : {1100, 2100, 5100, 5194, 6000, 999, 0, -1, -1000, 1094, 5094, 1 << 30}) {
    char16_t buffer[2048];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    buffer[5] = 0;
    EXPECT_EQ(lib_.Get(id, buffer), 0) << id;
    EXPECT_TRUE(std::all_of(buffer, buffer + 5, [](char16_t c) { return c == u'#'; }) &&
                buffer[5] == 0 &&
                std::all_of(buffer + 6, std::end(buffer), [](char16_t c) { return c == u'#'; }))
        << id;
  }
  EXPECT_EQ(lib_.Get(1000, nullptr), 0);
}

TEST_F(KvoLangGet, GivenRowsInAllFiveLanguages) {
  struct Row {
    int english_id;
    const char16_t* texts[5];
  } rows[] = {
      {1000,
       {u"Password is not correct", u"La contrase\u00f1a no es correcta",
        u"La contrasenya no \u00e9s correcta", u"Pasahitza ez da zuzena",
        u"O contrasinal \u00e9 incorrecto"}},
      {1125,
       {u"Cannot connect with settings given", u"No se puede conectar con los ajustes facilitados",
        u"No es pot connectar amb la configuraci\u00f3 proporcionada",
        u"Ezin da konektatu ezarpen horiekin", u"Non se pode conectar cos axustes introducidos"}},
  };
  for (const Row& row : rows) {
    for (int language = 0; language < 5; ++language) {
      EXPECT_EQ(TextOf(row.english_id + 1000 * language), row.texts[language])
          << row.english_id + 1000 * language;
    }
  }
}

TEST_F(KvoLangGet, EnglishTextsKeepSpacesAndLineFeeds) {
  struct Case {
    int id;
    const char16_t* text;
  } cases[] = {
      {1018, u"help - text "},
      {1031,
       u"\nThis dialog is provided as an alternative for such a case.\nYou may manually enter "
       u"values here, or cancel to quit. "},
      {1050, u"The folder "},
      {1076,
       u"The Backup Server was not able to validate your username and password.  Please check "
       u"that these settings are correct in your configuration."},
      {1095,
       u"Sorry, the Backup Server version was detected as %s.\nThe backup server must be at least "
       u"version 7.0 to operate with this backup client."},
      {1128, u" Restore Files selected: %s"},
      {1134, u"Server storage: %.2f%% using %s of %s"},
      {1184, u"Total Restore time: %02d:%02d:%02d"},
      {1191, u"3.0.4"},
  };
  for (const Case& c : cases) EXPECT_EQ(TextOf(c.id), c.text) << c.id;
}

TEST_F(KvoLangGet, EveryIdHasTextExceptB094) {
  for (int language = 0; language < 5; ++language) {
    const int first = 1000 * (language + 1);
    for (int id = first; id <= first + 193; ++id) {
      if (id == first + 100) continue;
      std::u16string text;
      EXPECT_EQ(lib_.Text(id, text), id != first + 94) << id;
    }
  }
  EXPECT_EQ(TextOf(5193), u"libkvo_lang.so");
}

TEST_F(KvoLangGet, CharactersOutsideAsciiArriveIntact) {
  // One text per language that carries letters outside ASCII.
  EXPECT_NE(TextOf(2000).find(u'\u00f1'), std::u16string::npos);  // contraseña
  EXPECT_NE(TextOf(3125).find(u'\u00f3'), std::u16string::npos);  // configuració
  EXPECT_NE(TextOf(5000).find(u'\u00e9'), std::u16string::npos);  // é
  EXPECT_EQ(TextOf(2125), u"No se puede conectar con los ajustes facilitados");
}

}  // namespace
}  // namespace bexa::lang
