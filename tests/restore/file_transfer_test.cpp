#include "restore/file_transfer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/temp_home.h"

namespace bexa {
namespace {

// A peer that plays back File data blocks, then a VERR.
class FakePeer : public TransferPeer {
 public:
  struct Step {
    Received kind;
    std::vector<uint8_t> data;
    bool last = false;
    uint32_t crc = 0;
  };
  std::deque<Step> steps;
  std::vector<int32_t> aborts, verify_responses;

  Received Next(DataBlock& block, bool& last, std::u16string&, uint32_t& crc) override {
    if (steps.empty()) return Received::kFailed;
    Step s = std::move(steps.front());
    steps.pop_front();
    auto owned = std::make_shared<std::vector<uint8_t>>(std::move(s.data));
    block = {owned, owned->data(), owned->size()};
    last = s.last;
    crc = s.crc;
    return s.kind;
  }
  void SendAbort(int32_t reason) override { aborts.push_back(reason); }
  void SendVerifyResponse(int32_t status) override { verify_responses.push_back(status); }

  // Cuts `stream` into blocks of `cut` bytes, ends with a VERR of its CRC.
  void Play(const std::vector<uint8_t>& stream, size_t cut, bool empty_last_block = false,
            uint32_t verr_crc_xor = 0) {
    for (size_t pos = 0; pos < stream.size(); pos += cut) {
      size_t n = std::min(cut, stream.size() - pos);
      bool last = !empty_last_block && pos + n == stream.size();
      steps.push_back({Received::kFileData, {stream.begin() + pos, stream.begin() + pos + n}, last});
    }
    if (empty_last_block) steps.push_back({Received::kFileData, {}, true});
    steps.push_back({Received::kVerify, {}, false, CrcOf(stream) ^ verr_crc_xor});
  }
  static uint32_t CrcOf(const std::vector<uint8_t>& v) {
    return static_cast<uint32_t>(::crc32(0, v.data(), static_cast<uInt>(v.size())));
  }
};

class FileTransferTest : public ::testing::Test {
 protected:
  std::vector<uint8_t> Data(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return v;
  }
  std::string ReadHost(const std::string& name) {
    std::ifstream in(home_.DriveC() + "/" + name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  size_t FilesInC() {
    size_t n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(home_.DriveC())) ++n;
    return n;
  }
  bexa::testing::TempHome home_;
  FakePeer peer_;
};

TEST_F(FileTransferTest, PlainFileInManyBlockSizes) {
  const auto data = Data(100000);
  for (size_t cut : {1u, 7u, 4096u, 65536u, 200000u}) {
    for (bool empty_last : {false, true}) {
      FileTransfer t;
      ASSERT_TRUE(t.Open(u"C:\\out.bin"));
      peer_.Play(data, cut, empty_last);
      t.SetPeer(&peer_);
      t.SetExpectedCrc(FakePeer::CrcOf(data));
      ASSERT_TRUE(t.Run()) << "cut " << cut << " error " << t.error_code();
      EXPECT_EQ(ReadHost("out.bin"), std::string(data.begin(), data.end()));
      EXPECT_EQ(t.bytes_received(), data.size());
      EXPECT_EQ(t.bytes_written(), data.size());
      EXPECT_EQ(peer_.verify_responses.back(), 1);
    }
  }
  EXPECT_EQ(FilesInC(), 1u);  // no temporary file left
}

TEST_F(FileTransferTest, WrongStreamCrcKeepsTheOriginal) {
  bexa::testing::WriteFile(home_.DriveC() + "/keep.txt", "original");
  const auto data = Data(5000);
  FileTransfer t;
  ASSERT_TRUE(t.Open(u"C:\\keep.txt"));
  peer_.Play(data, 1000, false, /*verr_crc_xor=*/1);
  t.SetPeer(&peer_);
  t.SetExpectedCrc(FakePeer::CrcOf(data));
  EXPECT_FALSE(t.Run());
  EXPECT_EQ(peer_.verify_responses, std::vector<int32_t>{0});
  EXPECT_EQ(ReadHost("keep.txt"), "original");
  EXPECT_EQ(FilesInC(), 1u);
}

TEST_F(FileTransferTest, DroppedConnectionKeepsTheOriginal) {
  bexa::testing::WriteFile(home_.DriveC() + "/keep.txt", "original");
  FileTransfer t;
  ASSERT_TRUE(t.Open(u"C:\\keep.txt"));
  peer_.steps.push_back({TransferPeer::Received::kFileData, Data(100), false});
  peer_.steps.push_back({TransferPeer::Received::kFailed});
  t.SetPeer(&peer_);
  EXPECT_FALSE(t.Run());
  EXPECT_EQ(t.error_code(), FileTransfer::kReceiveFailed);
  EXPECT_TRUE(peer_.aborts.empty());
  EXPECT_EQ(ReadHost("keep.txt"), "original");
  EXPECT_EQ(FilesInC(), 1u);
}

TEST_F(FileTransferTest, UnexpectedPduAborts) {
  FileTransfer t;
  ASSERT_TRUE(t.Open(u"C:\\x.bin"));
  peer_.steps.push_back({TransferPeer::Received::kOther});
  t.SetPeer(&peer_);
  EXPECT_FALSE(t.Run());
  EXPECT_EQ(t.error_code(), FileTransfer::kProtocolFailure);
  EXPECT_EQ(peer_.aborts, std::vector<int32_t>{6});
  EXPECT_EQ(FilesInC(), 0u);
}

// An "expander" that reads in 2,048-byte pieces and writes each byte twice.
int Doubler(const ReadFunction& read, const WriteFunction& write) {
  uint8_t in[2048], out[4096];
  for (;;) {
    size_t n = read(in, sizeof(in));
    if (n == 0) return 0;
    for (size_t i = 0; i < n; ++i) out[2 * i] = out[2 * i + 1] = in[i];
    if (!write(out, 2 * n)) return 4;
  }
}

TEST_F(FileTransferTest, EncipheredCompressedStreamIsIndependentOfCuts) {
  const auto plain = Data(10000 + 5);
  auto xor_blocks = [](uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) p[i] ^= static_cast<uint8_t>(0x5A + i % 16);
    return true;
  };
  std::vector<uint8_t> stream = plain;
  xor_blocks(stream.data(), stream.size() - stream.size() % 16);
  std::string want;
  for (uint8_t b : plain) want += std::string(2, static_cast<char>(b));
  std::vector<uint8_t> doubled(want.begin(), want.end());
  for (size_t cut : {1u, 7u, 15u, 16u, 17u, 2047u, 4096u, 3001u}) {
    FileTransfer t;
    ASSERT_TRUE(t.Open(u"C:\\f.bin"));
    peer_.Play(stream, cut, cut == 7);
    t.SetPeer(&peer_);
    t.SetCompression(1);
    t.SetExpander(Doubler);
    t.SetFileCipher({16, xor_blocks});
    t.SetExpectedCrc(FakePeer::CrcOf(doubled));
    ASSERT_TRUE(t.Run()) << "cut " << cut << " error " << t.error_code();
    EXPECT_EQ(ReadHost("f.bin"), want) << "cut " << cut;
    EXPECT_FLOAT_EQ(t.compression_percent(), 50.0f);  // written twice what arrived
  }
}

TEST_F(FileTransferTest, ExpanderFailureSendsNoVerifyResponse) {
  FileTransfer t;
  ASSERT_TRUE(t.Open(u"C:\\f.bin"));
  peer_.Play(Data(9000), 4096);
  t.SetPeer(&peer_);
  t.SetCompression(1);
  t.SetExpander([](const ReadFunction& read, const WriteFunction&) {
    uint8_t buf[16];
    read(buf, sizeof(buf));
    return 3;
  });
  EXPECT_FALSE(t.Run());
  EXPECT_EQ(t.error_code(), FileTransfer::kExpandFailed);
  EXPECT_TRUE(peer_.verify_responses.empty());
  EXPECT_EQ(FilesInC(), 0u);
}

// A file up to the inline limit is written on the receiving thread after its
// last block, a larger one by a writer thread started once the limit is
// passed; both give the same file, and a drop in the middle of a large one
// keeps the original as well.
TEST_F(FileTransferTest, InlineAndThreadedWritersGiveTheSameFile) {
  constexpr size_t kLimit = FileTransfer::kInlineBytes;
  for (size_t size : {kLimit, kLimit + 1, 3 * kLimit + 5}) {
    for (bool compressed : {false, true}) {
      const auto data = Data(size);
      std::string want(data.begin(), data.end());
      uint32_t crc = FakePeer::CrcOf(data);
      if (compressed) {
        want.clear();
        for (uint8_t b : data) want += std::string(2, static_cast<char>(b));
        crc = FakePeer::CrcOf(std::vector<uint8_t>(want.begin(), want.end()));
      }
      FileTransfer t;
      ASSERT_TRUE(t.Open(u"C:\\big.bin"));
      peer_.Play(data, 65536);
      t.SetPeer(&peer_);
      if (compressed) {
        t.SetCompression(1);
        t.SetExpander(Doubler);
      }
      t.SetExpectedCrc(crc);
      ASSERT_TRUE(t.Run()) << size << " compressed " << compressed << " error " << t.error_code();
      EXPECT_EQ(ReadHost("big.bin"), want) << size << " compressed " << compressed;
      EXPECT_EQ(t.bytes_received(), size);
    }
  }

  bexa::testing::WriteFile(home_.DriveC() + "/big.bin", "original");
  FileTransfer t;
  ASSERT_TRUE(t.Open(u"C:\\big.bin"));
  for (int i = 0; i < 40; ++i) peer_.steps.push_back({TransferPeer::Received::kFileData, Data(65536), false});
  peer_.steps.push_back({TransferPeer::Received::kFailed});
  t.SetPeer(&peer_);
  EXPECT_FALSE(t.Run());
  EXPECT_EQ(t.error_code(), FileTransfer::kReceiveFailed);
  EXPECT_EQ(ReadHost("big.bin"), "original");
  EXPECT_EQ(FilesInC(), 1u);
}

// A relative destination is resolved once, so the rename and the removal
// find the temporary file that the open created.
TEST_F(FileTransferTest, RelativeDestinationLeavesNoTemporaryFile) {
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(home_.DriveC());
  const auto data = Data(3000);
  for (uint32_t crc_xor : {1u, 0u}) {
    FileTransfer t;
    ASSERT_TRUE(t.Open(u"C:rel.bin"));
    peer_.Play(data, 1000, false, crc_xor);
    t.SetPeer(&peer_);
    t.SetExpectedCrc(FakePeer::CrcOf(data));
    EXPECT_EQ(t.Run(), crc_xor == 0);
    EXPECT_EQ(FilesInC(), crc_xor == 0 ? 1u : 0u) << "crc_xor " << crc_xor;
  }
  EXPECT_EQ(ReadHost("rel.bin"), std::string(data.begin(), data.end()));
  std::filesystem::current_path(previous);
}

TEST_F(FileTransferTest, EmptyFileIsCommittedByClose) {
  bexa::testing::WriteFile(home_.DriveC() + "/e.txt", "old");
  FileTransfer t;
  ASSERT_TRUE(t.Open(u"C:\\e.txt"));
  ASSERT_TRUE(t.Close());
  EXPECT_EQ(ReadHost("e.txt"), "");
  EXPECT_EQ(FilesInC(), 1u);
}

}  // namespace
}  // namespace bexa
