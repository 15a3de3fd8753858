#include "security/provider_session_cipher.h"

#include <algorithm>
#include <limits>

namespace bexa {
namespace {

// The provider takes 32-bit lengths; larger ranges go in whole-block pieces.
template <typename Transform>
bool InPieces(size_t block, uint8_t* data, size_t size, Transform transform) {
  const size_t largest = std::numeric_limits<uint32_t>::max() / block * block;
  while (size > 0) {
    const size_t piece = std::min(size, largest);
    if (!transform(data, static_cast<uint32_t>(piece))) return false;
    data += piece;
    size -= piece;
  }
  return true;
}

}  // namespace

ProviderSessionCipher::ProviderSessionCipher(int32_t provider_id, std::u16string_view key_text)
    : provider_(provider_id, true, key_text) {}

size_t ProviderSessionCipher::BlockSize() const { return provider_.BlockSize(); }

bool ProviderSessionCipher::EncryptRange(uint8_t* data, size_t size) {
  return InPieces(BlockSize(), data, size,
                  [this](uint8_t* p, uint32_t n) { return provider_.EncryptBlocks(p, n); });
}

bool ProviderSessionCipher::DecryptRange(uint8_t* data, size_t size) {
  return InPieces(BlockSize(), data, size,
                  [this](uint8_t* p, uint32_t n) { return provider_.DecryptBlocks(p, n); });
}

int32_t SessionCipherId(int32_t encryption_type) {
  return encryption_type >= 11 && encryption_type <= 13 ? 2 : encryption_type;
}

}  // namespace bexa
