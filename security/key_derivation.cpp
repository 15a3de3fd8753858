#include "security/key_derivation.h"

#include <algorithm>

#include <cryptopp/sha.h>

#include "platform/codepage.h"

namespace bexa {

CryptoPP::SecByteBlock DeriveKeyBytes(std::u16string_view key_text, size_t length) {
  CryptoPP::SecByteBlock key;
  key.CleanNew(length);
  // Windows-1252 has one byte per UTF-16 unit, so the ANSI form has exactly
  // as many bytes as the text has characters.
  std::string ansi = platform::WideToAnsi(key_text);
  CryptoPP::SHA1 sha;
  uint8_t digest[CryptoPP::SHA1::DIGESTSIZE];
  sha.CalculateDigest(digest, reinterpret_cast<const uint8_t*>(ansi.data()), ansi.size());
  for (size_t filled = 0; filled < length;) {
    if (filled > 0) sha.CalculateDigest(digest, key.data(), filled);
    size_t take = std::min(length - filled, sizeof digest);
    std::copy_n(digest, take, key.data() + filled);
    filled += take;
  }
  CryptoPP::SecureWipeArray(digest, sizeof digest);
  std::fill(ansi.begin(), ansi.end(), '\0');
  return key;
}

}  // namespace bexa
