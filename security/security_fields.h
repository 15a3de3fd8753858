// The security state of the session: which provider the session offers, the
// user's secret key and its hint, and the data cipher that deciphers restored
// file contents. The session object owns one SecurityFields for the life of
// the process; nothing here is written to any file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "security/crypto_provider.h"

namespace bexa {

struct SecurityFields {
  // Provider id offered for the session and used for the data cipher.
  int32_t encryptionType = 11;
  // The data cipher is keyed with secretKey when that is not empty.
  bool useSecretKey = true;
  // The password as the hosting page gave it, or the key the user entered at
  // a logon; changed only by the gathering of the session parameters and by
  // CheckSecretKey.
  std::u16string secretKey;
  // The server's hint that came with the accepted secret key.
  std::u16string secretKeyHint;
  // Exists from BuildDataCipher (start of a restore) to DropDataCipher.
  std::unique_ptr<CryptoProvider> dataCipher;
};

// The key text of the data cipher: secretKey when useSecretKey is on and the
// key is not empty, else the password when it is not empty, else the user
// name.
std::u16string DataCipherKeyText(const SecurityFields& fields, std::u16string_view user,
                                 std::u16string_view password);

// Replaces dataCipher with a full-strength provider of encryptionType keyed
// with DataCipherKeyText. The old cipher is destroyed first, so a failure
// (MisuseError when user and password are both empty) leaves none.
void BuildDataCipher(SecurityFields& fields, std::u16string_view user,
                     std::u16string_view password);

// Destroys dataCipher, if any.
void DropDataCipher(SecurityFields& fields);

}  // namespace bexa
