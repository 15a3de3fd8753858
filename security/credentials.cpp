#include "security/credentials.h"

namespace bexa {

std::u16string PadCredential(std::u16string_view text) {
  std::u16string padded(text);
  if (!text.empty()) padded.append(text.size() % 8 + 8, u' ');
  return padded;
}

}  // namespace bexa
