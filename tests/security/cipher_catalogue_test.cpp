#include "security/cipher_catalogue.h"

#include <gtest/gtest.h>

#include "tests/security/known_answer_vectors.h"
#include "tests/security/test_bytes.h"

namespace bexa {
namespace {

using test::Bytes;
using test::Hex;

// Every published (or twice computed) vector through the cipher objects of
// each id that names the algorithm, in both directions.
TEST(CipherCatalogue, KnownAnswerVectors) {
  for (const test::CipherVector& v : test::kCipherVectors) {
    SCOPED_TRACE(std::string(v.algorithm) + " key " + v.key + ", from " + v.source);
    std::vector<uint8_t> key = Bytes(v.key);
    std::vector<BlockCipherPair> ciphers;
    if (v.ids[0] == 0) {
      ciphers.push_back(CreateRc5(key.data(), key.size(), v.rounds));
    } else {
      for (int32_t id : v.ids) {
        if (id != 0) ciphers.push_back(CreateBlockCiphers(id, key.data(), key.size()));
      }
    }
    for (const BlockCipherPair& pair : ciphers) {
      std::vector<uint8_t> block = Bytes(v.plaintext);
      ASSERT_EQ(pair.encryptor->BlockSize(), block.size());
      pair.encryptor->ProcessBlock(block.data());
      EXPECT_EQ(Hex(block), v.ciphertext);
      pair.decryptor->ProcessBlock(block.data());
      EXPECT_EQ(Hex(block), v.plaintext);
    }
  }
}

TEST(CipherCatalogue, Rc5KeysWithAll256Bytes) {
  // The 256th key byte takes part: a 255-byte prefix of the same key gives
  // another cipher.
  std::vector<uint8_t> key(256);
  for (size_t i = 0; i < key.size(); ++i) key[i] = static_cast<uint8_t>(i);
  uint8_t full[8] = {}, shorter[8] = {};
  CreateRc5(key.data(), 256, 255).encryptor->ProcessBlock(full);
  CreateRc5(key.data(), 255, 255).encryptor->ProcessBlock(shorter);
  EXPECT_EQ(Hex(full, 8), "106ace3156f06577");
  EXPECT_EQ(Hex(shorter, 8), "75d28ebf956120f6");
}

TEST(CipherCatalogue, ReducedStrengthSubstitution) {
  struct Case {
    int32_t id;
    int32_t reduced;
  };
  const Case cases[] = {{1, 1},   {2, 7},   {3, 3},   {4, 7},   {5, 7},   {6, 7},  {7, 7},
                        {8, 8},   {9, 7},   {10, 7},  {11, 7},  {12, 7},  {13, 7}, {20, 20},
                        {21, 21}, {22, 22}, {30, 30}, {0, 7},   {14, 7},  {-1, 7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(EffectiveProviderId(c.id, false), c.reduced);
    EXPECT_EQ(EffectiveProviderId(c.id, true), c.id);
  }
}

TEST(CipherCatalogue, KeyLengthsAndBlocks) {
  struct Case {
    int32_t id;
    uint32_t block, full, reduced;
  };
  const Case cases[] = {{1, 8, 56, 4},   {2, 8, 24, 0},   {3, 8, 16, 8},   {4, 8, 16, 0},
                        {5, 8, 16, 0},   {6, 8, 256, 0},  {7, 8, 56, 7},   {8, 8, 16, 8},
                        {9, 16, 16, 0},  {10, 16, 16, 0}, {11, 16, 16, 0}, {12, 16, 24, 0},
                        {13, 16, 32, 0}, {20, 20, 0, 0},  {21, 20, 0, 0},  {22, 16, 0, 0},
                        {30, 4, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const ProviderInfo* info = FindProvider(c.id);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->block_size, c.block);
    EXPECT_EQ(CipherKeyLength(*info, true), c.full);
    EXPECT_EQ(CipherKeyLength(*info, false), c.reduced);
  }
  EXPECT_EQ(FindProvider(14), nullptr);
}

}  // namespace
}  // namespace bexa
