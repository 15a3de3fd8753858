// A complete logon and restore over loopback against the server, driven by
// the scripted client on the client's transport, and the server's handling
// of faulty and silent clients.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <thread>

#include "catalogue/explode.h"
#include "platform/codepage.h"
#include "server/importer.h"
#include "tests/server/scripted_client.h"
#include "tests/support/test_server.h"

namespace bexa::server {
namespace {

using bexa::testing::TestServer;
using bexa::testing::TestStore;
using testing::ScriptedClient;

const char kVolume[] = "\\\\PC1\\C";
const char16_t kEntry[] = u"WORKGRP:\\\\PC1\\C";
const char16_t kRoot[] = u"WORKGRP\\PC1\\C";

uint32_t Crc(const std::string& s) {
  return static_cast<uint32_t>(crc32(crc32(0L, Z_NULL, 0),
                                     reinterpret_cast<const Bytef*>(s.data()),
                                     static_cast<uInt>(s.size())));
}

std::string Text(size_t n) {
  std::string s;
  while (s.size() < n) s += "The quick brown fox jumps over the lazy dog " + std::to_string(s.size()) + "\n";
  s.resize(n);
  return s;
}

// What the client's receiver does with a stream: decipher whole blocks,
// then expand when compressed.
std::string Unpack(const ScriptedClient::File& f, const std::string& key) {
  std::string data = f.stream;
  if (f.encrypted) {
    const size_t whole = data.size() / 16 * 16;
    if (whole) CryptoProvider(11, true, platform::Utf8ToWide(key))
                   .DecryptBlocks(reinterpret_cast<uint8_t*>(data.data()), uint32_t(whole));
  }
  if (f.compression == kStored) return data;
  std::string out;
  EXPECT_EQ(ExplodeBuffer(data, out), kExplodeOk);
  return out;
}

class Loopback : public ::testing::Test {
 protected:
  void SetUp() override {
    store.AddAccount("ann", "pw").secret_key_hint = "the usual";
    store.Save();
    store.AddFile("Docs\\report.txt", Text(300000));
    store.AddFile("Docs\\empty.txt", "");
    store.AddFile("bin\\tool.bin", std::string("\x01\x02\x00\xff", 4) + Text(5000));
    store.Import("ann", kVolume, "WORKGRP", {.compress = true, .encrypt = true});
  }
  TestStore store;
};

TEST_F(Loopback, LogonBrowseAndRestore) {
  TestServer server(store.dir());
  ScriptedClient client(server.port());
  ASSERT_TRUE(client.connected());
  ASSERT_TRUE(client.LogOn(u"ann", u"pw")) << client.last_status;
  EXPECT_EQ(client.announced, u"7.0");

  ASSERT_EQ(client.SystemList(), std::vector<std::u16string>{kEntry});

  auto& c = client.connection();
  ASSERT_EQ(c.SendDirectoryListRequest(kEntry, {u"pw"}), 0);
  ASSERT_EQ(client.Next(), protocol::kPduDlsp);
  EXPECT_EQ(c.values().Int(protocol::tag::kListAnswer), 0);
  ASSERT_EQ(c.values().Int(protocol::tag::kCount13), 3);
  std::vector<std::u16string> paths;
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(client.Next(), protocol::kPduLinf);
    paths.push_back(c.values().Text(protocol::tag::kFilePath));
    ASSERT_EQ(c.values().Records(protocol::tag::kFileVersionRecord).size(), 1u);
  }
  EXPECT_EQ(paths[0], u"Docs\\empty.txt");

  ASSERT_EQ(c.SendRestoreVolumeListRequest({kEntry}, {u"pw"}), 0);
  ASSERT_EQ(client.Next(), protocol::kPduRvlp);
  ASSERT_EQ(c.values().Records(protocol::tag::kVolumeAnswerRecord).size(), 1u);
  EXPECT_EQ(c.values().Records(protocol::tag::kVolumeAnswerRecord)[0].Int(46), 0);

