#include "server/importer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "catalogue/explode.h"
#include "catalogue/implode.h"
#include "platform/codepage.h"
#include "security/crypto_provider.h"
#include "tests/catalogue/dcl_samples.h"
#include "tests/support/test_server.h"

namespace bexa::server {
namespace {

using bexa::testing::TestStore;

std::string Blob(TestStore& t, const VolumeIndex& index, const FileVersion& v) {
  std::ifstream in(t.store().BlobPath("ann", index.volume, v.blob), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(Import, NewVersionOnlyWhereChanged) {
  TestStore t;
  t.AddAccount("ann", "pw");
  t.AddFile("a.txt", "first");
  t.AddFile("sub/b.txt", "same");
  ImportResult r = t.Import("ann", "\\\\PC1\\C", "PC1", {.date = "20240101000000"});
  EXPECT_EQ(r.files_seen, 2);
  EXPECT_EQ(r.versions_added, 2);

  t.AddFile("a.txt", "second, longer");
  r = t.Import("ann", "\\\\PC1\\C", "PC1", {.date = "20240201000000"});
  EXPECT_EQ(r.versions_added, 1);

  const auto index = t.store().LoadVolume("ann", "PC1:\\\\PC1\\C");
  ASSERT_TRUE(index);
  const FileHistory* a = index->Find("a.txt");
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(a->versions.size(), 2u);
  EXPECT_EQ(a->versions[0].backup_date, "20240101000000");  // oldest first
  EXPECT_EQ(a->versions[1].size, 14);
  EXPECT_EQ(Blob(t, *index, a->versions[1]), "second, longer");
  ASSERT_NE(index->Find("sub\\b.txt"), nullptr);
  EXPECT_EQ(index->Find("sub\\b.txt")->versions.size(), 1u);

  t.AddFile("a.txt", "third");
  EXPECT_THROW(t.Import("ann", "\\\\PC1\\C", "PC1", {.date = "20240115000000"}),
               std::runtime_error);
}

TEST(Import, StoredStreamIsWhatTheClientUndoes) {
  TestStore t;
  t.AddAccount("ann", "pw").secret_key = "k3y";
  t.Save();
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "line " + std::to_string(i % 37) + " of some text\r\n";
  std::string binary;
  for (int i = 0; i < 5000; ++i) binary += static_cast<char>((i * 7919) % 251);
  t.AddFile("t.txt", text);
  t.AddFile("b.bin", binary);
  t.AddFile("tiny", "abc");
  t.Import("ann", "\\\\PC1\\C", "PC1", {.compress = true, .encrypt = true});
  const auto index = *t.store().LoadVolume("ann", "PC1:\\\\PC1\\C");
  for (const auto& [path, original] :
       std::vector<std::pair<std::string, std::string>>{{"t.txt", text}, {"b.bin", binary}, {"tiny", "abc"}}) {
    const FileVersion& v = index.Find(path)->versions[0];
    EXPECT_TRUE(v.encrypted);
    EXPECT_EQ(v.compression, kImploded);
    std::string stream = Blob(t, index, v);
    EXPECT_EQ(int64_t(stream.size()), v.stored_size);
    // The tail after the last whole block travels in the clear.
    const size_t whole = stream.size() / 16 * 16;
    EXPECT_EQ(stream.substr(whole), ImplodeData(original).substr(whole)) << path;
    if (whole) CryptoProvider(11, true, u"k3y").DecryptBlocks(
                   reinterpret_cast<uint8_t*>(stream.data()), uint32_t(whole));
    std::string out;
    EXPECT_EQ(ExplodeBuffer(stream, out), kExplodeOk) << path;
    EXPECT_EQ(out, original) << path;
  }
  EXPECT_LT(index.Find("t.txt")->versions[0].stored_size, int64_t(text.size()) / 3);
}

// The coding and dictionary of the smallest stream of the first 64 KiB; a
// file no longer than that gets that very stream.
TEST(ImplodeData, ChoosesTheSmallestOfTheSixOnTheSample) {
  for (const std::string& data : {testing::SampleText(3000), testing::SampleBinary(200000),
                                  std::string(20000, 'x') + testing::SampleRandom(2000)}) {
    const std::string_view sample(data.data(), std::min<size_t>(data.size(), 64 * 1024));
    std::string smallest;
    for (dcl::Coding coding : {dcl::kBinary, dcl::kAscii})
      for (uint32_t bits = 4; bits <= 6; ++bits) {
        std::string stream = Implode(sample, coding, bits);
        if (smallest.empty() || stream.size() < smallest.size()) smallest = std::move(stream);
      }
    const std::string stream = ImplodeData(data);
    ASSERT_GE(stream.size(), 5u);
    EXPECT_EQ(stream.substr(0, 2), smallest.substr(0, 2)) << data.size();
    if (sample.size() == data.size()) {
      EXPECT_EQ(stream, smallest);
    }
    std::string out;
    EXPECT_EQ(ExplodeBuffer(stream, out), kExplodeOk);
    EXPECT_EQ(out, data);
  }
}

}  // namespace
}  // namespace bexa::server
