// The getter and the small exports of the language library. This file is
// built without the C and C++ runtime (see lang/CMakeLists.txt): plain loops
// only, no library calls.
#include "lang/kvo_lang.h"

#include "lang/string_table.h"

namespace {

using bexa::lang::kBlockCount;
using bexa::lang::kIdsPerBlock;
using bexa::lang::kMaxTextLength;
using bexa::lang::kNoText;
using bexa::lang::kTextPool;
using bexa::lang::kTextStart;

// The text of id, or nullptr when the table holds none under it.
const char16_t* FindText(int id) {
  const int block = id / 1000;
  const int slot = id % 1000;
  if (id < 0 || block < 1 || block > kBlockCount || slot >= kIdsPerBlock) return nullptr;
  const uint32_t start = kTextStart[(block - 1) * kIdsPerBlock + slot];
  return start == kNoText ? nullptr : kTextPool + start;
}

}  // namespace

extern "C" int KVOL_get(int id, char16_t* buffer) {
  const char16_t* text = FindText(id);
  if (text == nullptr || text[0] == 0 || buffer == nullptr) return 0;
  int i = 0;
  for (; i < kMaxTextLength && text[i] != 0; ++i) buffer[i] = text[i];
  buffer[i] = 0;
  return 0;
}

extern "C" int fnKvo_lang(void) { return 42; }

int nKvo_lang = 0;

CKvo_lang::CKvo_lang() {}

CKvo_lang& CKvo_lang::operator=(const CKvo_lang&) { return *this; }
