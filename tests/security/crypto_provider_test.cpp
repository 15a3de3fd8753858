#include "security/crypto_provider.h"

#include "platform/drives.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "security/key_derivation.h"
#include "tests/security/known_answer_vectors.h"
#include "tests/security/test_bytes.h"
#include "util/exceptions.h"

namespace bexa {
namespace {

using test::Hex;

std::string Ascii(const std::u16string& text) { return platform::WideToUtf8(text); }

std::vector<uint8_t> Pattern(size_t length) {
  std::vector<uint8_t> bytes(length);
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 1);
  return bytes;
}

// Published digest vectors through HashText (or Update for the repeated
// messages) and DigestHex.
TEST(CryptoProvider, DigestKnownAnswers) {
  for (const test::DigestVector& v : test::kDigestVectors) {
    SCOPED_TRACE(std::string(v.algorithm) + " of \"" + v.message_ascii + "\", from " + v.source);
    CryptoProvider provider(v.id, true);
    if (v.repeat == 1) {
      provider.HashText(platform::Utf8ToWide(v.message_ascii));
    } else {
      provider.Reset();
      std::string chunk(1000, v.message_ascii[0]);
      for (uint32_t i = 0; i < v.repeat / 1000; ++i) {
        provider.Update(reinterpret_cast<const uint8_t*>(chunk.data()), 1000);
      }
    }
    EXPECT_EQ(Ascii(provider.DigestHex()), v.digest);
    EXPECT_EQ(Ascii(provider.LastDigestHex()), v.digest);
  }
}

// Each cipher id with each strength: the id it really uses, keyed with the
// derived key of the catalogue's length (and the zeroed DES bytes).
TEST(CryptoProvider, CipherIdsKeyFromTheKeyText) {
  struct Case {
    int32_t id;
    bool full;
    int32_t uses;
    size_t key_length;
    size_t zero_from;  // 0: nothing zeroed
  };
  const Case cases[] = {
      {1, true, 1, 56, 0},    {1, false, 1, 4, 0},   {2, true, 2, 24, 0},  {2, false, 7, 7, 0},
      {3, true, 3, 16, 0},    {3, false, 3, 8, 5},   {4, true, 4, 16, 0},  {5, true, 5, 16, 0},
      {6, true, 6, 256, 0},   {6, false, 7, 7, 0},   {7, true, 7, 56, 0},  {7, false, 7, 7, 0},
      {8, true, 8, 16, 0},    {8, false, 8, 8, 7},   {9, true, 9, 16, 0},  {10, true, 10, 16, 0},
      {11, true, 11, 16, 0},  {11, false, 7, 7, 0},  {12, true, 12, 24, 0}, {13, true, 13, 32, 0},
      {99, false, 7, 7, 0},
  };
  const std::u16string key_text = u"key text";
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "id " << c.id << (c.full ? " full" : " reduced"));
    CryptoProvider provider(c.id, c.full, key_text);
    EXPECT_EQ(provider.Id(), c.uses);
    EXPECT_TRUE(provider.IsCipher());
    CryptoPP::SecByteBlock key = DeriveKeyBytes(key_text, c.key_length);
    if (c.zero_from != 0) std::fill(key.begin() + c.zero_from, key.end(), 0);
    BlockCipherPair reference = CreateBlockCiphers(c.uses, key.data(), key.size());
    ASSERT_EQ(provider.BlockSize(), reference.encryptor->BlockSize());

    std::vector<uint8_t> data = Pattern(3 * provider.BlockSize());
    std::vector<uint8_t> expected = data;
    for (size_t at = 0; at < expected.size(); at += provider.BlockSize()) {
      reference.encryptor->ProcessBlock(expected.data() + at);
    }
    provider.EncryptBlocks(data.data(), static_cast<uint32_t>(data.size()));
    EXPECT_EQ(data, expected);
    provider.DecryptBlocks(data.data(), static_cast<uint32_t>(data.size()));
    EXPECT_EQ(data, Pattern(data.size()));
  }
}

