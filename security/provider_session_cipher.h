// The session cipher of a connection: a CryptoProvider behind the
// transport's block interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "protocol/session_cipher.h"
#include "security/crypto_provider.h"

namespace bexa {

class ProviderSessionCipher : public protocol::SessionCipher {
 public:
  // A full-strength cipher of `provider_id` keyed with `key_text`.
  // REQUIRES: a cipher id, a non-empty key text (else MisuseError).
  ProviderSessionCipher(int32_t provider_id, std::u16string_view key_text);

  size_t BlockSize() const override;
  bool EncryptRange(uint8_t* data, size_t size) override;
  bool DecryptRange(uint8_t* data, size_t size) override;

  const CryptoProvider& provider() const { return provider_; }

 private:
  CryptoProvider provider_;
};

// The provider id the session cipher is built from for the offered
// encryption type: the Rijndael ids 11, 12 and 13 become 2 (triple DES with
// three keys), whose 8-byte block divides the frame header; others stay.
int32_t SessionCipherId(int32_t encryption_type);

}  // namespace bexa
