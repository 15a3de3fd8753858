#include "catalogue/explode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/implode.h"
#include "tests/catalogue/dcl_samples.h"
#include "tests/catalogue/dcl_stream_builder.h"

namespace bexa {
namespace {

using testing::StreamBuilder;

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

// Records every callback, to check the piece sizes the expander uses.
struct Recorder {
  std::string input;
  size_t pos = 0;
  size_t piece = kExplodeReadSize;
  std::vector<unsigned> asked;
  std::vector<unsigned> written;
  std::string output;
};

unsigned RecordRead(char* buffer, unsigned* size, void* param) {
  auto* r = static_cast<Recorder*>(param);
  r->asked.push_back(*size);
  const size_t n = std::min({size_t{*size}, r->piece, r->input.size() - r->pos});
  std::copy_n(r->input.data() + r->pos, n, buffer);
  r->pos += n;
  return static_cast<unsigned>(n);
}

void RecordWrite(char* buffer, unsigned* size, void* param) {
  auto* r = static_cast<Recorder*>(param);
  r->written.push_back(*size);
  r->output.append(buffer, *size);
}

uint32_t RunExplode(Recorder& r) {
  ExplodeWorkArea work;
  std::fill(std::begin(work.bytes), std::end(work.bytes), 0xAB);  // contents must not matter
  return Explode(RecordRead, RecordWrite, &work, &r);
}

TEST(Explode, PublishedVector) {
  std::string out;
  EXPECT_EQ(ExplodeBuffer(Bytes({0x00, 0x04, 0x82, 0x24, 0x25, 0x8F, 0x80, 0x7F}), out), 0u);
  EXPECT_EQ(out, "AIAIAIAIAIAIA");
}

TEST(Explode, HeaderAndEndCodeOnly) {
  std::string out;
  EXPECT_EQ(ExplodeBuffer(StreamBuilder(0, 6).End().ZeroByte().Bytes(), out), 0u);
  EXPECT_EQ(out, "");
}

TEST(Explode, ResultCodesOfTheHeader) {
  struct Case {
    std::string stream;
    uint32_t result;
  } cases[] = {
      {"", kExplodeShortHeader},
      {Bytes({0, 6, 1, 0xFF}), kExplodeShortHeader},  // a complete stream, but 4 bytes
      {Bytes({0, 3, 1, 0xFF, 0}), kExplodeBadDictionary},
      {Bytes({0, 7, 1, 0xFF, 0}), kExplodeBadDictionary},
      {Bytes({2, 6, 1, 0xFF, 0}), kExplodeBadCoding},
      {Bytes({9, 9, 1, 0xFF, 0}), kExplodeBadDictionary},  // dictionary checked first
      {Bytes({1, 4, 1, 0xFF, 0}), kExplodeOk},
  };
  for (const Case& c : cases) {
    Recorder r;
    r.input = c.stream;
    EXPECT_EQ(RunExplode(r), c.result) << c.stream.size();
    if (c.result != kExplodeOk) {
      EXPECT_TRUE(r.written.empty());
    }
  }
}

TEST(Explode, OverlappingCopyRepeatsBytes) {
  std::string out;
  const std::string s = StreamBuilder(0, 4).Literal('x').Copy(10, 1).Literals("ab").Copy(7, 2)
                            .End().ZeroByte().Bytes();
  EXPECT_EQ(ExplodeBuffer(s, out), 0u);
  EXPECT_EQ(out, std::string(11, 'x') + "ababababa");
}

TEST(Explode, LengthTwoCopiesUseTwoLowBits) {
  // 256 bytes back is the farthest a length-2 copy reaches, whatever D is.
  std::string text;
  for (int i = 0; i < 256; ++i) text.push_back(static_cast<char>(i));
  for (uint32_t dict : {4u, 5u, 6u}) {
    StreamBuilder b(0, dict);
    b.Literals(text).Copy(2, 256).Copy(2, 1).Copy(3, 256).End().ZeroByte();
    std::string out;
    ASSERT_EQ(ExplodeBuffer(b.Bytes(), out), 0u);
    EXPECT_EQ(out, text + text.substr(0, 2) + text.substr(1, 1) + text.substr(1, 1) +
                       text.substr(4, 3));
  }
}

TEST(Explode, HistoryBeforeTheFirstOutputIsZero) {
  std::string out;
  EXPECT_EQ(ExplodeBuffer(StreamBuilder(0, 6).Literal('a').Copy(4, 4096).End().ZeroByte().Bytes(),
                          out),
            0u);
  EXPECT_EQ(out, std::string("a") + std::string(4, '\0'));
}

TEST(Explode, AsciiSpaceHasAFourBitCode) {
  StreamBuilder b(1, 6);
  b.Literal(' ');
  EXPECT_EQ(b.bit_count(), 5u);
  std::string out;
  EXPECT_EQ(ExplodeBuffer(b.End().ZeroByte().Bytes(), out), 0u);
  EXPECT_EQ(out, " ");
}

TEST(Explode, EndCodeOnTheLastBitIsAccepted) {
  // Eight literals of 9 bits and the 16-bit end code fill 11 bytes exactly.
  StreamBuilder b(0, 6);
  b.Literals("ABCDEFGH").End();
  ASSERT_EQ(b.bit_count() % 8, 0u);
  std::string out;
  EXPECT_EQ(ExplodeBuffer(b.Bytes(), out), 0u);
  EXPECT_EQ(out, "ABCDEFGH");
}

TEST(Explode, OtherTokensNeedABitBufferRefill) {
  // Without an end code, the literal on the last bit does not complete.
  StreamBuilder b(0, 6);
  b.Literals("ABCDEFGH");
  ASSERT_EQ(b.bit_count() % 8, 0u);
  std::string out;
  EXPECT_EQ(ExplodeBuffer(b.Bytes(), out), kExplodeBadData);
  EXPECT_EQ(out, "ABCDEFG");
}

TEST(Explode, EndCodeMissingItsLastBits) {
  // The end code cut by one byte: 8 of its 16 bits are there, enough for
  // the literal before it to complete.
  std::string s = StreamBuilder(0, 6).Literals("ABCDEFGH").End().Bytes();
  s.pop_back();
  std::string out;
  EXPECT_EQ(ExplodeBuffer(s, out), kExplodeBadData);
  EXPECT_EQ(out, "ABCDEFGH");
}

TEST(Explode, OutputComesInPiecesOf4096) {
  struct Case {
    size_t size;
    std::vector<unsigned> writes;
  } cases[] = {
      {0, {0}},
      {4095, {4095}},
      {4096, {4096, 0}},
      {8192, {4096, 4096, 0}},
      {10000, {4096, 4096, 1808}},
  };
  for (const Case& c : cases) {
    Recorder r;
    const std::string data = testing::SampleText(c.size);
    r.input = Implode(data, dcl::kBinary, 6);
    EXPECT_EQ(RunExplode(r), 0u);
    EXPECT_EQ(r.written, c.writes) << c.size;
    EXPECT_EQ(r.output, data);
    for (unsigned asked : r.asked) EXPECT_EQ(asked, kExplodeReadSize);
  }
}

TEST(Explode, AnyPieceSizeGivesTheSameOutput) {
  const std::string data = testing::SampleText(20000) + testing::SampleBinary(20000);
  for (auto coding : {dcl::kBinary, dcl::kAscii}) {
    const std::string stream = Implode(data, coding, 5);
    for (size_t piece : {5, 6, 7, 13, 64, 1000, 2047, 2048}) {
      std::string out;
      EXPECT_EQ(ExplodeBuffer(stream, out, piece), 0u) << piece;
      EXPECT_EQ(out, data) << piece;
    }
    std::string out;
    EXPECT_EQ(ExplodeBuffer(stream, out, 4), kExplodeShortHeader);
  }
}

TEST(Explode, ReadsOnlyWhenBitsAreNeeded) {
  // A stream followed by more bytes: the expander stops at the end code and
  // asks for no further piece.
  const std::string data = testing::SampleText(3000);
  Recorder r;
  r.input = Implode(data, dcl::kBinary, 6);
  const size_t pieces = (r.input.size() + 99) / 100;
  r.input += std::string(5000, 'z');
  r.piece = 100;
  EXPECT_EQ(RunExplode(r), 0u);
  EXPECT_EQ(r.output, data);
  EXPECT_LE(r.asked.size(), pieces);
}

TEST(Explode, TruncatedStreamWritesWhatWasDecoded) {
  const std::string data = testing::SampleText(30000, 5);
  for (auto coding : {dcl::kBinary, dcl::kAscii}) {
    const std::string stream = Implode(data, coding, 6);
    std::string whole;
    ASSERT_EQ(ExplodeBuffer(stream, whole), 0u);
    size_t last = 0;
    // Every cut of the stream: a prefix of the data, longer the later the cut.
    for (size_t cut = 5; cut < stream.size(); cut += (cut < 64 || stream.size() - cut < 64) ? 1 : 37) {
      std::string out;
      const uint32_t result = ExplodeBuffer(stream.substr(0, cut), out);
      ASSERT_EQ(result, kExplodeBadData) << cut;
      ASSERT_EQ(out, data.substr(0, out.size())) << cut;
      ASSERT_GE(out.size(), last) << cut;
      last = out.size();
    }
    EXPECT_GT(last, data.size() - 700);
  }
}

TEST(Explode, DamagedBytesNeverReadOutsideTheWindow) {
  const std::string stream = Implode(testing::SampleBinary(9000), dcl::kBinary, 4);
  for (size_t i = 2; i < stream.size(); i += 3) {
    std::string damaged = stream;
    damaged[i] = static_cast<char>(damaged[i] ^ (1 << (i % 8)));
    std::string out;
    const uint32_t result = ExplodeBuffer(damaged, out);
    EXPECT_TRUE(result == kExplodeOk || result == kExplodeBadData) << i;
  }
}

}  // namespace
}  // namespace bexa
