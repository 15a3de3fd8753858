// The session's texts: the user-visible text of an English id in the
// session's language, fetched from the language library.
#pragma once

#include <array>

#include "lang/kvo_lang.h"

namespace bexa {

// Owned by the session object; every text of the user interface goes through
// one of these. Get fills the one buffer, so a caller copies or formats the
// text before the next Get.
class SessionTexts {
 public:
  // language_offset: 0 English, 1000 Spanish, 2000 Catalan, 3000 Basque,
  // 4000 Galician.
  explicit SessionTexts(int language_offset = 0) : language_offset_(language_offset) {}
  SessionTexts(const SessionTexts&) = delete;
  SessionTexts& operator=(const SessionTexts&) = delete;

  int LanguageOffset() const { return language_offset_; }
  void SetLanguageOffset(int language_offset) { language_offset_ = language_offset; }

  // The text of english_id (the value of an IDS_KVOL_1xxx) plus the language
  // offset, in the shared buffer, valid until the next Get. When the library
  // has no text for that id the buffer keeps what it held before (an empty
  // text before the first fetch).
  const char16_t* Get(int english_id) {
    KVOL_get(english_id + language_offset_, buffer_.data());
    return buffer_.data();
  }

  // The shared buffer itself, for the callers that hand it to KVOL_get.
  char16_t* Buffer() { return buffer_.data(); }

 private:
  int language_offset_;
  std::array<char16_t, kKvolBufferSize> buffer_{};
};

}  // namespace bexa