  ASSERT_EQ(c.SendRestoreFileListRequest(kRoot, {{u"Docs\\report.txt", u"20240102030405"},
                                                 {u"Docs\\empty.txt", u"20240102030405"},
                                                 {u"bin\\tool.bin", u""},
                                                 {u"missing.txt", u"20240102030405"}}),
            0);
  const std::string originals[] = {Text(300000), "",
                                    std::string("\x01\x02\x00\xff", 4) + Text(5000)};
  for (const auto& original : originals) {
    ScriptedClient::File f;
    ASSERT_TRUE(client.ReceiveFile(f));
    ASSERT_EQ(f.sfil_status, 0);
    EXPECT_EQ(f.size, int64_t(original.size()));
    EXPECT_EQ(f.file_crc, Crc(original));
    if (original.empty()) {
      EXPECT_FALSE(f.verr);  // no data and no verify for an empty file
      continue;
    }
    EXPECT_EQ(f.encrypted, 1);
    EXPECT_NE(f.compression, kStored);
    EXPECT_LT(f.stream.size(), original.size());
    EXPECT_EQ(f.verr_crc, Crc(f.stream));
    EXPECT_EQ(Unpack(f, "pw"), original);
  }
  ScriptedClient::File missing;
  ASSERT_TRUE(client.ReceiveFile(missing));
  EXPECT_NE(missing.sfil_status, 0);
  ASSERT_EQ(c.SendQuit(), 0);

