// The translations against their English texts, for every id: a caller
// passes the arguments that the English text names, so a translation may only
// use them in the same order and kinds, and may leave out trailing ones.
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/lang/loaded_kvo_lang.h"

namespace bexa::lang {
namespace {

// The argument kinds of the printf placeholders of text, in order: length
// modifier and conversion ("s", "d", "f", "I64d"); flags, width and precision
// do not change the argument. "%%" takes none. A "%" that starts no valid
// placeholder yields "?".
std::vector<std::string> ArgumentKinds(const std::u16string& text) {
  std::vector<std::string> kinds;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'%') continue;
    size_t j = i + 1;
    if (j < text.size() && text[j] == u'%') {
      i = j;
      continue;
    }
    while (j < text.size() && std::u16string_view(u"-+ #0").find(text[j]) != std::u16string_view::npos) ++j;
    while (j < text.size() && text[j] >= u'0' && text[j] <= u'9') ++j;
    if (j < text.size() && text[j] == u'.') {
      ++j;
      while (j < text.size() && text[j] >= u'0' && text[j] <= u'9') ++j;
    }
    std::string kind;
    for (std::u16string_view length : {u"I64", u"ll", u"l", u"h"}) {
      if (text.compare(j, length.size(), length) == 0) {
        kind.assign(length.begin(), length.end());
        j += length.size();
        break;
      }
    }
    if (j < text.size() && std::u16string_view(u"cdiouxXeEfgGsS").find(text[j]) != std::u16string_view::npos) {
      kind.push_back(static_cast<char>(text[j]));
      kinds.push_back(kind);
      i = j;
    } else {
      kinds.push_back("?");
    }
  }
  return kinds;
}

TEST(ArgumentKinds, ReadsThePlaceholdersOfTheTexts) {
  using Kinds = std::vector<std::string>;
  EXPECT_EQ(ArgumentKinds(u"Server storage: %.2f%% using %s of %s"), (Kinds{"f", "s", "s"}));
  EXPECT_EQ(ArgumentKinds(u"%02d:%02d:%02d"), (Kinds{"d", "d", "d"}));
  EXPECT_EQ(ArgumentKinds(u"%s:%I64d:%d"), (Kinds{"s", "I64d", "d"}));
  EXPECT_EQ(ArgumentKinds(u"100%"), (Kinds{"?"}));
  EXPECT_EQ(ArgumentKinds(u"50% de"), (Kinds{"d"}));  // "% d" is a placeholder
  EXPECT_EQ(ArgumentKinds(u"no placeholders"), Kinds{});
}

// The translations that leave out trailing arguments, with the number kept.
const std::set<std::pair<int, size_t>> kShortenedTranslations = {
    {3143, 2}, {4143, 2}, {5143, 2},
};

TEST(KvoLangTranslations, PlaceholdersMatchTheEnglishText) {
  LoadedKvoLang lib;
  ASSERT_TRUE(lib.Loaded());
  for (int n = 0; n <= 193; ++n) {
    std::u16string english;
    if (n == 100 || !lib.Text(1000 + n, english)) continue;
    const std::vector<std::string> english_kinds = ArgumentKinds(english);
    for (int block = 2; block <= 5; ++block) {
      const int id = block * 1000 + n;
      std::u16string translation;
      if (!lib.Text(id, translation)) {
        ADD_FAILURE() << id << " has no text";
        continue;
      }
      const std::vector<std::string> kinds = ArgumentKinds(translation);
      size_t expected_count = english_kinds.size();
      for (const auto& [shortened_id, kept] : kShortenedTranslations) {
        if (shortened_id == id) expected_count = kept;
      }
      const std::vector<std::string> expected(english_kinds.begin(),
                                              english_kinds.begin() + expected_count);
      EXPECT_EQ(kinds, expected) << id << ": " << WideForMessage(translation);
    }
  }
}

// Texts that stay as they are in every language: names, the sample texts of
// controls that the control replaces, the library's identification.
const std::set<int> kUntranslated = {1004, 1005, 1020, 1023, 1035, 1038, 1039, 1065, 1073,
                                     1074, 1096, 1189, 1190, 1191, 1193};
// Words that happen to be the same as the English one.
const std::set<int> kSameWord = {2060, 3060 /* No */, 3186 /* Errors: */};

TEST(KvoLangTranslations, EveryOtherTextIsTranslated) {
  LoadedKvoLang lib;
  ASSERT_TRUE(lib.Loaded());
  for (int n = 0; n <= 193; ++n) {
    std::u16string english;
    if (n == 100 || !lib.Text(1000 + n, english)) continue;
    for (int block = 2; block <= 5; ++block) {
      const int id = block * 1000 + n;
      std::u16string translation;
      if (!lib.Text(id, translation)) continue;  // reported above
      const bool same_allowed = kUntranslated.count(1000 + n) || kSameWord.count(id);
      EXPECT_EQ(translation == english, same_allowed) << id << ": " << WideForMessage(translation);
    }
  }
}

}  // namespace
}  // namespace bexa::lang