TEST(CryptoProvider, ReducedDesCarriesNoKeyInTheZeroedBytes) {
  // Single DES with the derived key as it is would differ: the zeroing is
  // what makes ids 3 and 8 weaker than their derived key.
  CryptoPP::SecByteBlock key = DeriveKeyBytes(u"key text", 8);
  uint8_t plain[8] = {}, unzeroed[8] = {};
  CreateBlockCiphers(3, key.data(), 8).encryptor->ProcessBlock(unzeroed);
  CryptoProvider provider(3, false, u"key text");
  provider.EncryptBlocks(plain, 8);
  EXPECT_NE(Hex(plain, 8), Hex(unzeroed, 8));
}

TEST(CryptoProvider, BlocksLeaveTheShortTailAlone) {
  CryptoProvider des3(2, true, u"k");
  std::vector<uint8_t> data = Pattern(20);
  des3.EncryptBlocks(data.data(), 20);
  const std::vector<uint8_t> plain = Pattern(20);
  EXPECT_NE(std::vector<uint8_t>(data.begin(), data.begin() + 8),
            std::vector<uint8_t>(plain.begin(), plain.begin() + 8));
  EXPECT_NE(std::vector<uint8_t>(data.begin() + 8, data.begin() + 16),
            std::vector<uint8_t>(plain.begin() + 8, plain.begin() + 16));
  EXPECT_EQ(std::vector<uint8_t>(data.begin() + 16, data.end()),
            std::vector<uint8_t>(plain.begin() + 16, plain.end()));
  des3.DecryptBlocks(data.data(), 20);
  EXPECT_EQ(data, plain);

  CryptoProvider aes(11, true, u"k");
  std::vector<uint8_t> short_range = Pattern(8);
  EXPECT_TRUE(aes.EncryptBlocks(short_range.data(), 8));
  EXPECT_EQ(short_range, Pattern(8));
}

TEST(CryptoProvider, TextsEncryptToWholeBlocksOfHex) {
  struct Case {
    std::u16string text;
    size_t digits;
  };
  const Case cases[] = {{u"abc", 16},
                        {u"abcdefgh", 16},
                        {u"abcdefghi", 32},
                        {u"x", 16},
                        {u"caf\u00e9 \u20ac5", 16},  // Windows-1252 has both
                        {u"0123456789abcdef", 32}};
  CryptoProvider des3(2, true, u"access key");
  for (const Case& c : cases) {
    SCOPED_TRACE(Ascii(c.text));
    std::u16string hex = des3.EncryptTextToHex(c.text);
    EXPECT_EQ(hex.size(), c.digits);
    EXPECT_TRUE(std::all_of(hex.begin(), hex.end(), [](char16_t ch) {
      return (ch >= u'0' && ch <= u'9') || (ch >= u'a' && ch <= u'f');
    }));
    EXPECT_EQ(des3.DecryptHexToText(hex), c.text);
    // Reading hex accepts upper case too.
    std::u16string upper = hex;
    for (char16_t& ch : upper) ch = ch >= u'a' ? static_cast<char16_t>(ch - 32) : ch;
    EXPECT_EQ(des3.DecryptHexToText(upper), c.text);
  }
}

TEST(CryptoProvider, TextEncryptionIsTheZeroPaddedBlock) {
  CryptoProvider des3(2, true, u"access key");
  uint8_t block[8] = {'a', 'b', 'c', 0, 0, 0, 0, 0};
  des3.EncryptBlocks(block, 8);
  EXPECT_EQ(Ascii(des3.EncryptTextToHex(u"abc")), Hex(block, 8));
}

TEST(CryptoProvider, OddHexStaysInsideItsBlocks) {
  // 17 digits make 8 bytes and so one block; the 17th digit has no room and
  // is dropped instead of being written past the block.
  CryptoProvider des3(2, true, u"access key");
  std::u16string hex = des3.EncryptTextToHex(u"abcdefgh");
  EXPECT_EQ(des3.DecryptHexToText(hex + u"f"), u"abcdefgh");
  // One digit makes no byte and so no block.
  EXPECT_EQ(des3.DecryptHexToText(u"a"), u"");
}

