#include "protocol/pdu_codec.h"

#include <gtest/gtest.h>

#include "protocol/pdu_catalogue.h"
#include "protocol/pdu_fields.h"
#include "protocol/pdu_layouts.h"
#include "pdu_test_util.h"

namespace bexa::protocol {
namespace {

using testing::AppendByte;
using testing::BodyOf;
using testing::ChainOf;
using testing::Hex;
using testing::IncrementByte;
using testing::ShrinkBy;

std::vector<uint8_t> EncodeBytes(int type, const PduValues& v, std::u16string_view version) {
  PduChain frame;
  EXPECT_TRUE(PduCodec::Encode(type, v, version, frame)) << type;
  return frame.Bytes();
}

bool DecodeBytes(const std::vector<uint8_t>& body, std::u16string_view version, PduValues& v,
                 int& type, std::vector<size_t> cuts = {}) {
  PduChain chain = ChainOf(body, cuts);
  return PduCodec::Decode(chain, version, v, type);
}

// Fills every field of a type's layout with a distinct sample value.
void FillSample(int type, PduValues& v) {
  int n = 1;
  for (const FieldLayout& f : LayoutOf(type).fields) {
    switch (f.kind) {
      case FieldKind::kInt: v.SetInt(f.tag, 1000 + n++); break;
      case FieldKind::kWide: v.SetInt(f.tag, 0x1'0000'0000LL + n++); break;
      case FieldKind::kText:
      case FieldKind::kTrimmedText: v.SetText(f.tag, u"t\u00e9xt" + std::u16string(n++, u'x')); break;
      case FieldKind::kBytes: {
        const uint8_t b[] = {0, 1, 2, 0xFF};
        v.SetBytes(f.tag, b, sizeof b);
        break;
      }
      case FieldKind::kTextList:
        v.MutableTextList(f.element_tag) = {u"C1:V1", u"", u"C2:V2"};
        break;
      case FieldKind::kRecordList: {
        auto& r = v.MutableRecords(f.element_tag);
        if (f.element_tag == 80) {
          r = {PduRecord::FileVersion(u"20070904133540", u"20070101000000", 5'000'000'000LL),
               PduRecord::FileVersion(u"20070905133540", u"", 7)};
        } else if (f.element_tag == 81) {
          r = {PduRecord::VolumeAnswer(0, u""), PduRecord::VolumeAnswer(2, u"hint")};
        } else {
          r = {PduRecord::RequestedFile(u"dir\\a.txt", u"20070904133540")};
        }
        break;
      }
      case FieldKind::kSystemChange:
        v.SetInt(tag::kSystemChangeKind, kSystemChangeNames);
        v.SetText(tag::kSystemText65, u"a");
        v.SetText(tag::kSystemText66, u"b");
        v.SetText(tag::kSystemText67, u"c");
        break;
    }
  }
}

TEST(PduCatalogue, EveryTypeHasALayoutAndUnknownNumbersAreUnknown) {
  int known = 0;
  for (int t = 0; t < 256; ++t) {
    EXPECT_EQ(FindPduType(t) != nullptr, LayoutOf(t).known) << t;
    if (FindPduType(t)) ++known;
  }
  EXPECT_EQ(known, 54);
  EXPECT_STREQ(reinterpret_cast<const char*>(PduCode(17)), reinterpret_cast<const char*>(u"FDTA"));
  EXPECT_EQ(std::u16string(PduName(24)), u"Directory (volume) list request with history");
  EXPECT_EQ(std::u16string(PduCode(9)), u"Unknown");
  EXPECT_EQ(std::u16string(PduName(100)), u"Unknown");
}

TEST(PduCodec, EmptyPdusAreTwelveBytes) {
  for (int type : {kPduCncl, kPduSlsr, kPduHtbt, kPduQuit}) {
    PduValues v;
    auto bytes = EncodeBytes(type, v, u"7.0");
    auto expected = Hex("02 00 00 00 00 00 00 04");
    expected.insert(expected.end(), {uint8_t(type), 0x80, 0, 0});
    EXPECT_EQ(bytes, expected) << type;
  }
}

TEST(PduCodec, LengthFormsAtEveryThreshold) {
  struct Case {
    uint32_t n;
    const char* hex;
  } cases[] = {
      {0, "00"},          {127, "7f"},          {128, "81 80"},         {255, "81 ff"},
      {256, "82 01 00"},  {65535, "82 ff ff"},  {65536, "83 01 00 00"}, {0xFFFFA5, "83 ff ff a5"},
      {0xFFFFA6, "84 00 ff ff a6"},  {0xFFFFFF, "84 00 ff ff ff"},  {0x1000000, "84 01 00 00 00"},
  };
  for (const Case& c : cases) {
    PduChain chain;
    PduWriter w(chain, 128);
    ASSERT_TRUE(w.WriteLength(c.n));
    EXPECT_EQ(chain.Bytes(), Hex(c.hex)) << c.n;  // the header space is not written yet

    PduChain in = ChainOf(Hex(c.hex));
    PduReader r(in);
    uint32_t n;
    bool indefinite;
    ASSERT_TRUE(r.ReadLength(n, indefinite));
    EXPECT_EQ(n, c.n);
    EXPECT_FALSE(indefinite);
  }
  // Shorter forms than the encoder's are read as well; 0x85 and above are not.
  PduChain in = ChainOf(Hex("84 00 00 00 05"));
  PduReader r(in);
  uint32_t n;
  bool indefinite;
  EXPECT_TRUE(r.ReadLength(n, indefinite) && n == 5);
  PduChain bad = ChainOf(Hex("85 00 00 00 00 05"));
  PduReader rb(bad);
  EXPECT_FALSE(rb.ReadLength(n, indefinite));
}

TEST(PduCodec, TwoHundredCharacterTextUnderSevenIsFourHundredBytes) {
  PduValues v;
  v.SetText(tag::kFilePath, std::u16string(200, u'a'));
  v.SetInt(tag::kVerifyCrc, 1);
  auto body = std::vector<uint8_t>(EncodeBytes(kPduVerr, v, u"7.0"));
  ASSERT_GT(body.size(), 8u + 2 + 4 + 400);
  EXPECT_EQ(std::vector<uint8_t>(body.begin() + 10, body.begin() + 14), Hex("0e 82 01 90"));
  EXPECT_EQ(body[14], 'a');
  EXPECT_EQ(body[15], 0);
}

TEST(PduCodec, TextEncodingFollowsTheVersionTextComparedAsText) {
  struct Case {
    std::u16string version;
    const char* field;  // tag 14 with "é€"
  } cases[] = {
      {u"6.01", "0e 02 e9 80"},
      {u"7.0", "0e 04 e9 00 ac 20"},
      {u"7.1", "0e 04 e9 00 ac 20"},
      {u"10.0", "0e 02 e9 80"},  // "1" sorts before "7"
      {u"", "0e 02 e9 80"},
  };
  for (const Case& c : cases) {
    PduValues v;
    v.SetText(tag::kFilePath, u"\u00e9\u20ac");
    auto bytes = EncodeBytes(kPduEhfr, v, c.version);
    auto field = Hex(c.field);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 10, bytes.begin() + 10 + field.size()), field);
    PduValues back;
    int type;
    ASSERT_TRUE(DecodeBytes(std::vector<uint8_t>(bytes.begin() + 8, bytes.end()), c.version,
                            back, type));
    EXPECT_EQ(back.Text(tag::kFilePath), u"\u00e9\u20ac");
  }
}

TEST(PduCodec, ProtocolInformationAlwaysTravelsAsAnsi) {
  PduValues v;
  v.SetText(tag::kVersion, u"7.0.0.0KVO");
  v.SetText(tag::kProtocolText, u"x");
  auto bytes = EncodeBytes(kPduProt, v, u"7.0");
  EXPECT_EQ(BodyOf(ChainOf(bytes)), Hex("01 80 01 0a 37 2e 30 2e 30 2e 30 4b 56 4f 02 01 78 00 00"));
  PduValues back;
  int type;
  ASSERT_TRUE(DecodeBytes(BodyOf(ChainOf(bytes)), u"7.0", back, type));
  EXPECT_EQ(back.Version().ToText(), u"7.0.0.0KVO");
  EXPECT_EQ(back.Version().Major(), 7);
}

TEST(PduCodec, BodyLongerThanTheFirstBufferContinuesInBuffersOfTheSameCapacity) {
  PduValues v;
  v.SetText(tag::kFilePath, std::u16string(300, u'p'));  // 600 bytes under 7.0
  PduChain frame;
  ASSERT_TRUE(PduCodec::Encode(kPduVerr, v, u"7.0", frame));
  ASSERT_GE(frame.BufferCount(), 5u);
  for (size_t i = 0; i + 1 < frame.BufferCount(); ++i) {
    EXPECT_EQ(frame.Buffer(i).capacity(), 128u);
    EXPECT_EQ(frame.Buffer(i).Size(), 128u) << i;  // every buffer but the last is full
  }
  auto bytes = frame.Bytes();
  const uint32_t body = bytes[4] << 24 | bytes[5] << 16 | bytes[6] << 8 | bytes[7];
  EXPECT_EQ(body, bytes.size() - 8);
  EXPECT_EQ(body, 2u + 1 + 3 + 600 + 6 + 2);
}

TEST(PduCodec, EveryTypeRoundTripsAtEveryVersionAndEverySplit) {
  for (int type = 1; type < 100; ++type) {
    if (!FindPduType(type)) continue;
    for (std::u16string version : {u"", u"2.50", u"5.01", u"6.01", u"7.0", u"10.0"}) {
      PduValues v;
      FillSample(type, v);
      const auto frame = EncodeBytes(type, v, version);
      const auto body = std::vector<uint8_t>(frame.begin() + 8, frame.end());
      for (size_t cut = 0; cut <= body.size(); ++cut) {
        PduValues back;
        int got = -1;
        ASSERT_TRUE(DecodeBytes(body, version, back, got, {cut})) << type << " cut " << cut;
        ASSERT_EQ(got, type);
        ASSERT_EQ(EncodeBytes(type, back, version), frame) << type << " cut " << cut;
      }
    }
  }
}

TEST(PduCodec, WideIntegerOfLengthFourIsUnsigned) {
  // FINF under 7.0 with the size field written in four bytes.
  PduValues v;
  FillSample(kPduFinf, v);
  auto body = BodyOf(ChainOf(EncodeBytes(kPduFinf, v, u"5.00")));  // int before "5.01"
  PduValues back;
  int type;
  v.SetInt(tag::kFileSize, 0xFFFFFFFF);
  body = BodyOf(ChainOf(EncodeBytes(kPduFinf, v, u"5.00")));
  ASSERT_TRUE(DecodeBytes(body, u"7.0", back, type));
  EXPECT_EQ(back.Wide(tag::kFileSize), 4294967295LL);
}

TEST(PduCodec, VersionGatesOnBothSides) {
  struct Case {
    int type;
    std::u16string version;
    std::vector<int> present;  // gated tags expected
    std::vector<int> absent;
  } cases[] = {
      {kPduUsrp, u"2.50", {}, {56}},
      {kPduUsrp, u"3.00", {56}, {}},
      {kPduFsts, u"5.01", {}, {75}},
      {kPduFsts, u"6.01", {}, {75}},
      {kPduFsts, u"7.0", {75}, {}},
      {kPduVerp, u"3.00", {}, {61, 62, 63}},
      {kPduVerp, u"3.50", {61, 62, 63}, {}},
  };
  for (const Case& c : cases) {
    PduValues v;
    FillSample(c.type, v);
    auto body = BodyOf(ChainOf(EncodeBytes(c.type, v, c.version)));
    PduValues back;
    int type;
    ASSERT_TRUE(DecodeBytes(body, c.version, back, type));
    for (int t : c.present) {
      EXPECT_TRUE(back.Wide(t) != 0 || !back.Text(t).empty()) << c.type << " " << t;
    }
    for (int t : c.absent) {
      EXPECT_EQ(back.Wide(t), 0) << c.type << " " << t;
      EXPECT_TRUE(back.Text(t).empty());
    }
    // The other side's version must match: the same body under a gate that
    // disagrees is rejected.
    PduValues wrong;
    EXPECT_FALSE(DecodeBytes(body, c.present.empty() ? u"9" : u"1", wrong, type)) << c.type;
  }
}

TEST(PduCodec, FileStatusSizeWidthByVersion) {
  PduValues v;
  v.SetInt(tag::kFileStatus, 0);
  v.SetInt(tag::kStatusSize, 5);
  v.SetInt(tag::kStatusFurtherValue, 9);
  EXPECT_EQ(BodyOf(ChainOf(EncodeBytes(kPduFsts, v, u"5.01"))),
            Hex("10 80 18 04 00000000 19 04 00000005 00 00"));
  EXPECT_EQ(BodyOf(ChainOf(EncodeBytes(kPduFsts, v, u"6.01"))),
            Hex("10 80 18 04 00000000 19 08 0000000000000005 00 00"));
  EXPECT_EQ(BodyOf(ChainOf(EncodeBytes(kPduFsts, v, u"7.0"))),
            Hex("10 80 18 04 00000000 19 08 0000000000000005 4b 04 00000009 00 00"));
}

TEST(PduCodec, TrimmedTextsLoseTrailingWhiteSpaceOnly) {
  PduValues v;
  v.SetText(tag::kUser, u"  user  \t\r\n");
  v.SetText(tag::kPassword, u"pw ");
  v.SetText(tag::kWorkstation, u"WG\\PC");
  PduValues back;
  int type;
  ASSERT_TRUE(DecodeBytes(BodyOf(ChainOf(EncodeBytes(kPduUsrr, v, u"7.0"))), u"7.0", back, type));
  EXPECT_EQ(back.Text(tag::kUser), u"  user");
  EXPECT_EQ(back.Text(tag::kPassword), u"pw");
  // Texts that are not marked trimmed keep their blanks.
  v.SetText(tag::kFilePath, u"a ");
  ASSERT_TRUE(DecodeBytes(BodyOf(ChainOf(EncodeBytes(kPduEhfr, v, u"7.0"))), u"7.0", back, type));
  EXPECT_EQ(back.Text(tag::kFilePath), u"a ");
}

TEST(PduCodec, RecordLists) {
  int type;
  PduValues back;
  // RVLP with a count of 0.
  ASSERT_TRUE(DecodeBytes(Hex("20 80 2f 04 00000000 00 00"), u"7.0", back, type));
  EXPECT_TRUE(back.Records(81).empty());
  // A count of 3 with two records present.
  const char* two = "20 80 2f 04 00000003 51 80 2e 04 00000000 23 00 00 00"
                    " 51 80 2e 04 00000002 23 00 00 00 00 00";
  EXPECT_FALSE(DecodeBytes(Hex(two), u"7.0", back, type));
  // The same two records with a count of 2.
  auto ok = Hex(two);
  ok[7] = 2;
  ASSERT_TRUE(DecodeBytes(ok, u"7.0", back, type));
  ASSERT_EQ(back.Records(81).size(), 2u);
  EXPECT_EQ(back.Records(81)[1].Int(tag::kVolumeStatus), 2);
  EXPECT_EQ(back.Int(tag::kAnswerCount), 2);
  // Record 81 inside an RFLR, where 82 is expected.
  EXPECT_FALSE(DecodeBytes(Hex("14 80 0c 00 0d 04 00000001 51 80 0e 00 11 00 00 00 00 00"), u"7.0",
                           back, type));
  EXPECT_TRUE(DecodeBytes(Hex("14 80 0c 00 0d 04 00000001 52 80 0e 00 11 00 00 00 00 00"), u"7.0",
                          back, type));
}

TEST(PduCodec, StrictDecoderRejectsDamage) {
  // A valid SFIL: 14 text "a", 48 int 0, 22 int 7.
  const auto good = Hex("21 80 0e 01 61 30 04 00000000 16 04 00000007 00 00");
  struct Case {
    const char* what;
    std::vector<uint8_t> body;
  } cases[] = {
      {"trailing byte", AppendByte(good, 0)},
      {"missing end of contents", ShrinkBy(good, 2)},
      {"half end of contents", ShrinkBy(good, 1)},
      {"non-zero end of contents", IncrementByte(good, good.size() - 1)},
      {"unknown type", Hex("09 80 00 00")},
      {"unexpected tag", IncrementByte(good, 2)},
      {"integer of length 5", Hex("21 80 0e 01 61 30 05 0000000000 16 04 00000007 00 00")},
      {"integer of length 3", Hex("21 80 0e 01 61 30 03 000000 16 04 00000007 00 00")},
      {"text with indefinite length", Hex("21 80 0e 80 61 30 04 00000000 16 04 00000007 00 00")},
      {"length byte 0x85", Hex("21 80 0e 85 00 00 00 00 01 61 30 04 00000000 16 04 00000007 00 00")},
      {"text longer than the body", Hex("21 80 0e 7f 61")},
      {"wide of length 5", Hex("19 80 20 04 00000000 22 05 0000000000 00 00")},
      {"empty body", {}},
      {"type only", Hex("21")},
  };
  for (const Case& c : cases) {
    PduValues back;
    int type;
    EXPECT_FALSE(DecodeBytes(c.body, u"7.0", back, type)) << c.what;
    EXPECT_TRUE(back.Text(tag::kFilePath).empty()) << c.what;
  }
  PduValues back;
  int type;
  EXPECT_TRUE(DecodeBytes(good, u"7.0", back, type));
  for (size_t n = 1; n < good.size(); ++n) {
    EXPECT_FALSE(DecodeBytes(ShrinkBy(good, n), u"7.0", back, type)) << n;
  }
}

TEST(PduCodec, NegativeTextLengthGivesEmptyTextAndConsumesNothing) {
  // EHFR whose text length reads as -1: the next bytes are read as the
  // end of contents.
  PduValues back;
  int type;
  ASSERT_TRUE(DecodeBytes(Hex("33 80 0e 84 ff ff ff ff 00 00"), u"7.0", back, type));
  EXPECT_TRUE(back.Text(tag::kFilePath).empty());
}

TEST(PduCodec, TextEndsAtItsFirstZeroCharacter) {
  PduValues back;
  int type;
  ASSERT_TRUE(DecodeBytes(Hex("33 80 0e 04 61 00 62 00 00 00"), u"6.0", back, type));
  EXPECT_EQ(back.Text(tag::kFilePath), u"a");
  ASSERT_TRUE(DecodeBytes(Hex("33 80 0e 06 61 00 00 00 62 00 00 00"), u"7.0", back, type));
  EXPECT_EQ(back.Text(tag::kFilePath), u"a");
}

TEST(PduCodec, FileDataPayloadIsReferencedNotCopied) {
  std::vector<uint8_t> payload(1000);
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i * 7);
  PduValues v;
  v.SetInt(tag::kLastBlock, 1);
  v.SetOutgoingPayload(payload.data(), payload.size());
  PduChain frame;
  ASSERT_TRUE(PduCodec::Encode(kPduFdta, v, u"7.0", frame));
  auto head = frame.Bytes();
  ASSERT_EQ(head.size(), 8u + 16);  // the payload is not in the chain
  EXPECT_EQ(head[7] | head[6] << 8, 16 + 1000);

