#include "restore/connection_transfer_peer.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/scripted_peer.h"

namespace bexa {
namespace {

using protocol::ProtocolConnection;
using testing::ScriptedPeer;
using Received = TransferPeer::Received;

std::vector<uint8_t> Pattern(size_t n) {
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i * 7 % 253);
  return bytes;
}

TEST(ConnectionTransferPeer, FileDataComesOneBlockPerReceiveBufferWithoutCopies) {
  const std::vector<uint8_t> big = Pattern(600000 - 16);  // a body of 600,000 bytes
  const std::vector<uint8_t> small = Pattern(10);
  ScriptedPeer peer;
  std::vector<int> answers;
  peer.Serve([&](ProtocolConnection& s) {
    s.SendFileData(false, big.data(), big.size());
    s.SendFileData(true, small.data(), small.size());
    s.values().SetText(protocol::tag::kFilePath, u"report.doc");
    s.values().SetInt(protocol::tag::kVerifyCrc, static_cast<int64_t>(0xCAFEF00Du));
    s.SendPdu(protocol::kPduVerr);
    int type = 0;
    for (int i = 0; i < 2 && s.Receive(type) == 0; ++i) answers.push_back(type);
  });
  protocol::ClientProtocol client(testing::PeerOptions());  // receive buffers of 262,188
  ASSERT_EQ(client.Connect(peer.port(), "127.0.0.1"), 0);
  ConnectionTransferPeer transfer(client);

  std::vector<uint8_t> joined;
  std::vector<size_t> sizes;
  std::vector<bool> lasts;
  std::u16string text;
  uint32_t crc = 0;
  DataBlock block;
  bool last = false;
  while (!last) {
    ASSERT_EQ(transfer.Next(block, last, text, crc), Received::kFileData);
    ASSERT_NE(block.owner, nullptr);
    joined.insert(joined.end(), block.data, block.data + block.size);
    sizes.push_back(block.size);
    lasts.push_back(last);
    // The connection keeps nothing of it: the block owns its buffer.
    EXPECT_TRUE(client.values().ReceivedPayload().Empty());
  }
  EXPECT_EQ(sizes, (std::vector<size_t>{262188 - 16, 262188, 75624, 10}));
  EXPECT_EQ(lasts, (std::vector<bool>{false, false, false, true}));
  std::vector<uint8_t> expected = big;
  expected.insert(expected.end(), small.begin(), small.end());
  EXPECT_EQ(joined, expected);

  ASSERT_EQ(transfer.Next(block, last, text, crc), Received::kVerify);
  EXPECT_EQ(text, u"report.doc");
  EXPECT_EQ(crc, 0xCAFEF00Du);
  transfer.SendVerifyResponse(1);
  transfer.SendAbort(6);
  peer.Join();
  EXPECT_EQ(answers, (std::vector<int>{protocol::kPduVerp, protocol::kPduAbrt}));
}

TEST(ConnectionTransferPeer, EmptyLastBlockOtherPduAndFailures) {
  ScriptedPeer peer;
  peer.Serve([&](ProtocolConnection& s) {
    s.SendFileData(true, nullptr, 0);
    s.SendHeartbeat();
    const uint8_t bad_header[8] = {3, 0, 0, 0, 0, 0, 0, 4};
    s.socket().Send(bad_header, sizeof bad_header);
  });
  protocol::ClientProtocol client(testing::PeerOptions());
  ASSERT_EQ(client.Connect(peer.port(), "127.0.0.1"), 0);
  ConnectionTransferPeer transfer(client);
  DataBlock block;
  bool last = false;
  std::u16string text;
  uint32_t crc = 0;
  ASSERT_EQ(transfer.Next(block, last, text, crc), Received::kFileData);
  EXPECT_EQ(block.size, 0u);
  EXPECT_TRUE(last);
  EXPECT_EQ(transfer.Next(block, last, text, crc), Received::kOther);
  EXPECT_EQ(transfer.Next(block, last, text, crc), Received::kProtocolError);
  peer.Join();
  client.Close();
  EXPECT_EQ(transfer.Next(block, last, text, crc), Received::kFailed);
}

}  // namespace
}  // namespace bexa
