#include "security/cipher_catalogue.h"

#include <algorithm>
#include <iterator>

// MD5 lives in the library's namespace of weak algorithms; it is a digest the
// catalogue must offer, not a choice of ours.
#define CRYPTOPP_ENABLE_NAMESPACE_WEAK 1
#include <cryptopp/aes.h>
#include <cryptopp/algparam.h>
#include <cryptopp/argnames.h>
#include <cryptopp/blowfish.h>
#include <cryptopp/des.h>
#include <cryptopp/idea.h>
#include <cryptopp/mars.h>
#include <cryptopp/md5.h>
#include <cryptopp/rc5.h>
#include <cryptopp/ripemd.h>
#include <cryptopp/safer.h>
#include <cryptopp/sha.h>
#include <cryptopp/twofish.h>

namespace bexa {
namespace {

using K = ProviderKind;

constexpr ProviderInfo kCatalogue[] = {
    // id  kind      block  full  reduced  zero from
    {1, K::kCipher, 8, 56, 4, 0},    // Blowfish
    {2, K::kCipher, 8, 24, 0, 0},    // triple DES, three keys
    {3, K::kCipher, 8, 16, 8, 5},    // triple DES, two keys; reduced: DES
    {4, K::kCipher, 8, 16, 0, 0},    // SAFER-SK128, 10 rounds
    {5, K::kCipher, 8, 16, 0, 0},    // IDEA
    {6, K::kCipher, 8, 256, 0, 0},   // RC5-32, 255 rounds
    {7, K::kCipher, 8, 56, 7, 0},    // Blowfish
    {8, K::kCipher, 8, 16, 8, 7},    // triple DES, two keys; reduced: DES
    {9, K::kCipher, 16, 16, 0, 0},   // Twofish
    {10, K::kCipher, 16, 16, 0, 0},  // MARS
    {11, K::kCipher, 16, 16, 0, 0},  // AES-128
    {12, K::kCipher, 16, 24, 0, 0},  // AES-192
    {13, K::kCipher, 16, 32, 0, 0},  // AES-256
    {20, K::kSha1, 20, 0, 0, 0},
    {21, K::kRipemd160, 20, 0, 0, 0},
    {22, K::kMd5, 16, 0, 0, 0},
    {30, K::kCrc32, 4, 0, 0, 0},
};

constexpr int32_t kReducedSubstitute = 7;
constexpr unsigned kSaferSkRounds = 10;
constexpr unsigned kRc5Rounds = 255;

template <typename Cipher>
BlockCipherPair Keyed(const uint8_t* key, size_t length) {
  BlockCipherPair pair;
  pair.encryptor = std::make_unique<typename Cipher::Encryption>(key, length);
  pair.decryptor = std::make_unique<typename Cipher::Decryption>(key, length);
  return pair;
}

BlockCipherPair SaferSk128(const uint8_t* key, size_t length) {
  BlockCipherPair pair;
  pair.encryptor = std::make_unique<CryptoPP::SAFER_SK::Encryption>(key, length, kSaferSkRounds);
  pair.decryptor = std::make_unique<CryptoPP::SAFER_SK::Decryption>(key, length, kSaferSkRounds);
  return pair;
}

}  // namespace

const ProviderInfo* FindProvider(int32_t id) {
  auto it = std::find_if(std::begin(kCatalogue), std::end(kCatalogue),
                         [id](const ProviderInfo& p) { return p.id == id; });
  return it == std::end(kCatalogue) ? nullptr : &*it;
}

int32_t EffectiveProviderId(int32_t id, bool full_strength) {
  if (full_strength) return id;
  const ProviderInfo* info = FindProvider(id);
  if (info == nullptr) return kReducedSubstitute;
  bool allowed = info->kind != K::kCipher || info->reduced_key_length != 0;
  return allowed ? id : kReducedSubstitute;
}

BlockCipherPair CreateRc5(const uint8_t* key, size_t length, unsigned rounds) {
  // The checked set-up stops at 255 key bytes; id 6 keys with 256, which the
  // RC5 key expansion itself handles (64 key words).
  auto params = CryptoPP::MakeParameters(CryptoPP::Name::Rounds(), static_cast<int>(rounds));
  auto enc = std::make_unique<CryptoPP::RC5::Encryption>();
  auto dec = std::make_unique<CryptoPP::RC5::Decryption>();
  enc->UncheckedSetKey(key, static_cast<unsigned>(length), params);
  dec->UncheckedSetKey(key, static_cast<unsigned>(length), params);
  return {std::move(enc), std::move(dec)};
}

BlockCipherPair CreateBlockCiphers(int32_t id, const uint8_t* key, size_t length) {
  switch (id) {
    case 1:
    case 7:
      return Keyed<CryptoPP::Blowfish>(key, length);
    case 2:
      return Keyed<CryptoPP::DES_EDE3>(key, length);
    case 3:
    case 8:
      if (length == CryptoPP::DES::DEFAULT_KEYLENGTH) return Keyed<CryptoPP::DES>(key, length);
      return Keyed<CryptoPP::DES_EDE2>(key, length);
    case 4:
      return SaferSk128(key, length);
    case 5:
      return Keyed<CryptoPP::IDEA>(key, length);
    case 6:
      return CreateRc5(key, length, kRc5Rounds);
    case 9:
      return Keyed<CryptoPP::Twofish>(key, length);
    case 10:
      return Keyed<CryptoPP::MARS>(key, length);
    case 11:
    case 12:
    case 13:
      return Keyed<CryptoPP::AES>(key, length);
    default:
      return {};
  }
}

std::unique_ptr<CryptoPP::HashTransformation> CreateHash(ProviderKind kind) {
  switch (kind) {
    case K::kSha1:
      return std::make_unique<CryptoPP::SHA1>();
    case K::kRipemd160:
      return std::make_unique<CryptoPP::RIPEMD160>();
    case K::kMd5:
      return std::make_unique<CryptoPP::Weak::MD5>();
    default:
      return nullptr;
  }
}

}  // namespace bexa