  std::vector<uint8_t> body(head.begin() + 8, head.end());
  body.insert(body.end(), payload.begin(), payload.end());
  // The payload spans three receive buffers here; all of it is handed on.
  PduChain chain = ChainOf(body, {300, 700});
  const uint8_t* first_buffer = chain.Buffer(0).data();
  PduValues back;
  int type;
  ASSERT_TRUE(PduCodec::Decode(chain, u"7.0", back, type));
  EXPECT_EQ(type, kPduFdta);
  EXPECT_EQ(back.Int(tag::kLastBlock), 1);
  const PduPayload& p = back.ReceivedPayload();
  ASSERT_EQ(p.Size(), 1000u);
  EXPECT_EQ(p.SegmentCount(), 3u);
  EXPECT_EQ(p.Segment(0).data(), first_buffer + 16);
  std::vector<uint8_t> got(p.Size());
  p.CopyTo(got.data());
  EXPECT_EQ(got, payload);

  // Without payload bytes there is no payload.
  PduChain bare = ChainOf(std::vector<uint8_t>(head.begin() + 8, head.end()));
  ASSERT_TRUE(PduCodec::Decode(bare, u"7.0", back, type));
  EXPECT_TRUE(back.ReceivedPayload().Empty());
}

TEST(PduCodec, SystemChangeKinds) {
  struct Case {
    int kind;
    const char* body;
  } cases[] = {
      {70, "2f 80 45 04 00000046 41 01 61 42 01 62 43 01 63 00 00"},
      {71, "2f 80 45 04 00000047 41 01 61 00 00"},
      {72, "2f 80 45 04 00000048 44 04 00000009 00 00"},
      {5, "2f 80 45 04 00000005 00 00"},
  };
  for (const Case& c : cases) {
    PduValues v;
    v.SetInt(tag::kSystemChangeKind, c.kind);
    v.SetText(65, u"a");
    v.SetText(66, u"b");
    v.SetText(67, u"c");
    v.SetInt(68, 9);
    EXPECT_EQ(BodyOf(ChainOf(EncodeBytes(kPduSysr, v, u"6.0"))), Hex(c.body)) << c.kind;
    PduValues back;
    int type;
    EXPECT_TRUE(DecodeBytes(Hex(c.body), u"6.0", back, type)) << c.kind;
  }
}

TEST(PduCodec, FrameHeader) {
  struct Case {
    const char* hex;
    bool acceptable;
  } cases[] = {
      {"02 00 00 00 00 00 00 01", true},
      {"02 ff ff ff 7f ff ff ff", true},  // reserved bytes are ignored
      {"03 00 00 00 00 00 00 04", false},
      {"02 00 00 00 00 00 00 00", false},
      {"02 00 00 00 80 00 00 00", false},
  };
  for (const Case& c : cases) {
    auto b = Hex(c.hex);
    FrameHeader h;
    ASSERT_TRUE(PduCodec::ReadFrameHeader(b.data(), b.size(), h));
    EXPECT_EQ(PduCodec::AcceptableHeader(h), c.acceptable) << c.hex;
  }
  FrameHeader h;
  auto seven = Hex("02 00 00 00 00 00 00");
  EXPECT_FALSE(PduCodec::ReadFrameHeader(seven.data(), seven.size(), h));
}

}  // namespace
}  // namespace bexa::protocol
