// The session's logon against a scripted server on a loopback port: what
// the server saw (its PDU log) and what the user saw (message boxes).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/security_packages.h"
#include "platform/ui/message_box.h"
#include "scripted_server.h"
#include "session/session.h"
#include "tests/support/temp_home.h"
#include "util/dates.h"

namespace bexa {
namespace {

using platform::ui::ScopedMessageBoxes;
using platform::ui::ScriptedMessageBoxes;
using testing::PduLog;
using testing::ScriptedPeer;
using testing::ServerPlan;
using testing::ServerSaw;

class CancellingDialog : public SecretKeyDialog {
 public:
  int shown = 0;
  std::optional<std::u16string> AskSecretKey(std::u16string_view) override {
    ++shown;
    return std::nullopt;
  }
};

class LogonTest : public ::testing::Test {
 protected:
  LogonTest() {
    protocol::ConnectionOptions options = testing::PeerOptions();
    session_.SetConnectionOptions(options);
    session_.parameters().server = u"127.0.0.1";
    session_.parameters().user = u"alice";
    session_.parameters().password = u"secret";
    session_.set_heartbeat_interval_ms(60000);
  }
  ~LogonTest() override {
    session_.CloseConnection();
    StopHeartbeat();
  }

  // Starts a server with the plan and points the session at it.
  void Serve(const ServerPlan& plan) {
    peer_ = std::make_unique<ScriptedPeer>();
    log_ = std::make_unique<PduLog>();
    saw_ = std::make_unique<ServerSaw>();
    peer_->Serve([plan, log = log_.get(), saw = saw_.get()](protocol::ProtocolConnection& s) {
      testing::PlayLogon(s, plan, *log, *saw);
    });
    session_.parameters().port = peer_->port();
  }
  // Opens and logs on; the code thrown, 0 on success.
  uint32_t LogOnCode() {
    EXPECT_TRUE(session_.OpenConnection());
    try {
      session_.LogOn();
    } catch (const CBackupException& e) {
      return e.Code();
    }
    return 0;
  }
  void CloseAndJoin() {
    session_.CloseConnection();
    peer_->Join();
  }
  std::vector<std::u16string> BoxTexts() const {
    std::vector<std::u16string> texts;
    for (const auto& b : boxes_.Boxes()) texts.push_back(b.text);
    return texts;
  }

