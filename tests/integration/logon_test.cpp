// Logons against a real bexa-server: what the server saw (its PDU log) and
// what the user saw (the message boxes), with the server's faults.
#include <gtest/gtest.h>

#include <thread>

#include "platform/ui/message_box.h"
#include "session/session.h"
#include "tests/support/test_server.h"
#include "util/exceptions.h"
#include "util/text.h"

namespace bexa {
namespace {

using platform::ui::ScopedMessageBoxes;
using platform::ui::ScriptedMessageBoxes;

class CancellingKeyDialog : public SecretKeyDialog {
 public:
  int asked = 0;
  std::optional<std::u16string> AskSecretKey(std::u16string_view) override {
    ++asked;
    return std::nullopt;
  }
};

class LogonAgainstServer : public ::testing::Test {
 protected:
  void SetUp() override { store_.AddAccount("ann", "pw"); }
  server::Account& Account() { return *store_.store().FindAccount("ann"); }

  void Connect(Session& session, const char* password = "pw") {
    SessionParameters p;
    p.server = u"127.0.0.1";
    p.port = server_->port();
    p.user = u"ann";
    p.password = W(password);
    p.secret_key = p.password;
    session.SetParameters(p);
  }
  uint32_t LogOnCode(Session& session) {
    try {
      if (!session.OpenConnection()) return 101;
      session.LogOn();
      return 0;
    } catch (const CBackupException& e) {
      return e.Code();
    }
  }
  std::vector<std::u16string> CheckTexts(Session& session) {
    ScriptedMessageBoxes boxes;
    ScopedMessageBoxes scope(boxes);
    session.LogOnCheck();
    std::vector<std::u16string> texts;
    for (const auto& b : boxes.Boxes()) texts.push_back(b.text);
    return texts;
  }
  void Serve() {
    store_.Save();
    server_ = std::make_unique<bexa::testing::TestServer>(store_.dir());
  }

  bexa::testing::TestStore store_;
  std::unique_ptr<bexa::testing::TestServer> server_;
};

TEST_F(LogonAgainstServer, PasswordAndAccessKeyLogons) {
  for (int type : {0, 7}) {
    store_.store().auth_type = type;
    store_.store().server_version = "7.1";
    Serve();
    Session session;
    Connect(session);
    EXPECT_EQ(LogOnCode(session), 0u) << "type " << type;
    EXPECT_TRUE(session.IsLoggedOn());
    EXPECT_EQ(session.server_version().ToText(), u"7.1");
    session.CloseConnection();
    EXPECT_NE(server_->WaitForLine("recv QUIT"), "");
    EXPECT_NE(server_->WaitForLine("recv PWDR"), "");
  }
}

TEST_F(LogonAgainstServer, VersionGateAndFirstAnswers) {
  // The first exchanges come before the user is named: these faults are
  // the store's, for every connection.
  store_.store().faults.announce_version = "6.01";
  Serve();
  Session session;
  Connect(session);
  EXPECT_EQ(LogOnCode(session), 126u);
  session.CloseConnection();
  const auto texts = CheckTexts(session);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_NE(texts[0].find(u"detected as 6."), std::u16string::npos);
  EXPECT_EQ(texts[1], u"Error trying to run the process");

  store_.store().faults = {};
  store_.store().faults.heartbeat_instead_of_prot = true;
  Serve();
  Connect(session);
  EXPECT_EQ(LogOnCode(session), 109u);
  session.CloseConnection();

  store_.store().faults = {};
  store_.store().faults.close_after_prot = true;
  Serve();
  Connect(session);
  int turns = 0;
  session.SetMessagePump([&] { ++turns; });
  EXPECT_EQ(LogOnCode(session), 109u);
  session.SetMessagePump({});
  EXPECT_GE(turns, 30);
  session.CloseConnection();
}

TEST_F(LogonAgainstServer, RefusalsAndTheLogOnCheckTexts) {
  Serve();
  Session session;
  SessionParameters p;
  p.server = u"127.0.0.1";
  p.port = server_->port();
  p.user = u"nobody";
  p.password = u"x";
  session.SetParameters(p);
  EXPECT_EQ(CheckTexts(session), std::vector<std::u16string>{u"User is unknown"});

  Connect(session, "wrong");
  EXPECT_EQ(LogOnCode(session), 116u);
  session.CloseConnection();

  Account().faults.reject_secret_key_times = 5;
  Serve();
  Connect(session);
  CancellingKeyDialog dialog;
  session.SetSecretKeyDialog(&dialog);
  EXPECT_EQ(CheckTexts(session), std::vector<std::u16string>{u"Operation canceled by user"});
  EXPECT_EQ(dialog.asked, 1);
}

TEST_F(LogonAgainstServer, HeartbeatsOnlyWhileLoggedOn) {
  Serve();
  Session session;
  Connect(session);
  session.set_heartbeat_interval_ms(50);
  ASSERT_EQ(LogOnCode(session), 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  session.CloseConnection();
  const auto lines = server_->LogLines();
  size_t beats = 0, pwdr_at = 0, first_beat_at = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find("recv PWDR") != std::string::npos) pwdr_at = i;
    if (lines[i].find("recv HTBT") != std::string::npos && beats++ == 0) first_beat_at = i;
  }
  EXPECT_GE(beats, 3u);
  EXPECT_GT(first_beat_at, pwdr_at);  // none before the logon completed
}

}  // namespace
}  // namespace bexa