TEST(CryptoProvider, CrcDigestShowsTheValueLeastSignificantByteFirst) {
  CryptoProvider crc(30, true);
  crc.HashText(u"123456789");
  uint8_t out[4] = {};
  uint32_t capacity = 4;
  ASSERT_TRUE(crc.Final(out, capacity));
  EXPECT_EQ(capacity, 4u);
  uint32_t value = out[0] | out[1] << 8 | out[2] << 16 | static_cast<uint32_t>(out[3]) << 24;
  EXPECT_EQ(value, 0xCBF43926u);
  // Final presets the register again: the same text gives the same digest.
  crc.Update(reinterpret_cast<const uint8_t*>("123456789"), 9);
  EXPECT_EQ(crc.DigestHex(), u"2639f4cb");
}

TEST(CryptoProvider, FinalChecksTheCapacity) {
  struct Case {
    int32_t id;
    uint32_t capacity;
    bool ok;
    uint32_t length;
  };
  const Case cases[] = {{20, 16, false, 0}, {20, 0, false, 0}, {20, 20, true, 20},
                        {20, 32, true, 20}, {21, 19, false, 0}, {22, 15, false, 0},
                        {22, 16, true, 16}, {30, 3, false, 0},  {30, 8, true, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "id " << c.id << " capacity " << c.capacity);
    CryptoProvider provider(c.id, true);
    provider.HashText(u"abc");
    std::vector<uint8_t> out(32, 0xAA);
    uint32_t capacity = c.capacity;
    EXPECT_EQ(provider.Final(out.data(), capacity), c.ok);
    if (!c.ok) {
      EXPECT_EQ(out, std::vector<uint8_t>(32, 0xAA)) << "nothing written";
      EXPECT_EQ(capacity, c.capacity);
      continue;
    }
    EXPECT_EQ(capacity, c.length);
    // The message digests zero the rest of the room; CRC-32 writes 4 bytes.
    uint8_t rest = c.id == 30 ? 0xAA : 0x00;
    EXPECT_TRUE(std::all_of(out.begin() + c.length, out.begin() + c.capacity,
                            [rest](uint8_t b) { return b == rest; }));
  }
}

TEST(CryptoProvider, UnknownIdDoesNothing) {
  CryptoProvider provider(42, true);
  EXPECT_FALSE(provider.IsCipher());
  provider.HashText(u"abc");
  uint8_t out[20] = {};
  uint32_t capacity = sizeof out;
  EXPECT_FALSE(provider.Final(out, capacity));
  EXPECT_EQ(provider.DigestHex(), u"");
}

TEST(CryptoProvider, MisuseThrowsTheMisuseError) {
  CryptoProvider cipher(11, true, u"k");
  CryptoProvider digest(21, true);
  CryptoProvider keyed_digest(21, true, u"k");
  uint8_t buffer[16] = {};
  uint32_t capacity = 16;
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"cipher id without key text", [] { CryptoProvider(2, true); }},
      {"reduced id falls back to a cipher", [] { CryptoProvider(11, false); }},
      {"zero length", [&] { cipher.EncryptBlocks(buffer, 0); }},
      {"zero length decrypt", [&] { cipher.DecryptBlocks(buffer, 0); }},
      {"empty text", [&] { cipher.EncryptTextToHex(u""); }},
      {"empty hex", [&] { cipher.DecryptHexToText(u""); }},
      {"digest on a cipher", [&] { cipher.HashText(u"abc"); }},
      {"final on a cipher", [&] { cipher.Final(buffer, capacity); }},
      {"digest hex on a cipher", [&] { cipher.DigestHex(); }},
      {"blocks on a digest", [&] { digest.EncryptBlocks(buffer, 16); }},
      {"block size of a digest", [&] { digest.BlockSize(); }},
      {"text on a digest", [&] { digest.EncryptTextToHex(u"abc"); }},
      {"digest hex with a key text", [&] { keyed_digest.DigestHex(); }},
      {"file digest with a key text", [&] { keyed_digest.HashFile(u"x"); }},
      {"file digest without a path", [&] { digest.HashFile(u""); }},
  };
  for (const auto& [name, operation] : cases) {
    SCOPED_TRACE(name);
    try {
      operation();
      ADD_FAILURE() << "no MisuseError";
    } catch (const MisuseError& e) {
      EXPECT_EQ(e.Value(), 0);
      EXPECT_TRUE(e.Text().empty());
    }
  }
}