  EXPECT_NE(server.WaitForLine("recv QUIT"), "");
  EXPECT_NE(server.WaitForLine("recv USRR 6=\"ann\" 7=\"pw"), "");
  EXPECT_NE(server.WaitForLine("send VERR 14=\"bin\\tool.bin\""), "");
  EXPECT_NE(server.WaitForLine("recv FSTS 24=0"), "");
}

TEST_F(Loopback, AccessKeyChallengeAndRejectedKey) {
  store.store().auth_type = 7;
  store.store().accounts[0].secret_key = "s3cret";
  store.Save();
  TestServer server(store.dir());
  ScriptedClient client(server.port());
  ASSERT_TRUE(client.Negotiate());
  EXPECT_EQ(client.Authenticate(u"ann", u"pw"), 0);
  EXPECT_EQ(client.auth_type, 7);
  EXPECT_EQ(client.OfferKey(u"pw", u"hint"), 1);
  EXPECT_EQ(client.values().Text(protocol::tag::kKeyHint), u"the usual");
  EXPECT_EQ(client.OfferKey(u"s3cret", u""), 0);
  EXPECT_NE(server.WaitForLine("recv USRR 6=\"ann\" 7=\"\""), "");
  EXPECT_NE(server.WaitForLine("send AUTH 52=3"), "");
}

TEST_F(Loopback, LogonResults) {
  store.store().accounts.push_back({});
  store.store().accounts.back().user = "off";
  store.store().accounts.back().disabled = true;
  store.Save();
  TestServer server(store.dir());
  struct Case {
    const char16_t* user;
    const char16_t* password;
    int result;
  } cases[] = {{u"ann", u"pw", 0}, {u"bob", u"pw", 1}, {u"ann", u"nope", 4}, {u"off", u"", 5}};
  for (const auto& k : cases) {
    ScriptedClient client(server.port());
    ASSERT_TRUE(client.Negotiate());
    EXPECT_EQ(client.Authenticate(k.user, k.password), k.result) << platform::WideToUtf8(k.user);
  }
}

TEST_F(Loopback, FaultsOfTheConfiguration) {
  store.store().faults.announce_version = "6.01.0";
  store.store().accounts[0].faults.usrp_result = 8;
  store.Save();
  TestServer server(store.dir());
  ScriptedClient client(server.port());
  ASSERT_TRUE(client.Negotiate());  // the digests use "6.01.0" printed back as is
  EXPECT_EQ(client.announced, u"6.01.0");
  EXPECT_EQ(client.Authenticate(u"ann", u"pw"), 8);

  store.store().faults = {};
  store.store().faults.trailing_byte_pdu = "PROT";
  store.Save();  // read again by the next connection
  ScriptedClient second(server.port());
  ASSERT_EQ(second.connection().SendProtocolInformation(u"7.0.0.0KVO", u"x"), 0);
  int type = 0;
  EXPECT_EQ(second.connection().Receive(type), 4);  // decode error
}

TEST_F(Loopback, FileFaults) {
  auto index = *store.store().LoadVolume("ann", platform::WideToUtf8(kEntry));
  index.Find("Docs\\report.txt")->versions[0].faults.wrong_verr_crc = true;
  index.Find("bin\\tool.bin")->versions[0].faults.sfil_status = 7;
  store.store().SaveVolume("ann", index);
  TestServer server(store.dir());
  ScriptedClient client(server.port());
  ASSERT_TRUE(client.LogOn(u"ann", u"pw"));
  auto& c = client.connection();
  ASSERT_EQ(c.SendRestoreVolumeListRequest({kEntry}, {u"pw"}), 0);
  ASSERT_EQ(client.Next(), protocol::kPduRvlp);
  ASSERT_EQ(c.SendRestoreFileListRequest(kRoot, {{u"Docs\\report.txt", u"20240102030405"},
                                                 {u"bin\\tool.bin", u"20240102030405"}}),
            0);
  ScriptedClient::File report, tool;
  ASSERT_TRUE(client.ReceiveFile(report));
  EXPECT_NE(report.verr_crc, Crc(report.stream));
  ASSERT_TRUE(client.ReceiveFile(tool));
  EXPECT_EQ(tool.sfil_status, 7);
}

// A raw connection to the server, for frames no client would send.
int RawConnect(uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  timeval tv{5, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  return fd;
}

// True when the server closes the connection (recv sees the end).
bool ClosedByServer(int fd) {
  char byte;
  const ssize_t n = ::recv(fd, &byte, 1, 0);
  ::close(fd);
  return n == 0 || (n < 0 && errno == ECONNRESET);
}

TEST_F(Loopback, MalformedAndSilentClientsAreDisconnected) {
  TestServer server(store.dir(), /*timeout_ms=*/300);
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"frame kind 3", std::string("\x03\0\0\0\0\0\0\x04\x16\x80\0\0", 12)},
      {"body length 0", std::string("\x02\0\0\0\0\0\0\0", 8)},
      {"unknown type", std::string("\x02\0\0\0\0\0\0\x04\x64\x80\0\0", 12)},
      {"trailing byte", std::string("\x02\0\0\0\0\0\0\x05\x16\x80\0\0\0", 13)},
      {"half a frame", std::string("\x02\0\0\0\0\0\0\x40\x01", 9)},
      {"nothing", ""},
  };
  for (const auto& k : cases) {
    const int fd = RawConnect(server.port());
    if (!k.bytes.empty()) {
      ASSERT_EQ(::send(fd, k.bytes.data(), k.bytes.size(), 0), ssize_t(k.bytes.size()));
    }
    EXPECT_TRUE(ClosedByServer(fd)) << k.name;
  }
  ScriptedClient client(server.port());  // and the server still serves
  EXPECT_TRUE(client.LogOn(u"ann", u"pw"));
  EXPECT_NE(server.WaitForLine("event receive failed: malformed frame"), "");
  EXPECT_NE(server.WaitForLine("event receive failed: time-out"), "");
  EXPECT_NE(server.WaitForLine("event receive failed: decode error"), "");
}

TEST_F(Loopback, ManyClientsAtOnce) {
  TestServer server(store.dir());
  constexpr int kClients = 64;
  std::atomic<int> logged_on{0};
  std::atomic<int> finished{0};
  std::atomic<int> peak{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < kClients; ++i) {
    threads.emplace_back([&] {
      ScriptedClient client(server.port());
      if (client.LogOn(u"ann", u"pw") && client.SystemList().size() == 1) ++logged_on;
      ++finished;
      // Every connection stays open until all have had their turn.
      const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (finished < kClients && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      int now = server.listener().ActiveConnections();
      for (int p = peak; now > p && !peak.compare_exchange_weak(p, now);) {
      }
      client.connection().SendQuit();
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(logged_on, kClients);
  EXPECT_EQ(peak, kClients);
}

}  // namespace
}  // namespace bexa::server
