#include "security/security_fields.h"

#include <gtest/gtest.h>

#include "util/exceptions.h"

namespace bexa {
namespace {

TEST(DataCipher, KeyTextChoice) {
  struct Case {
    bool use_secret_key;
    std::u16string secret_key, user, password, expected;
  };
  const Case cases[] = {
      {true, u"secret", u"user", u"pass", u"secret"},
      {false, u"secret", u"user", u"pass", u"pass"},
      {true, u"", u"user", u"pass", u"pass"},
      {true, u"", u"user", u"", u"user"},
      {false, u"secret", u"user", u"", u"user"},
  };
  for (const Case& c : cases) {
    SecurityFields fields;
    fields.useSecretKey = c.use_secret_key;
    fields.secretKey = c.secret_key;
    EXPECT_EQ(DataCipherKeyText(fields, c.user, c.password), c.expected);
  }
}

// Encrypts one block with a provider, for comparing keys.
std::vector<uint8_t> OneBlock(CryptoProvider& provider) {
  std::vector<uint8_t> block(16, 0x5A);
  provider.EncryptBlocks(block.data(), 16);
  return block;
}

TEST(DataCipher, BuildAndDrop) {
  SecurityFields fields;
  fields.secretKey = u"secret";
  BuildDataCipher(fields, u"user", u"pass");
  ASSERT_NE(fields.dataCipher, nullptr);
  EXPECT_EQ(fields.dataCipher->Id(), 11);
  EXPECT_EQ(fields.dataCipher->BlockSize(), 16u);
  CryptoProvider expected(11, true, u"secret");
  EXPECT_EQ(OneBlock(*fields.dataCipher), OneBlock(expected));

  // A rebuild follows the current key fields.
  fields.useSecretKey = false;
  BuildDataCipher(fields, u"user", u"pass");
  CryptoProvider with_password(11, true, u"pass");
  EXPECT_EQ(OneBlock(*fields.dataCipher), OneBlock(with_password));

  DropDataCipher(fields);
  EXPECT_EQ(fields.dataCipher, nullptr);
}

TEST(DataCipher, FailedBuildLeavesNone) {
  SecurityFields fields;
  BuildDataCipher(fields, u"user", u"");
  EXPECT_THROW(BuildDataCipher(fields, u"", u""), MisuseError);
  EXPECT_EQ(fields.dataCipher, nullptr);
}

}  // namespace
}  // namespace bexa
