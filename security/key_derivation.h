// Key bytes from key texts. Every cipher of the client is keyed from a text,
// never from raw key bytes; the session cipher, the data cipher and the
// access-key ciphers all use this one rule.
#pragma once

#include <cstddef>
#include <string_view>

#include <cryptopp/secblock.h>

namespace bexa {

// `length` key bytes from `key_text`, a SHA-1 chain without salt or iteration
// count: D1 = SHA-1 of the text's ANSI bytes fills bytes 0-19; every further
// 20 bytes are SHA-1 of all key bytes before them; the last digest is cut to
// what remains. The same text always gives the same bytes, and a shorter key
// is a prefix of a longer one. The block wipes itself when destroyed.
CryptoPP::SecByteBlock DeriveKeyBytes(std::u16string_view key_text, size_t length);

}  // namespace bexa
