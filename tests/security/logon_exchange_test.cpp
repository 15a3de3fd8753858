// The security exchanges of the logon over real loopback sockets: a script
// plays the server's side of ENCR/ENCP/CSPR/CSPP/AINF/USRR/USRP/AUTH/MKYR/
// MKYP/PWDR/PWDP and checks what the client sends.
#include <gtest/gtest.h>

#include <cryptopp/des.h>
#include <cryptopp/sha.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/security_packages.h"
#include "security/crypto_provider.h"
#include "security/encryption_negotiation.h"
#include "security/link_password_exchange.h"
#include "security/provider_session_cipher.h"
#include "security/security_package_client.h"
#include "security/user_authentication.h"
#include "tests/support/scripted_peer.h"
#include "util/exceptions.h"

namespace bexa {
namespace {

using protocol::ClientProtocol;
using protocol::ProtocolConnection;
using protocol::VersionNumber;
namespace tag = protocol::tag;
using testing::Expect;
using testing::Rmd;
using testing::ScriptedPeer;

// The logon's wait in its plainest form: one blocking receive.
class BlockingLink : public LogonLink {
 public:
  explicit BlockingLink(ClientProtocol& c) : c_(c) {}
  ProtocolConnection& Connection() override { return c_; }
  int WaitForPdu(bool throw_on_failure) override {
    int type = 0;
    if (c_.Receive(type) == protocol::kStatusOk) return type;
    if (throw_on_failure) throw CBackupException(109);
    return kNoPdu;
  }

 private:
  ClientProtocol& c_;
};

const NegotiationTexts kTexts{u"7.0.0.0KVO", u"Friday, December 11, 2026 12:40 PM", u"7.0.2",
                              u"Backup server ready"};

// The server's side of the negotiation; returns the session key K it
// computed on its own.
std::u16string ServeNegotiation(ProtocolConnection& s, bool uppercase_digest = false) {
  const std::u16string h1 = Rmd(kTexts.client_version + u":" + kTexts.client_time + u":" +
                                kTexts.server_version + u":" + kTexts.server_text);
  if (!Expect(s, protocol::kPduEncr)) return {};
  EXPECT_EQ(s.values().Text(tag::kKeyDigest), h1);
  std::u16string h2 = Rmd(h1 + u":" + kTexts.client_time + u":" + kTexts.server_text);
  s.values().SetText(tag::kKeyDigest, uppercase_digest ? testing::Upper(h2) : h2);
  s.SendPdu(protocol::kPduEncp);
  if (uppercase_digest) return {};
  if (!Expect(s, protocol::kPduCspr)) return {};
  EXPECT_EQ(s.values().Int(tag::kProviderId), 11);
  EXPECT_EQ(s.values().Int(tag::kProviderFlag), 1);
  EXPECT_TRUE(s.encryption_on());
  s.values().SetInt(tag::kProviderFlag, 1);
  s.SendPdu(protocol::kPduCspp);  // still in the clear: no cipher yet
  const std::u16string k = Rmd(h1 + u":" + h2 + u":1");
  s.InstallSessionCipher(std::make_unique<ProviderSessionCipher>(2, k));
  return k;
}

class LogonExchangeTest : public ::testing::Test {
 protected:
  void Connect() {
    client_ = std::make_unique<ClientProtocol>(testing::PeerOptions());
    ASSERT_EQ(client_->Connect(peer_.port(), "127.0.0.1"), protocol::kStatusOk);
    client_->SetProtocolVersion(VersionNumber(u"7.0.2"));
    link_ = std::make_unique<BlockingLink>(*client_);
  }
  // Serves the negotiation, then `rest` under the session cipher.
  void Serve(std::function<void(ProtocolConnection&)> rest) {
    peer_.Serve([rest](ProtocolConnection& s) {
      s.SetProtocolVersion(VersionNumber(u"7.0.2"));
      if (ServeNegotiation(s).empty()) return;
      rest(s);
    });
    Connect();
    NegotiateEncryption(*link_, kTexts, 11);
  }
  uint32_t CodeOf(const std::function<void()>& f) {
    try {
      f();
    } catch (const CBackupException& e) {
      return e.Code();
    }
    return 0;
  }

