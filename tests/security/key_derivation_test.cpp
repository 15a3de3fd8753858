#include "security/key_derivation.h"

#include <gtest/gtest.h>

#include "security/credentials.h"
#include "tests/security/test_bytes.h"

namespace bexa {
namespace {

std::string DerivedHex(std::u16string_view text, size_t length) {
  CryptoPP::SecByteBlock key = DeriveKeyBytes(text, length);
  return test::Hex(key.data(), key.size());
}

// Expected keys computed from the SHA-1 chain with an independent SHA-1.
TEST(DeriveKeyBytes, ShaOneChain) {
  struct Case {
    std::u16string text;
    size_t length;
    const char* key;
  };
  const Case cases[] = {
      // The empty text keys with SHA-1 of no bytes.
      {u"", 16, "da39a3ee5e6b4b0d3255bfef95601890"},
      // D1, D2, and 16 bytes of D3.
      {u"secret", 56,
       "e5e9fa1ba31ecd1ae84f75caaa474f3a663f05f414e65567abdb5135d0cfd9a70b3032c179a49ee7"
       "15165c8a7e435d60fc21257b5e46da74"},
      // Hashed in Windows-1252: "é" is the one byte e9.
      {u"cl\u00e9", 24, "257bec43f6eceee91b42794e2933085506907173de5b3914"},
  };
  for (const Case& c : cases) EXPECT_EQ(DerivedHex(c.text, c.length), c.key);
}

TEST(DeriveKeyBytes, LongerKeysExtendShorterOnes) {
  std::string k256 = DerivedHex(u"session-key", 256);
  ASSERT_EQ(k256.size(), 512u);
  // 13 digests; the last is cut to 16 bytes.
  EXPECT_EQ(k256.substr(0, 32), DerivedHex(u"session-key", 16));
  EXPECT_EQ(k256.substr(0, 48), DerivedHex(u"session-key", 24));
  EXPECT_EQ(k256.substr(0, 112), DerivedHex(u"session-key", 56));
  EXPECT_EQ(k256.substr(480), "187d720e425acccb47cd7841fdd6c8ba");
}

TEST(PadCredential, AppendsLengthModEightPlusEight) {
  struct Case {
    std::u16string text;
    size_t spaces;
  };
  const Case cases[] = {{u"", 0}, {u"a", 9}, {u"abc", 11}, {u"abcde", 13}, {u"abcdefg", 15},
                        {u"abcdefgh", 8}, {u"abcdefghijklmnop", 8}, {u"abcdefghi", 9}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.size());
    EXPECT_EQ(PadCredential(c.text), c.text + std::u16string(c.spaces, u' '));
  }
}

}  // namespace
}  // namespace bexa