class FileDigest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("bexa_security_" + std::to_string(getpid()) + "_" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::u16string Write(const char* name, const std::vector<uint8_t>& bytes) {
    std::filesystem::path path = dir_ / name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return platform::WindowsPathOf(path.string());
  }

  static std::u16string DigestOf(int32_t id, const std::vector<uint8_t>& bytes) {
    CryptoProvider provider(id, true);
    provider.Update(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return provider.DigestHex();
  }

  std::filesystem::path dir_;
};

TEST_F(FileDigest, WholeFile) {
  // A partial last block, an exact multiple of the 4096-byte block, empty.
  for (size_t size : {10000u, 8192u, 0u}) {
    SCOPED_TRACE(size);
    std::vector<uint8_t> bytes = Pattern(size);
    std::u16string path = Write("file", bytes);
    for (int32_t id : {20, 30}) {
      CryptoProvider provider(id, true);
      ASSERT_TRUE(provider.HashFile(path));
      EXPECT_EQ(provider.DigestHex(), DigestOf(id, bytes));
    }
  }
  CryptoProvider provider(30, true);
  EXPECT_FALSE(provider.HashFile(platform::WindowsPathOf((dir_ / "missing").string())));
}

TEST_F(FileDigest, SliceOfAFastFileEndsInOneCall) {
  std::vector<uint8_t> bytes = Pattern(300000);
  std::u16string path = Write("file", bytes);
  CryptoProvider provider(30, true);
  bool first_call = true, done = false;
  ASSERT_TRUE(provider.HashFileSlice(path, 5, first_call, done));
  EXPECT_FALSE(first_call);
  EXPECT_TRUE(done);
  EXPECT_EQ(provider.DigestHex(), DigestOf(30, bytes));

  first_call = true;
  done = false;
  EXPECT_FALSE(provider.HashFileSlice(u"Z:\\nonexistent\\bexa", 5, first_call, done));
  EXPECT_TRUE(done);
  done = false;
  EXPECT_TRUE(provider.HashFileSlice(u"", 5, first_call, done));
  EXPECT_TRUE(done);
}

TEST_F(FileDigest, SliceStopsWhenTheBudgetIsSpent) {
  // A pipe that delivers 64 KiB, then after more than a second another
  // 64 KiB: the first call spends its one-second budget and stops after the
  // 32nd block; the second call reads to the end.
  std::filesystem::path fifo = dir_ / "slow";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::vector<uint8_t> bytes = Pattern(2 * 65536 + 100);
  std::thread writer([&] {
    std::FILE* f = std::fopen(fifo.c_str(), "wb");
    std::fwrite(bytes.data(), 1, 65536, f);
    std::fflush(f);
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    std::fwrite(bytes.data() + 65536, 1, bytes.size() - 65536, f);
    std::fclose(f);
  });
  CryptoProvider provider(20, true);
  std::u16string path = platform::WindowsPathOf(fifo.string());
  bool first_call = true, done = true;
  EXPECT_TRUE(provider.HashFileSlice(path, 1, first_call, done));
  EXPECT_FALSE(done);
  EXPECT_TRUE(provider.HashFileSlice(path, 1, first_call, done));
  EXPECT_TRUE(done);
  writer.join();
  EXPECT_EQ(provider.DigestHex(), DigestOf(20, bytes));
}

}  // namespace
}  // namespace bexa