  ScriptedPeer peer_;
  std::unique_ptr<ClientProtocol> client_;
  std::unique_ptr<BlockingLink> link_;
};

// The SHA-1 chain of a key text, 24 bytes, computed here from the library.
std::vector<uint8_t> TripleDesKey(const std::u16string& text) {
  std::string bytes(text.begin(), text.end());
  std::vector<uint8_t> key(40);
  CryptoPP::SHA1().CalculateDigest(key.data(), reinterpret_cast<const uint8_t*>(bytes.data()),
                                   bytes.size());
  CryptoPP::SHA1().CalculateDigest(key.data() + 20, key.data(), 20);
  key.resize(24);
  return key;
}

TEST_F(LogonExchangeTest, NegotiationInstallsTripleDesAndTheFirstEncryptedPdu) {
  std::vector<uint8_t> raw(18);
  std::u16string k;
  peer_.Serve([&](ProtocolConnection& s) {
    s.SetProtocolVersion(VersionNumber(u"7.0.2"));
    k = ServeNegotiation(s);
    size_t got = 0;
    while (got < raw.size()) {
      const long n = s.socket().Receive(raw.data() + got, raw.size() - got);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
  });
  Connect();
  NegotiateEncryption(*link_, kTexts, 11);
  ASSERT_NE(client_->session_cipher(), nullptr);
  EXPECT_EQ(client_->session_cipher()->BlockSize(), 8u);
  ASSERT_EQ(client_->SendAuthenticationStatus(0), protocol::kStatusOk);
  peer_.Join();

  // ASTS 0: header, body 23 80 33 04 00000000 0000. The first 16 bytes go
  // as two triple-DES blocks, the 2-byte tail in the clear.
  const std::vector<uint8_t> plain = {0x02, 0,    0,    0,    0, 0, 0, 0x0a, 0x23,
                                      0x80, 0x33, 0x04, 0,    0, 0, 0, 0,    0};
  EXPECT_NE(std::vector<uint8_t>(raw.begin(), raw.begin() + 16),
            std::vector<uint8_t>(plain.begin(), plain.begin() + 16));
  const std::vector<uint8_t> key = TripleDesKey(k);
  CryptoPP::DES_EDE3::Decryption des(key.data(), key.size());
  std::vector<uint8_t> deciphered = raw;
  des.ProcessBlock(deciphered.data());
  des.ProcessBlock(deciphered.data() + 8);
  EXPECT_EQ(deciphered, plain);
}

TEST_F(LogonExchangeTest, UppercaseServerDigestIsRefusedWith109) {
  peer_.Serve([](ProtocolConnection& s) { ServeNegotiation(s, true); });
  Connect();
  EXPECT_EQ(CodeOf([&] { NegotiateEncryption(*link_, kTexts, 11); }), 109u);
  EXPECT_EQ(client_->session_cipher(), nullptr);
}

TEST_F(LogonExchangeTest, AnotherPduInPlaceOfEncpOrCsppIs109) {
  for (int step : {0, 1}) {
    ScriptedPeer peer;
    peer.Serve([step](ProtocolConnection& s) {
      Expect(s, protocol::kPduEncr);
      if (step == 1) {
        s.values().SetText(tag::kKeyDigest, Rmd(Rmd(kTexts.client_version + u":" +
                                                    kTexts.client_time + u":" +
                                                    kTexts.server_version + u":" +
                                                    kTexts.server_text) +
                                                u":" + kTexts.client_time + u":" +
                                                kTexts.server_text));
        s.SendPdu(protocol::kPduEncp);
        Expect(s, protocol::kPduCspr);
      }
      s.SendHeartbeat();
    });
    ClientProtocol client(testing::PeerOptions());
    ASSERT_EQ(client.Connect(peer.port(), "127.0.0.1"), 0);
    BlockingLink link(client);
    EXPECT_EQ(CodeOf([&] { NegotiateEncryption(link, kTexts, 11); }), 109u) << step;
  }
}

AuthenticationValues Account(std::u16string password = u"secret") {
  return {u"alice", std::move(password), u"WORKGRP\\PC1"};
}

void SendAinf(ProtocolConnection& s, int32_t type, std::u16string_view domain = u"CORP") {
  s.values().SetInt(tag::kAuthType, type);
  s.values().SetText(tag::kAuthDomain, domain);
  s.SendPdu(protocol::kPduAinf);
}

void SendUsrp(ProtocolConnection& s, int32_t result, int32_t fallback = 0,
              std::u16string_view cut_off = u"") {
  s.values().SetInt(tag::kLogonResult, result);
  s.values().SetInt(tag::kFallbackFlag, fallback);
  s.values().SetText(tag::kCutOffDate, cut_off);
  s.SendPdu(protocol::kPduUsrp);
}

void SendAuth(ProtocolConnection& s, int32_t code, const std::vector<uint8_t>& data = {}) {
  s.SendAuthenticationMessage(code, data.data(), data.size());
}

// ASTS with `status`, then (for status 0) the USRR; returns its password.
std::u16string ExpectRequest(ProtocolConnection& s, int32_t status = 0) {
  if (!Expect(s, protocol::kPduAsts)) return u"?";
  EXPECT_EQ(s.values().Int(tag::kAuthStatus), status);
  if (status != 0 || !Expect(s, protocol::kPduUsrr)) return u"?";
  EXPECT_EQ(s.values().Text(tag::kUser), u"alice");
  EXPECT_EQ(s.values().Text(tag::kWorkstation), u"WORKGRP\\PC1");
  return s.values().Text(tag::kPassword);
}

TEST_F(LogonExchangeTest, PasswordTypesSendThePasswordAndTheResponseReachesTheHook) {
  for (int32_t type : {0, 3, 4, 6}) {
    ScriptedPeer peer;
    std::u16string password;
    peer.Serve([&](ProtocolConnection& s) {
      s.SetProtocolVersion(VersionNumber(u"7.0.2"));
      if (ServeNegotiation(s).empty()) return;
      SendAinf(s, type);
      password = ExpectRequest(s);
      SendUsrp(s, 0, 1, u"20260101120000");
    });
    ClientProtocol client(testing::PeerOptions());
    ASSERT_EQ(client.Connect(peer.port(), "127.0.0.1"), 0);
    client.SetProtocolVersion(VersionNumber(u"7.0.2"));
    BlockingLink link(client);
    NegotiateEncryption(link, kTexts, 11);
    int32_t failure = 0;
    std::u16string cut_off;
    AuthenticateUser(link, Account(), failure, [&](const protocol::PduValues& v) {
      cut_off = v.Text(tag::kCutOffDate);
    });
    peer.Join();
    EXPECT_EQ(password, u"secret") << type;
    EXPECT_EQ(cut_off, u"20260101120000") << type;
    EXPECT_EQ(failure, 0);
  }
}

TEST_F(LogonExchangeTest, UserResponseResultsTable) {
  struct Case {
    int32_t result;
    uint32_t code;
    int32_t failure;
  } cases[] = {{1, 112, 1}, {2, 114, 0}, {3, 115, 0}, {4, 116, 0}, {5, 113, 0},
               {7, 122, 0}, {8, 118, 0}, {9, 109, 0}, {-1, 109, 0},
               // result 6 after a password request: nothing to run, a refusal
               {6, 116, 0}};
  for (const Case& c : cases) {
    ScriptedPeer peer;
    bool aborted = false;
    peer.Serve([&](ProtocolConnection& s) {
      s.SetProtocolVersion(VersionNumber(u"7.0.2"));
      if (ServeNegotiation(s).empty()) return;
      SendAinf(s, 0);
      ExpectRequest(s);
      SendUsrp(s, c.result, 1);
      int type = 0;
      s.socket().SetTimeouts(1000, 1000);
      aborted = s.Receive(type) == 0 && type == protocol::kPduAbrt;
    });
    ClientProtocol client(testing::PeerOptions());
    ASSERT_EQ(client.Connect(peer.port(), "127.0.0.1"), 0);
    client.SetProtocolVersion(VersionNumber(u"7.0.2"));
    BlockingLink link(client);
    NegotiateEncryption(link, kTexts, 11);
    int32_t failure = 0;
    EXPECT_EQ(CodeOf([&] { AuthenticateUser(link, Account(), failure); }), c.code) << c.result;
    EXPECT_EQ(failure, c.failure) << c.result;
    client.Close();
    peer.Join();
    EXPECT_FALSE(aborted) << c.result;
  }
}

TEST_F(LogonExchangeTest, UnservedTypeSendsStatusOneAnd109) {
  Serve([](ProtocolConnection& s) {
    SendAinf(s, 2);
    ExpectRequest(s, 1);
  });
  int32_t failure = 0;
  EXPECT_EQ(CodeOf([&] { AuthenticateUser(*link_, Account(), failure); }), 109u);
}

TEST_F(LogonExchangeTest, SecurityPackageWithoutBackendSendsStatusOneAnd123) {
  for (int32_t type : {1, 5}) {
    ScriptedPeer peer;
    peer.Serve([type](ProtocolConnection& s) {
      s.SetProtocolVersion(VersionNumber(u"7.0.2"));
      if (ServeNegotiation(s).empty()) return;
      SendAinf(s, type);
      ExpectRequest(s, 1);
    });
    ClientProtocol client(testing::PeerOptions());
    ASSERT_EQ(client.Connect(peer.port(), "127.0.0.1"), 0);
    client.SetProtocolVersion(VersionNumber(u"7.0.2"));
    BlockingLink link(client);
    NegotiateEncryption(link, kTexts, 11);
    int32_t failure = 0;
    EXPECT_EQ(CodeOf([&] { AuthenticateUser(link, Account(), failure); }), 123u) << type;
    peer.Join();
  }
}

// The access key keys triple DES; the session key holds ":" itself.
TEST_F(LogonExchangeTest, AccessKeyChallengeNeverSendsThePassword) {
  std::u16string password_sent = u"?";
  std::u16string answer_plain;
  Serve([&](ProtocolConnection& s) {
    SendAinf(s, 7);
    password_sent = ExpectRequest(s);
    CryptoProvider access(2, true, Rmd(u"secret"));
    const std::u16string challenge = access.EncryptTextToHex(u"ID-4711:ses:sion:key");
    std::vector<uint8_t> data;
    for (char16_t c : challenge) data.push_back(static_cast<uint8_t>(c)), data.push_back(0);
    SendAuth(s, 0, data);
    if (!Expect(s, protocol::kPduAuth)) return;
    EXPECT_EQ(s.values().Int(tag::kMessageCode), 0);
    const auto& bytes = s.values().Bytes(tag::kMessageData);
    std::u16string hex;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) hex.push_back(bytes[i] | bytes[i + 1] << 8);
    CryptoProvider session(2, true, u"ses:sion:key");
    answer_plain = session.DecryptHexToText(hex);
    SendAuth(s, answer_plain == u"ID-4711" ? 3 : 4);
    SendUsrp(s, 0);
  });
  int32_t failure = 0;
  AuthenticateUser(*link_, Account(), failure);
  peer_.Join();
  EXPECT_EQ(password_sent, u"");
  EXPECT_EQ(answer_plain, u"ID-4711");
}

TEST_F(LogonExchangeTest, AccessKeyChallengeFailures) {
  struct Case {
    int32_t first_code;
    std::u16string plain;  // empty: no AUTH at all
    std::u16string text;
  } cases[] = {
      {0, u"", u"DatabaseAuthAccess::ProcessAuthRespond - failed to receive AUTH pdu."},
      {2, u"a:b",
       u"DatabaseAuthAccess::ProcessAuthRespond - failed to receive valid authentication "
       u"AUTH_MSG_NEGOTIATE.; msg:2"},
      {0, u"no colon here",
       u"DatabaseAuthAccess::ProcessAuthRespond - invalid session key and id string."},
  };
  for (const Case& c : cases) {
    ScriptedPeer peer;
    peer.Serve([&c](ProtocolConnection& s) {
      s.SetProtocolVersion(VersionNumber(u"7.0.2"));
      if (ServeNegotiation(s).empty()) return;
      SendAinf(s, 7);
      ExpectRequest(s);
      if (c.plain.empty()) {
        SendUsrp(s, 0);
        return;
      }
      CryptoProvider access(2, true, Rmd(u"secret"));
      const std::u16string hex = access.EncryptTextToHex(c.plain);
      std::vector<uint8_t> data;
      for (char16_t ch : hex) data.push_back(static_cast<uint8_t>(ch)), data.push_back(0);
      SendAuth(s, c.first_code, data);
    });
    ClientProtocol client(testing::PeerOptions());
    ASSERT_EQ(client.Connect(peer.port(), "127.0.0.1"), 0);
    client.SetProtocolVersion(VersionNumber(u"7.0.2"));
    BlockingLink link(client);
    NegotiateEncryption(link, kTexts, 11);
    int32_t failure = 0;
    std::u16string text;
    try {
      AuthenticateUser(link, Account(), failure);
    } catch (const DatabaseAuthAccessException& e) {
      text = e.Text();
    }
    EXPECT_EQ(text, c.text);
    peer.Join();
  }
}

// A security package that answers from a script: each call returns the
// next status and token; it records the server tokens it was given.
class FakeSecurity : public platform::SecurityInterface {
 public:
  struct Step {
    uint32_t status;
    std::vector<uint8_t> token;
  };
  // What the client handed over; outlives the fake, which the client owns.
  struct Record {
    std::vector<std::vector<uint8_t>> inputs;
    platform::SecurityIdentity identity;
    std::u16string package;
  };
  std::vector<Step> steps;
  Record* record = nullptr;
  bool has_complete = true;
  size_t next = 0;

