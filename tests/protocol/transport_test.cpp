#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "loopback.h"
#include "pdu_test_util.h"
#include "protocol/pdu_catalogue.h"
#include "protocol/socket_errors.h"

namespace bexa::protocol {
namespace {

using testing::Hex;
using testing::Listener;
using testing::LoopbackPair;
using testing::TestCipher;
using testing::TestOptions;

TEST(Transport, HostTextRules) {
  struct Case {
    const char* host;
    int status;
  } cases[] = {
      {"127.0.0.1", kStatusOk},         // dotted: used as it is
      {"user@127.0.0.1", kStatusOk},    // only the part after "@" is resolved
      {"a@b@127.0.0.1", kStatusEncodeOrResolve},  // ... after the first "@"
      {"localhost", kStatusOk},
      {"someone@", kStatusEncodeOrResolve},
  };
  for (const Case& c : cases) {
    Listener listener;
    ProtocolConnection client(TestOptions());
    EXPECT_EQ(client.Connect(listener.port, c.host), c.status) << c.host;
    if (c.status == kStatusOk) {
      platform::TcpSocket accepted;
      EXPECT_TRUE(listener.socket.Accept(accepted)) << c.host;
    }
  }
}

TEST(Transport, RefusedConnectIsStatusTwoWithItsWinSockCode) {
  uint16_t port;
  {
    Listener gone;
    port = gone.port;
  }
  ProtocolConnection client(TestOptions());
  EXPECT_EQ(client.Connect(port, "127.0.0.1"), kStatusConnectFailed);
  EXPECT_EQ(client.LastSocketError(), 10061);
  EXPECT_EQ(client.SocketErrorText(), u"WinSock Error: 10061");
}

TEST(Transport, ExchangeOfPdusWithTheValuesRecord) {
  LoopbackPair pair;
  ASSERT_EQ(pair.client->SendProtocolInformation(u"7.0.0.0KVO", u"Tuesday, September 04, 2007 1:35 PM"),
            kStatusOk);
  EXPECT_TRUE(pair.client->values().Text(tag::kVersion).empty());  // cleared after the send
  int type;
  ASSERT_EQ(pair.peer->Receive(type), kStatusOk);
  EXPECT_EQ(type, kPduProt);
  EXPECT_EQ(pair.peer->values().Version().ToText(), u"7.0.0.0KVO");
  EXPECT_EQ(pair.peer->values().Text(tag::kProtocolText), u"Tuesday, September 04, 2007 1:35 PM");

  pair.client->SetProtocolVersion(VersionNumber(u"7.0"));
  pair.peer->SetProtocolVersion(VersionNumber(u"7.0"));
  ASSERT_EQ(pair.client->SendUserAuthenticationRequest(u"usu\u00e1rio   ", u"pw", u"WG\\PC"),
            kStatusOk);
  ASSERT_EQ(pair.peer->Receive(type), kStatusOk);
  EXPECT_EQ(type, kPduUsrr);
  EXPECT_EQ(pair.peer->values().Text(tag::kUser), u"usu\u00e1rio");
}

TEST(Transport, PeerClosingBetweenPdusGives10054AndItsText) {
  LoopbackPair pair;
  ASSERT_EQ(pair.peer->SendQuit(), kStatusOk);
  pair.peer->Close();
  int type;
  ASSERT_EQ(pair.client->Receive(type), kStatusOk);
  EXPECT_EQ(type, kPduQuit);
  EXPECT_EQ(pair.client->Receive(type), kStatusReceiveFailed);
  EXPECT_EQ(pair.client->LastSocketError(), 10054);
  EXPECT_EQ(pair.client->SocketErrorText(),
            u"The virtual circuit was reset by the remote side executing a hard or abortive close");
}

TEST(Transport, WouldBlockWithNothingWaitingLeavesTheValues) {
  LoopbackPair pair;
  pair.client->values().SetInt(tag::kLogonResult, 42);
  int type = -1;
  bool would_block = false;
  EXPECT_EQ(pair.client->ReceiveWouldBlock(type, would_block), kStatusOk);
  EXPECT_TRUE(would_block);
  EXPECT_EQ(pair.client->values().Int(tag::kLogonResult), 42);

  // With a PDU waiting the same call receives it.
  ASSERT_EQ(pair.peer->SendAbort(7), kStatusOk);
  ASSERT_TRUE(pair.client->socket().WaitReadable(5000));
  EXPECT_EQ(pair.client->ReceiveWouldBlock(type, would_block), kStatusOk);
  EXPECT_FALSE(would_block);
  EXPECT_EQ(type, kPduAbrt);
  EXPECT_EQ(pair.client->values().Int(tag::kAbortReason), 7);
}

TEST(Transport, BadFrameHeaderIsRejectedBeforeTheBodyIsRead) {
  for (const char* header : {"03 00 00 00 00 00 00 04", "02 00 00 00 00 00 00 00",
                             "02 00 00 00 80 00 00 00"}) {
    LoopbackPair pair;
    auto bytes = Hex(header);
    const auto body = Hex("15 80 00 00");
    bytes.insert(bytes.end(), body.begin(), body.end());
    ASSERT_EQ(pair.peer->socket().Send(bytes.data(), bytes.size()), long(bytes.size()));
    int type;
    EXPECT_EQ(pair.client->Receive(type), kStatusDecodeError) << header;
    uint8_t waiting[8];
    ASSERT_TRUE(pair.client->socket().WaitReadable(5000));
    EXPECT_EQ(pair.client->socket().Peek(waiting, sizeof waiting), 4) << header;
  }
}

TEST(Transport, PeekKeepsThePduForTheNextReceive) {
  LoopbackPair pair;
  ASSERT_EQ(pair.peer->SendCancelRequest(), kStatusOk);
  ASSERT_EQ(pair.peer->SendQuit(), kStatusOk);
  int type;
  ASSERT_EQ(pair.client->Peek(type), kStatusOk);
  EXPECT_EQ(type, kPduCncl);
  ASSERT_EQ(pair.client->Peek(type), kStatusOk);
  EXPECT_EQ(type, kPduCncl);
  ASSERT_EQ(pair.client->Receive(type), kStatusOk);
  EXPECT_EQ(type, kPduCncl);
  ASSERT_EQ(pair.client->Receive(type), kStatusOk);
  EXPECT_EQ(type, kPduQuit);
}

TEST(Transport, HeartbeatLeavesTheValuesOfAnArrivedAnswer) {
  LoopbackPair pair;
  pair.peer->SetProtocolVersion(VersionNumber(u"7.0"));
  pair.client->SetProtocolVersion(VersionNumber(u"7.0"));
  pair.peer->values().SetInt(tag::kKeyStatus, 2);
  pair.peer->values().SetText(tag::kKeyHint, u"hint");
  ASSERT_EQ(pair.peer->SendPdu(kPduPwdp), kStatusOk);
  int type;
  ASSERT_EQ(pair.client->Receive(type), kStatusOk);
  ASSERT_EQ(pair.client->SendHeartbeat(), kStatusOk);
  EXPECT_EQ(pair.client->values().Int(tag::kKeyStatus), 2);
  EXPECT_EQ(pair.client->values().Text(tag::kKeyHint), u"hint");
  ASSERT_EQ(pair.client->SendCancelRequest(), kStatusOk);
  EXPECT_EQ(pair.client->values().Int(tag::kKeyStatus), 0);
  EXPECT_TRUE(pair.client->values().Text(tag::kKeyHint).empty());
}

TEST(Transport, AsynchronousReceiveReportsPendingThenThePdu) {
  LoopbackPair pair;
  pair.client->SetLastSocketError(10060);
  int type = -1;
  EXPECT_EQ(pair.client->PollReceive(type), kStatusPending);
  EXPECT_EQ(type, 0);
  EXPECT_EQ(pair.client->PollReceive(type), kStatusPending);
  ASSERT_EQ(pair.peer->SendAbort(3), kStatusOk);
  int status;
  const uint64_t until = platform::TickCountMs() + 10000;
  while ((status = pair.client->PollReceive(type)) == kStatusPending &&
         platform::TickCountMs() < until) {
    platform::SleepMs(1);
  }
  EXPECT_EQ(status, kStatusOk);
  EXPECT_EQ(type, kPduAbrt);
  EXPECT_EQ(pair.client->values().Int(tag::kAbortReason), 3);
  EXPECT_EQ(pair.client->LastSocketError(), 0);
  // The next poll asks for a new receive; closing the peer ends it with 5.
  EXPECT_EQ(pair.client->PollReceive(type), kStatusPending);
  pair.peer->Close();
  while ((status = pair.client->PollReceive(type)) == kStatusPending) platform::SleepMs(1);
  EXPECT_EQ(status, kStatusReceiveFailed);
  EXPECT_EQ(pair.client->LastSocketError(), 10054);
}

TEST(Transport, DestroyingTheClientEndsAReceiveInProgress) {
  LoopbackPair pair;
  int type;
  EXPECT_EQ(pair.client->PollReceive(type), kStatusPending);
  platform::SleepMs(20);
  pair.client.reset();  // must not wait for the 300 s receive time-out
  SUCCEED();
}

TEST(Transport, UploadCacheBatchesSmallPayloads) {
  auto options = TestOptions();
  options.upload_cache = 1000;
  LoopbackPair pair(options);
  std::vector<uint8_t> a(400, 'a'), b(400, 'b'), c(400, 'c'), d(100, 'd');
  EXPECT_EQ(pair.client->SendFileData(false, a.data(), a.size()), kStatusOk);
  EXPECT_EQ(pair.client->SendFileData(false, b.data(), b.size()), kStatusOk);
  EXPECT_EQ(pair.client->upload_cache_size(), 800u);
  EXPECT_EQ(pair.client->SendFileData(false, c.data(), c.size()), kStatusOk);
  EXPECT_EQ(pair.client->SendFileData(true, d.data(), d.size()), kStatusOk);
  struct Expected {
    size_t size;
    int last;
    char first, final;
  } expected[] = {{800, 0, 'a', 'b'}, {400, 0, 'c', 'c'}, {100, 1, 'd', 'd'}};
  for (const Expected& e : expected) {
    int type;
    ASSERT_EQ(pair.peer->Receive(type), kStatusOk);
    ASSERT_EQ(type, kPduFdta);
    const PduPayload& p = pair.peer->values().ReceivedPayload();
    ASSERT_EQ(p.Size(), e.size);
    std::vector<uint8_t> got(p.Size());
    p.CopyTo(got.data());
    EXPECT_EQ(got.front(), e.first);
    EXPECT_EQ(got.back(), e.final);
    EXPECT_EQ(pair.peer->values().Int(tag::kLastBlock), e.last);
  }
  // A payload as large as the cache goes out by itself.
  std::vector<uint8_t> big(1000, 'x');
  EXPECT_EQ(pair.client->SendFileData(false, big.data(), big.size()), kStatusOk);
  int type;
  ASSERT_EQ(pair.peer->Receive(type), kStatusOk);
  EXPECT_EQ(pair.peer->values().ReceivedPayload().Size(), 1000u);
}

TEST(Transport, EncryptedExchangeLeavesTheFileDataPayloadUndeciphered) {
  LoopbackPair pair;
  auto client_cipher = std::make_unique<TestCipher>();
  auto peer_cipher = std::make_unique<TestCipher>();
  TestCipher* pc = peer_cipher.get();
  // The Crypto provider request switches encryption on at both ends; the
  // ciphers are installed afterwards, as the logon does.
  ASSERT_EQ(pair.client->SendCryptoProviderRequest(11, 1), kStatusOk);
  EXPECT_TRUE(pair.client->encryption_on());
  int type;
  ASSERT_EQ(pair.peer->Receive(type), kStatusOk);
  ASSERT_EQ(type, kPduCspr);
  EXPECT_TRUE(pair.peer->encryption_on());
  pair.client->InstallSessionCipher(std::move(client_cipher));
  pair.peer->InstallSessionCipher(std::move(peer_cipher));

  std::vector<uint8_t> payload(100000);
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i % 251);
  pc->decrypted = 0;
  std::thread sender([&] { EXPECT_EQ(pair.client->SendFileData(true, payload.data(), payload.size()), kStatusOk); });
  ASSERT_EQ(pair.peer->Receive(type), kStatusOk);
  sender.join();
  EXPECT_EQ(type, kPduFdta);
  EXPECT_EQ(pc->decrypted, 8u + 16u);  // the header and the 16 field bytes only
  const PduPayload& p = pair.peer->values().ReceivedPayload();
  std::vector<uint8_t> got(p.Size());
  p.CopyTo(got.data());
  EXPECT_EQ(got, payload);

