#include "security/security_fields.h"

namespace bexa {

std::u16string DataCipherKeyText(const SecurityFields& fields, std::u16string_view user,
                                 std::u16string_view password) {
  if (fields.useSecretKey && !fields.secretKey.empty()) return fields.secretKey;
  if (!password.empty()) return std::u16string(password);
  return std::u16string(user);
}

void BuildDataCipher(SecurityFields& fields, std::u16string_view user,
                     std::u16string_view password) {
  fields.dataCipher.reset();
  fields.dataCipher = std::make_unique<CryptoProvider>(
      fields.encryptionType, true, DataCipherKeyText(fields, user, password));
}

void DropDataCipher(SecurityFields& fields) { fields.dataCipher.reset(); }

}  // namespace bexa