  uint32_t AcquireCredentials(std::u16string_view p, const platform::SecurityIdentity& id,
                              std::unique_ptr<platform::SecurityCredentials>& c) override {
    record->package = p;
    record->identity = id;
    c = std::make_unique<platform::SecurityCredentials>();
    return platform::kSecOk;
  }
  uint32_t InitializeContext(platform::SecurityCredentials&,
                             std::unique_ptr<platform::SecurityContext>& context,
                             const std::vector<uint8_t>* input, size_t,
                             std::vector<uint8_t>& output) override {
    record->inputs.push_back(input ? *input : std::vector<uint8_t>{});
    if (!context) context = std::make_unique<platform::SecurityContext>();
    const Step& s = steps.at(next++);
    output = s.token;
    return s.status;
  }
  bool HasCompleteAuthToken() const override { return has_complete; }
  uint32_t CompleteAuthToken(platform::SecurityContext&, std::vector<uint8_t>&) override {
    return platform::kSecOk;
  }
};

class SecurityPackageTest : public LogonExchangeTest {
 protected:
  void SetUp() override {
    previous_ = platform::SetSecurityInterfaceLoader(
        [this](std::unique_ptr<platform::SecurityInterface>& table) {
          auto fake = std::make_unique<FakeSecurity>();
          fake_ = fake.get();
          fake->steps = steps_;
          fake->record = &record_;
          table = std::move(fake);
          return platform::kSecurityLoaded;
        });
  }
  void TearDown() override { platform::SetSecurityInterfaceLoader(previous_); }