  // Any other PDU is deciphered whole, on the sender's block grid.
  pair.client->SetProtocolVersion(VersionNumber(u"7.0"));
  pair.peer->SetProtocolVersion(VersionNumber(u"7.0"));
  std::u16string path(1000, u'q');
  path += u"\u00e9nd";
  pair.client->values().SetText(tag::kFilePath, path);
  pair.client->values().SetInt(tag::kVerifyCrc, 77);
  ASSERT_EQ(pair.client->SendPdu(kPduVerr), kStatusOk);
  ASSERT_EQ(pair.peer->Receive(type), kStatusOk);
  EXPECT_EQ(pair.peer->values().Text(tag::kFilePath), path);
  EXPECT_EQ(pair.peer->values().Int(tag::kVerifyCrc), 77);
}

TEST(Transport, ATakenPayloadSurvivesTheNextReceives) {
  LoopbackPair pair;
  std::vector<uint8_t> a(200000, 'a'), b(200000, 'b');
  std::thread sender([&] {
    for (int i = 0; i < 3; ++i) {
      pair.peer->SendFileData(false, a.data(), a.size());
      pair.peer->SendFileData(false, b.data(), b.size());
    }
  });
  int type;
  ASSERT_EQ(pair.client->Receive(type), kStatusOk);
  PduChain kept = pair.client->values().ReceivedPayload().Release();
  for (int i = 0; i < 5; ++i) ASSERT_EQ(pair.client->Receive(type), kStatusOk);
  sender.join();
  EXPECT_EQ(kept.Bytes(), a);
  std::vector<uint8_t> last(pair.client->values().ReceivedPayload().Size());
  pair.client->values().ReceivedPayload().CopyTo(last.data());
  EXPECT_EQ(last, b);
}

TEST(Transport, LargeEncryptedBodyOverBuffersOffTheBlockGrid) {
  LoopbackPair pair;
  for (ProtocolConnection* c : {static_cast<ProtocolConnection*>(pair.client.get()), pair.peer.get()}) {
    c->SetProtocolVersion(VersionNumber(u"7.0"));
    c->InstallSessionCipher(std::make_unique<TestCipher>());
    c->set_encryption_on(true);
  }
  // A VERR of about 600,000 body bytes, received in three buffers whose
  // boundaries do not fall on the 8-byte grid.
  std::u16string path;
  for (int i = 0; i < 299991; ++i) path.push_back(static_cast<char16_t>(u'A' + i % 26));
  pair.peer->values().SetText(tag::kFilePath, path);
  pair.peer->values().SetInt(tag::kVerifyCrc, -2);
  std::thread sender([&] { EXPECT_EQ(pair.peer->SendPdu(kPduVerr), kStatusOk); });
  int type;
  ASSERT_EQ(pair.client->Receive(type), kStatusOk);
  sender.join();
  EXPECT_EQ(type, kPduVerr);
  EXPECT_EQ(pair.client->values().Text(tag::kFilePath), path);
  EXPECT_EQ(pair.client->values().Int(tag::kVerifyCrc), -2);
}

TEST(Transport, FileDataBodyKeepsItsReceiveBuffers) {
  LoopbackPair pair;
  std::vector<uint8_t> payload(600000 - 16);
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i);
  std::thread sender([&] { pair.peer->SendFileData(true, payload.data(), payload.size()); });
  int type;
  ASSERT_EQ(pair.client->Receive(type), kStatusOk);
  sender.join();
  const PduPayload& p = pair.client->values().ReceivedPayload();
  ASSERT_EQ(p.SegmentCount(), 3u);
  EXPECT_EQ(p.Segment(0).size(), 262188u - 16);
  EXPECT_EQ(p.Segment(1).size(), 262188u);
  EXPECT_EQ(p.Segment(2).size(), 75624u);
}

TEST(Transport, CipherFailuresGiveSixAndSeven) {
  LoopbackPair pair;
  auto c = std::make_unique<TestCipher>();
  c->fail = true;
  pair.client->InstallSessionCipher(std::move(c));
  pair.client->set_encryption_on(true);
  EXPECT_EQ(pair.client->SendQuit(), kStatusEncryptFailed);
  ASSERT_EQ(pair.peer->SendQuit(), kStatusOk);
  int type;
  EXPECT_EQ(pair.client->Receive(type), kStatusDecryptFailed);
}

TEST(SocketErrors, Texts) {
  EXPECT_EQ(SocketErrorText(10035),
            u"The socket is marked as nonblocking and the receive operation would block");
  EXPECT_EQ(SocketErrorText(10060),
            u"The connection has been dropped because of a network failure or because the peer "
            u"system failed to respond");
  EXPECT_EQ(SocketErrorText(10093),
            u"A successful WSAStartup call must occur before using this function");
  EXPECT_EQ(SocketErrorText(0), u"WinSock Error: 0");
  EXPECT_EQ(SocketErrorText(11001), u"WinSock Error: 11001");
}

}  // namespace
}  // namespace bexa::protocol
