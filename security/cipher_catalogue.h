// The numbered catalogue of ciphers and digests behind the provider ids. The
// ids travel in the "Crypto provider request" PDU, so this table is part of
// the wire contract: each id names exactly one algorithm with fixed
// parameters and key lengths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include <cryptopp/cryptlib.h>

namespace bexa {

enum class ProviderKind { kNone, kCipher, kSha1, kRipemd160, kMd5, kCrc32 };

// One row of the catalogue.
struct ProviderInfo {
  int32_t id;
  ProviderKind kind;
  uint32_t block_size;          // cipher block, or digest length, in bytes
  uint32_t full_key_length;     // key bytes with full strength (ciphers)
  uint32_t reduced_key_length;  // key bytes without full strength; 0: not allowed
  uint32_t reduced_zero_from;   // without full strength, key bytes from here on
                                // are zeroed after derivation; 0: none
};

// The row of an id, or nullptr when the id names nothing.
const ProviderInfo* FindProvider(int32_t id);

// The id a provider really uses: without full strength, every id that has no
// reduced form (unknown ids included) becomes 7, Blowfish with a 7-byte key.
int32_t EffectiveProviderId(int32_t id, bool full_strength);

// Key length of a cipher row for the given strength.
inline uint32_t CipherKeyLength(const ProviderInfo& info, bool full_strength) {
  return full_strength ? info.full_key_length : info.reduced_key_length;
}

// The two directions of one block cipher, keyed alike. Each object offers
// ProcessBlock in place and from input to output, BlockSize, and whole-range
// processing; the library wipes their key schedules when they are destroyed.
struct BlockCipherPair {
  std::unique_ptr<CryptoPP::BlockCipher> encryptor;
  std::unique_ptr<CryptoPP::BlockCipher> decryptor;
};

// The cipher of a cipher id, keyed with `length` raw key bytes. For ids 3 and
// 8 the key length picks the form: 16 bytes two-key triple DES, 8 bytes
// single DES. REQUIRES: FindProvider(id) is a cipher and `length` is one of
// its key lengths (Blowfish takes 4 to 56 bytes).
BlockCipherPair CreateBlockCiphers(int32_t id, const uint8_t* key, size_t length);

// RC5 with 32-bit words and the given rounds, keyed without the library's
// 255-byte limit (id 6 uses 255 rounds and a 256-byte key).
BlockCipherPair CreateRc5(const uint8_t* key, size_t length, unsigned rounds);

// A fresh running state of SHA-1, RIPEMD-160 or MD5; nullptr for other kinds
// (CRC-32 is kept by the provider as a plain register).
std::unique_ptr<CryptoPP::HashTransformation> CreateHash(ProviderKind kind);

}  // namespace bexa
