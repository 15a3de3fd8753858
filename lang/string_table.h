// The string table inside the language library: one pool of UTF-16 texts,
// each ended by a zero, and per id the position of its text in the pool.
// Written at build time by kvo_lang_gen from the files in lang/strings/.
#pragma once

#include <cstdint>

namespace bexa::lang {

inline constexpr int kBlockCount = 5;       // English, Spanish, Catalan, Basque, Galician
inline constexpr int kIdsPerBlock = 194;    // b000 to b193; slot b100 stays empty
inline constexpr int kMaxTextLength = 2047; // the caller's buffer holds 2048 with the zero
inline constexpr uint32_t kNoText = 0xFFFFFFFF;

// kTextStart[(b - 1) * kIdsPerBlock + (id - b * 1000)] is the position in
// kTextPool of the text of id in block b, or kNoText.
extern const char16_t kTextPool[];
extern const uint32_t kTextStart[kBlockCount * kIdsPerBlock];

}  // namespace bexa::lang