  testing::TempHome home_;
  ScriptedMessageBoxes boxes_;
  ScopedMessageBoxes scope_{boxes_};
  Session session_;
  std::unique_ptr<ScriptedPeer> peer_;
  std::unique_ptr<PduLog> log_;
  std::unique_ptr<ServerSaw> saw_;
};

using P = protocol::PduType;

TEST_F(LogonTest, FullLogonWithPasswordAndAccessKey) {
  for (int32_t type : {0, 7}) {
    ServerPlan plan;
    plan.auth_type = type;
    plan.cut_off = u"20250630143000";
    Serve(plan);
    ASSERT_EQ(LogOnCode(), 0u) << type;
    EXPECT_TRUE(session_.IsLoggedOn());
    EXPECT_EQ(session_.server_version().ToText(), u"7.0.2");
    EXPECT_EQ(session_.server_protocol_text(), u"Backup server ready");
    EXPECT_EQ(FormatProtocolDate(session_.cut_off_date()), u"20250630143000");
    ASSERT_TRUE(log_->WaitFor(P::kPduHtbt, 1, 5000));  // the first beat at once
    CloseAndJoin();
    std::vector<int> expected = {P::kPduProt, P::kPduEncr, P::kPduCspr, P::kPduAsts, P::kPduUsrr};
    if (type == 7) expected.push_back(P::kPduAuth);
    expected.insert(expected.end(), {P::kPduPwdr, P::kPduHtbt, P::kPduQuit});
    EXPECT_EQ(log_->Types(), expected) << type;
    EXPECT_EQ(saw_->client_version, u"7.0.0.0KVO");
    EXPECT_TRUE(saw_->cspr_in_clear);
    EXPECT_EQ(saw_->user, u"alice");
    EXPECT_EQ(saw_->password, type == 7 ? u"" : u"secret");
    EXPECT_EQ(saw_->workstation, session_.DomainName() + u"\\" + session_.ComputerName());
    EXPECT_EQ(saw_->keys, std::vector<std::u16string>{u"secret"});
    EXPECT_TRUE(boxes_.Boxes().empty());
  }
}

TEST_F(LogonTest, VersionGate) {
  struct Case {
    const char* version;
    bool refused;
  } cases[] = {{"6.01", true}, {"7.0", false}, {"7.0.1", false}, {"10.0", false}};
  for (const Case& c : cases) {
    ServerPlan plan;
    plan.version = std::u16string(c.version, c.version + std::strlen(c.version));
    Serve(plan);
    ScriptedMessageBoxes boxes;
    ScopedMessageBoxes scope(boxes);
    EXPECT_EQ(session_.LogOnCheck(), !c.refused) << c.version;
    peer_->Join();
    const auto shown = boxes.Boxes();
    if (c.refused) {
      ASSERT_EQ(shown.size(), 2u);
      EXPECT_EQ(shown[0].text,
                u"Sorry, the Backup Server version was detected as 6.\nThe backup server must "
                u"be at least  version 7.0 to operate with this backup client.");
      EXPECT_EQ(shown[0].type, platform::ui::kMbOk | platform::ui::kMbIconError);
      EXPECT_EQ(shown[1].text, u"Error trying to run the process");
      EXPECT_EQ(shown[1].caption, u"");
      EXPECT_EQ(session_.logon_failure(), kLogonFailureOther);
      EXPECT_EQ(log_->Types(), (std::vector<int>{P::kPduProt, P::kPduQuit}));
    } else {
      EXPECT_TRUE(shown.empty()) << c.version;
      EXPECT_EQ(log_->Types().back(), P::kPduQuit);
    }
  }
  ServerPlan old;
  old.version = u"6.01";
  Serve(old);
  EXPECT_EQ(LogOnCode(), 126u);
  CloseAndJoin();
}

TEST_F(LogonTest, WrongFirstAnswerAndClosedConnection) {
  ServerPlan heartbeat;
  heartbeat.heartbeat_for_prot = true;
  Serve(heartbeat);
  EXPECT_EQ(LogOnCode(), 109u);
  CloseAndJoin();

  ServerPlan closing;
  closing.close_after_prot = true;
  Serve(closing);
  int turns = 0;
  session_.SetMessagePump([&] { ++turns; });
  EXPECT_EQ(LogOnCode(), 109u);
  session_.SetMessagePump({});
  EXPECT_GE(turns, 30);  // each failed receive was followed by a new one
  CloseAndJoin();

  ServerPlan damaged;
  damaged.bad_frame_for_prot = true;
  Serve(damaged);
  // A decode error gives up at once: a second receive would wait for bytes
  // that the server never sends.
  EXPECT_EQ(LogOnCode(), 109u);
  CloseAndJoin();
  EXPECT_EQ(log_->Types(), (std::vector<int>{P::kPduProt, P::kPduQuit}));
}

TEST_F(LogonTest, LogOnCheckTexts) {
  struct Case {
    const char* name;
    ServerPlan plan;
    uint32_t code;
    std::u16string text;
  } cases[] = {
      {"unknown user", [] { ServerPlan p; p.usrp_result = 1; return p; }(), 112,
       u"User is unknown"},
      {"wrong password", [] { ServerPlan p; p.usrp_result = 4; return p; }(), 116,
       u"Error trying to run the process"},
      {"secret key cancelled", [] { ServerPlan p; p.pwdp = {1}; return p; }(), 102,
       u"Operation canceled by user"},
  };
  CancellingDialog dialog;
  session_.SetSecretKeyDialog(&dialog);
  for (const Case& c : cases) {
    Serve(c.plan);
    EXPECT_EQ(LogOnCode(), c.code) << c.name;
    CloseAndJoin();
    Serve(c.plan);
    ScriptedMessageBoxes boxes;
    ScopedMessageBoxes scope(boxes);
    EXPECT_FALSE(session_.LogOnCheck()) << c.name;
    peer_->Join();
    ASSERT_EQ(boxes.Boxes().size(), 1u) << c.name;
    EXPECT_EQ(boxes.Boxes()[0].text, c.text) << c.name;
    EXPECT_EQ(log_->Types().back(), P::kPduQuit) << c.name;
  }
  EXPECT_EQ(dialog.shown, 2);
}

// A security package whose token the server denies.
class DeniedPackage : public platform::SecurityInterface {
 public:
  uint32_t AcquireCredentials(std::u16string_view, const platform::SecurityIdentity&,
                              std::unique_ptr<platform::SecurityCredentials>& c) override {
    c = std::make_unique<platform::SecurityCredentials>();
    return platform::kSecOk;
  }
  uint32_t InitializeContext(platform::SecurityCredentials&,
                             std::unique_ptr<platform::SecurityContext>& context,
                             const std::vector<uint8_t>*, size_t,
                             std::vector<uint8_t>& output) override {
    context = std::make_unique<platform::SecurityContext>();
    output = {1, 2, 3};
    return platform::kSecOk;
  }
  bool HasCompleteAuthToken() const override { return false; }
  uint32_t CompleteAuthToken(platform::SecurityContext&, std::vector<uint8_t>&) override {
    return platform::kSecInternalError;
  }
};

TEST_F(LogonTest, SecurityPackageDeniedAndMasterKeyRefused) {
  auto previous = platform::SetSecurityInterfaceLoader(
      [](std::unique_ptr<platform::SecurityInterface>& table) {
        table = std::make_unique<DeniedPackage>();
        return platform::kSecurityLoaded;
      });
  ServerPlan plan;
  plan.auth_type = 1;
  plan.usrp_result = 6;
  plan.fallback = 1;
  plan.mkyp_status = 1;
  Serve(plan);
  EXPECT_FALSE(session_.LogOnCheck());
  peer_->Join();
  platform::SetSecurityInterfaceLoader(previous);
  EXPECT_EQ(BoxTexts(), std::vector<std::u16string>{u"Password is not correct"});
  EXPECT_EQ(session_.fallback_flag(), 1);
  EXPECT_EQ(log_->Types(), (std::vector<int>{P::kPduProt, P::kPduEncr, P::kPduCspr, P::kPduAsts,
                                             P::kPduUsrr, P::kPduAuth, P::kPduMkyr, P::kPduAbrt,
                                             P::kPduQuit}));
}

TEST_F(LogonTest, SecurityPackageWithoutBackendIs123) {
  ServerPlan plan;
  plan.auth_type = 5;
  Serve(plan);
  EXPECT_EQ(LogOnCode(), 123u);
  CloseAndJoin();
}

TEST_F(LogonTest, HeartbeatsAfterTheLogonOnly) {
  session_.set_heartbeat_interval_ms(50);
  Serve(ServerPlan{});
  ASSERT_EQ(LogOnCode(), 0u);
  ASSERT_TRUE(log_->WaitFor(P::kPduHtbt, 3, 5000));
  // Nothing before the logon completed: the first beat follows the PWDR.
  const auto types = log_->Types();
  const auto first_beat = std::find(types.begin(), types.end(), int(P::kPduHtbt));
  const auto pwdr = std::find(types.begin(), types.end(), int(P::kPduPwdr));
  EXPECT_LT(pwdr, first_beat);

  // A socket error on the connection stops them.
  session_.connection()->SetLastSocketError(10054);
  platform::SleepMs(100);  // a beat already under way may still arrive
  const int beats = log_->Count(P::kPduHtbt);
  platform::SleepMs(300);
  EXPECT_EQ(log_->Count(P::kPduHtbt), beats);
  CloseAndJoin();
}

TEST_F(LogonTest, SecondLogonEndsTheFirstHeartbeatAndKeepsTheCutOffDate) {
  ServerPlan first;
  first.cut_off = u"20240102030405";
  Serve(first);
  ASSERT_EQ(LogOnCode(), 0u);
  ASSERT_NE(CurrentHeartbeat(), nullptr);
  auto old_peer = std::move(peer_);
  auto old_log = std::move(log_);
  auto old_saw = std::move(saw_);

  Serve(ServerPlan{});  // no cut-off date this time
  bool heartbeat_during_logon = false;
  session_.SetMessagePump([&] { heartbeat_during_logon |= CurrentHeartbeat() != nullptr; });
  ASSERT_EQ(LogOnCode(), 0u);  // opening closes the first connection with Quit
  session_.SetMessagePump({});
  old_peer->Join();
  EXPECT_EQ(old_log->Types().back(), P::kPduQuit);
  EXPECT_FALSE(heartbeat_during_logon);
  ASSERT_NE(CurrentHeartbeat(), nullptr);
  EXPECT_TRUE(CurrentHeartbeat()->enabled());
  EXPECT_EQ(FormatProtocolDate(session_.cut_off_date()), u"20240102030405");
  CloseAndJoin();
}

class FlagCancel : public CancelSource {
 public:
  bool Cancelled() override { return true; }
};

TEST_F(LogonTest, WaitWithCancelSource) {
  Serve(ServerPlan{});
  ASSERT_TRUE(session_.OpenConnection());
  FlagCancel cancel;
  EXPECT_EQ(session_.WaitForPdu(&cancel, false), Session::kWaitCancelled);
  uint32_t code = 0;
  try {
    session_.WaitForPdu(&cancel, true);
  } catch (const CBackupException& e) {
    code = e.Code();
  }
  EXPECT_EQ(code, 102u);
  session_.CloseConnection();
  // The server never saw a connection: let its accept end.
  protocol::ClientProtocol knock(testing::PeerOptions());
  knock.Connect(peer_->port(), "127.0.0.1");
  knock.Close();
  peer_->Join();
}

TEST(SessionNames, DomainRules) {
  struct Case {
    const char* win_ini;
    bool computer;  // the computer name stands in
    std::u16string domain;
  } cases[] = {
      {"", false, u"WORKGRP"},
      {"[Winlogon]\nDefaultDomainName=corp\n", false, u"CORP"},
      {"[Winlogon]\nDefaultDomainName=\n", true, u""},
  };
  for (const Case& c : cases) {
    testing::TempHome home(c.win_ini);
    Session session;
    EXPECT_EQ(session.DomainName(), c.computer ? session.ComputerName() : c.domain) << c.win_ini;
  }
}

TEST(SessionDefaults, Values) {
  Session session;
  EXPECT_EQ(session.parameters().port, 308);
  EXPECT_EQ(session.parameters().firewall_port, 1080);
  EXPECT_EQ(session.texts().LanguageOffset(), 0);
  EXPECT_EQ(session.security().encryptionType, 11);
  EXPECT_EQ(session.connection(), nullptr);
  EXPECT_EQ(session.logon_failure(), 0);
}

}  // namespace
}  // namespace bexa