  std::vector<FakeSecurity::Step> steps_;
  FakeSecurity* fake_ = nullptr;  // valid while the client's package lives
  FakeSecurity::Record record_;
  platform::SecurityInterfaceLoader previous_;
};

TEST_F(SecurityPackageTest, TokenExchangeGranted) {
  steps_ = {{platform::kSecContinueNeeded, {1, 1}}, {platform::kSecOk, {2, 2}}};
  std::vector<std::vector<uint8_t>> tokens;
  std::vector<int32_t> codes;
  std::u16string password_sent = u"?";
  Serve([&](ProtocolConnection& s) {
    SendAinf(s, 1, u"CORP");
    password_sent = ExpectRequest(s);
    SendUsrp(s, 6, 0);
    for (int i = 0; i < 2; ++i) {
      if (!Expect(s, protocol::kPduAuth)) return;
      codes.push_back(s.values().Int(tag::kMessageCode));
      tokens.push_back(s.values().Bytes(tag::kMessageData));
      if (i == 0) SendAuth(s, 2, {9, 9, 9});
    }
    SendAuth(s, 3);
  });
  int32_t failure = 0;
  AuthenticateUser(*link_, Account(), failure);
  peer_.Join();
  EXPECT_EQ(password_sent, u"");
  EXPECT_EQ(codes, (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(tokens, (std::vector<std::vector<uint8_t>>{{1, 1}, {2, 2}}));
  EXPECT_EQ(record_.package, u"NTLM");
  EXPECT_EQ(record_.identity.domain, u"CORP");
  EXPECT_EQ(record_.identity.password, u"secret");
  ASSERT_EQ(record_.inputs.size(), 2u);
  EXPECT_EQ(record_.inputs[1], (std::vector<uint8_t>{9, 9, 9}));
  EXPECT_EQ(failure, 0);
}

TEST_F(SecurityPackageTest, DeniedThenMasterKey) {
  struct Case {
    int32_t fallback;
    std::u16string password;
    int master_key_status;  // -1: no MKYR expected
    uint32_t code;
  } cases[] = {
      {1, u"secret", 0, 0},      // the master key accepts the user
      {1, u"secret", 1, 116},    // refused: "Password is not correct"
      {0, u"secret", -1, 116},   // no fallback offered
      {1, u"", -1, 116},         // no password to offer
  };
  for (const Case& c : cases) {
    steps_ = {{platform::kSecOk, {7}}};
    ScriptedPeer peer;
    std::u16string master_key;
    bool aborted = false;
    peer.Serve([&](ProtocolConnection& s) {
      s.SetProtocolVersion(VersionNumber(u"7.0.2"));
      if (ServeNegotiation(s).empty()) return;
      SendAinf(s, 5);
      ExpectRequest(s);
      SendUsrp(s, 6, c.fallback);
      if (!Expect(s, protocol::kPduAuth)) return;
      SendAuth(s, 4);  // denied
      if (c.master_key_status >= 0) {
        if (!Expect(s, protocol::kPduMkyr)) return;
        master_key = s.values().Text(tag::kPassword);
        s.values().SetInt(tag::kMasterKeyStatus, c.master_key_status);
        s.SendPdu(protocol::kPduMkyp);
      }
      if (c.code != 0) {
        aborted = Expect(s, protocol::kPduAbrt) && s.values().Int(tag::kAbortReason) == 4;
      }
    });
    ClientProtocol client(testing::PeerOptions());
    ASSERT_EQ(client.Connect(peer.port(), "127.0.0.1"), 0);
    client.SetProtocolVersion(VersionNumber(u"7.0.2"));
    BlockingLink link(client);
    NegotiateEncryption(link, kTexts, 11);
    int32_t failure = 0;
    EXPECT_EQ(CodeOf([&] { AuthenticateUser(link, Account(c.password), failure); }), c.code);
    peer.Join();
    EXPECT_EQ(failure, c.code ? 2 : 0);
    EXPECT_EQ(aborted, c.code != 0);
    if (c.master_key_status >= 0) {
      EXPECT_EQ(master_key, u"secret");
    }
    EXPECT_EQ(record_.package, u"Kerberos");
    EXPECT_FALSE(record_.identity.with_domain);
  }
}

TEST_F(SecurityPackageTest, ContextFailuresAbortAndGiveTheirResults) {
  struct Case {
    uint32_t status;
    bool has_complete;
    int result;
    bool aborted;
  } cases[] = {
      {platform::kSecNoCredentials, true, SecurityPackageClient::kNoCredentialsForContext, true},
      {platform::kSecInternalError, true, SecurityPackageClient::kContextFailed, true},
      {platform::kSecCompleteNeeded, false, SecurityPackageClient::kNoCompleteAuthToken, false},
  };
  for (const Case& c : cases) {
    steps_ = {{c.status, {1}}};
    ScriptedPeer peer;
    bool aborted = false;
    peer.Serve([&](ProtocolConnection& s) {
      int type = 0;
      s.socket().SetTimeouts(1000, 1000);
      aborted = s.Receive(type) == 0 && type == protocol::kPduAbrt &&
                s.values().Int(tag::kAbortReason) == 4;
    });
    ClientProtocol client(testing::PeerOptions());
    ASSERT_EQ(client.Connect(peer.port(), "127.0.0.1"), 0);
    client.SetProtocolVersion(VersionNumber(u"7.0.2"));
    BlockingLink link(client);
    SecurityPackageClient package(link, 1);
    ASSERT_EQ(package.Initialize(), 0);
    fake_->has_complete = c.has_complete;
    bool granted = true;
    EXPECT_EQ(package.Authenticate(u"alice", u"pw", u"CORP", granted), c.result);
    EXPECT_FALSE(granted);
    client.Close();
    peer.Join();
    EXPECT_EQ(aborted, c.aborted);
  }
}

// The secret-key check over the link: the server's PWDP answers drive it.
class AnsweringDialog : public SecretKeyDialog {
 public:
  std::vector<std::optional<std::u16string>> answers;
  std::vector<std::u16string> hints;
  std::optional<std::u16string> AskSecretKey(std::u16string_view hint) override {
    hints.emplace_back(hint);
    auto a = answers.at(hints.size() - 1);
    return a;
  }
};

void SendPwdp(ProtocolConnection& s, int32_t status, std::u16string_view hint) {
  s.values().SetInt(tag::kKeyStatus, status);
  s.values().SetText(tag::kKeyHint, hint);
  s.SendPdu(protocol::kPduPwdp);
}

struct Pwdr {
  std::u16string key, hint, old_key;
  bool operator==(const Pwdr&) const = default;
};

Pwdr TakePwdr(ProtocolConnection& s) {
  if (!Expect(s, protocol::kPduPwdr)) return {u"?", u"?", u"?"};
  return {s.values().Text(tag::kKeyText), s.values().Text(tag::kKeyHint),
          s.values().Text(tag::kPreviousKeyText)};
}

TEST_F(LogonExchangeTest, SecretKeyCheckOverTheWire) {
  const SecretKeyLogon logon{u"alice", u"secret", u"Username...", u"hint for alice"};
  struct Case {
    const char* name;
    std::vector<int32_t> statuses;  // server answers in order
    std::vector<std::optional<std::u16string>> answers;
    std::vector<Pwdr> requests;
    uint32_t code;
    std::u16string secret_key_after;
  } cases[] = {
      {"rejected once, then the entered key",
       {1, 0},
       {u"other key"},
       {{u"secret", u"hint for alice", u""}, {u"other key", u"", u""}},
       0,
       u"other key"},
      {"rejected, then cancel", {1}, {std::nullopt}, {{u"secret", u"hint for alice", u""}}, 102,
       u""},
      {"old key asked for",
       {2, 0},
       {u"old one"},
       {{u"secret", u"hint for alice", u""}, {u"secret", u"hint for alice", u"old one"}},
       0,
       u""},
  };
  for (const Case& c : cases) {
    ScriptedPeer peer;
    std::vector<Pwdr> requests;
    peer.Serve([&](ProtocolConnection& s) {
      s.SetProtocolVersion(VersionNumber(u"7.0.2"));
      if (ServeNegotiation(s).empty()) return;
      for (int32_t status : c.statuses) {
        requests.push_back(TakePwdr(s));
        SendPwdp(s, status, u"server hint");
      }
    });
    ClientProtocol client(testing::PeerOptions());
    ASSERT_EQ(client.Connect(peer.port(), "127.0.0.1"), 0);
    client.SetProtocolVersion(VersionNumber(u"7.0.2"));
    BlockingLink link(client);
    NegotiateEncryption(link, kTexts, 11);
    SecurityFields fields;
    AnsweringDialog dialog;
    dialog.answers = c.answers;
    LinkPasswordExchange exchange(link);
    int32_t failure = 0;
    EXPECT_EQ(CodeOf([&] { CheckSecretKey(fields, logon, exchange, dialog, failure); }), c.code)
        << c.name;
    peer.Join();
    EXPECT_EQ(requests, c.requests) << c.name;
    EXPECT_EQ(fields.secretKey, c.secret_key_after) << c.name;
    EXPECT_EQ(failure, c.code == 102 ? 9 : 0) << c.name;
    EXPECT_EQ(dialog.hints.size(), c.answers.size()) << c.name;
    for (const auto& h : dialog.hints) EXPECT_EQ(h, u"server hint");
  }
}

}  // namespace
}  // namespace bexa
