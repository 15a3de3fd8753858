// The language library libkvo_lang.so: every text that the user sees, in five
// languages, handed out by number.
//
// A text is fetched as its English id (the value of an exported IDS_KVOL_1xxx)
// plus the session's language offset: 0 English, 1000 Spanish, 2000 Catalan,
// 3000 Basque, 4000 Galician. The library links against nothing of the system.
#pragma once

#include "lang/kvo_lang_api.h"
#include "lang/kvo_lang_ids.h"

// The size in characters, zero included, of the buffer that KVOL_get fills.
inline constexpr int kKvolBufferSize = 2048;

extern "C" {

// Copies the text of id, with its zero, into buffer, which must hold
// kKvolBufferSize characters. When id has no text (1100, 5194, -1, ...) the
// buffer is left exactly as it was, so the caller sees what it held before.
// A null buffer is ignored. Keeps nothing; returns 0 in every case.
KVO_LANG_API int KVOL_get(int id, char16_t* buffer);

// Kept for the library's callers of old; nothing here uses them.
KVO_LANG_API int fnKvo_lang(void);  // returns 42
KVO_LANG_API extern int nKvo_lang;  // holds 0
}

// Kept for the library's callers of old: construction and assignment do
// nothing.
class KVO_LANG_API CKvo_lang {
 public:
  CKvo_lang();
  CKvo_lang& operator=(const CKvo_lang& other);
};
