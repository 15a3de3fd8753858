#include "security/secret_key_check.h"

#include <deque>
#include <vector>

#include <gtest/gtest.h>

#include "util/exceptions.h"

namespace bexa {
namespace {

// Plays the server: answers each wait from a script and records every
// Password request.
class ScriptedExchange : public PasswordExchange {
 public:
  struct Request {
    std::u16string key, hint, old_key;
    bool operator==(const Request&) const = default;
  };

  explicit ScriptedExchange(std::deque<std::optional<PasswordResponse>> answers)
      : answers_(std::move(answers)) {}

  void SendPasswordRequest(std::u16string_view key, std::u16string_view hint,
                           std::u16string_view old_key) override {
    sent.push_back({std::u16string(key), std::u16string(hint), std::u16string(old_key)});
  }
  std::optional<PasswordResponse> ReceivePasswordResponse() override {
    if (answers_.empty()) return std::nullopt;
    auto answer = answers_.front();
    answers_.pop_front();
    return answer;
  }

  std::vector<Request> sent;

 private:
  std::deque<std::optional<PasswordResponse>> answers_;
};

// Answers the Secret Key Entry dialog from a script (nullopt: Cancel) and
// records the hints it was shown.
class ScriptedDialog : public SecretKeyDialog {
 public:
  explicit ScriptedDialog(std::deque<std::optional<std::u16string>> answers)
      : answers_(std::move(answers)) {}

  std::optional<std::u16string> AskSecretKey(std::u16string_view hint) override {
    hints.emplace_back(hint);
    if (answers_.empty()) return std::nullopt;
    auto answer = answers_.front();
    answers_.pop_front();
    return answer;
  }

  std::vector<std::u16string> hints;

 private:
  std::deque<std::optional<std::u16string>> answers_;
};

const SecretKeyLogon kLogon{u"alice", u"pass", u"Username...",
                            u"The logon password for user 'alice' on Monday 9:30"};

// The padded forms, written out: (n mod 8) + 8 spaces.
const std::u16string kPaddedPass = u"pass" + std::u16string(12, u' ');
const std::u16string kPaddedPassHint = kLogon.passwordHint + std::u16string(50 % 8 + 8, u' ');

PasswordResponse Status(int32_t status, std::u16string hint = u"") { return {status, hint}; }

TEST(SecretKeyCheck, OfferedKeyChoice) {
  SecurityFields with_key;
  with_key.secretKey = u"mine";
  with_key.secretKeyHint = u"my hint";
  SecurityFields switched_off;
  switched_off.useSecretKey = false;
  switched_off.secretKey = with_key.secretKey;
  SecretKeyLogon no_password = kLogon;
  no_password.password.clear();

  struct Case {
    const SecurityFields& fields;
    const SecretKeyLogon& logon;
    std::u16string key, hint;
  };
  const SecurityFields defaults;
  const Case cases[] = {
      {with_key, kLogon, u"mine", u"my hint"},
      {switched_off, kLogon, u"pass", kLogon.passwordHint},
      {defaults, kLogon, u"pass", kLogon.passwordHint},
      {defaults, no_password, u"alice", u"Username..."},
  };
  for (const Case& c : cases) {
    OfferedKey offered = ChooseOfferedKey(c.fields, c.logon);
    EXPECT_EQ(offered.key, c.key);
    EXPECT_EQ(offered.hint, c.hint);
  }
}

TEST(SecretKeyCheck, AcceptedKeyChangesNothing) {
  ASSERT_EQ(kLogon.passwordHint.size(), 50u);
  SecurityFields fields;
  ScriptedExchange exchange({Status(0, u"server hint")});
  ScriptedDialog dialog({});
  int32_t logon_failure = 0;
  CheckSecretKey(fields, kLogon, exchange, dialog, logon_failure);
  EXPECT_EQ(exchange.sent, (std::vector<ScriptedExchange::Request>{{kPaddedPass, kPaddedPassHint, u""}}));
  EXPECT_TRUE(dialog.hints.empty());
  EXPECT_TRUE(fields.useSecretKey);
  EXPECT_EQ(fields.secretKey, u"");
  EXPECT_EQ(fields.secretKeyHint, u"");
}

TEST(SecretKeyCheck, RejectedKeyWithOneRetryKeepsTheEnteredKey) {
  SecurityFields fields;
  fields.useSecretKey = false;
  ScriptedExchange exchange({Status(1, u"your dog"), Status(0)});
  ScriptedDialog dialog({u"rex"});
  int32_t logon_failure = 0;
  CheckSecretKey(fields, kLogon, exchange, dialog, logon_failure);
  EXPECT_EQ(dialog.hints, std::vector<std::u16string>{u"your dog"});
  ASSERT_EQ(exchange.sent.size(), 2u);
  EXPECT_EQ(exchange.sent[1], (ScriptedExchange::Request{u"rex" + std::u16string(11, u' '), u"", u""}));
  EXPECT_TRUE(fields.useSecretKey);
  EXPECT_EQ(fields.secretKey, u"rex");
  // The hint of an earlier answer stays when a later one brings none.
  EXPECT_EQ(fields.secretKeyHint, u"your dog");
}

TEST(SecretKeyCheck, TwoRejectionsKeepOnlyTheSecondEntry) {
  SecurityFields fields;
  ScriptedExchange exchange({Status(1, u"h1"), Status(1, u"h2"), Status(0)});
  ScriptedDialog dialog({u"first", u"second"});
  int32_t logon_failure = 0;
  CheckSecretKey(fields, kLogon, exchange, dialog, logon_failure);
  EXPECT_EQ(dialog.hints, (std::vector<std::u16string>{u"h1", u"h2"}));
  EXPECT_EQ(fields.secretKey, u"second");
  EXPECT_EQ(fields.secretKeyHint, u"h2");
}

TEST(SecretKeyCheck, EnteringThePasswordSwitchesTheSecretKeyOff) {
  SecurityFields fields;
  fields.secretKey = u"old secret";
  fields.secretKeyHint = u"old hint";
  ScriptedExchange exchange({Status(1), Status(0)});
  ScriptedDialog dialog({u"pass"});
  int32_t logon_failure = 0;
  CheckSecretKey(fields, kLogon, exchange, dialog, logon_failure);
  EXPECT_EQ(exchange.sent[0].key, u"old secret" + std::u16string(10, u' '));
  EXPECT_FALSE(fields.useSecretKey);
  EXPECT_EQ(fields.secretKey, u"");
  EXPECT_EQ(fields.secretKeyHint, u"");
}

TEST(SecretKeyCheck, CancelAfterRejectionIsError102) {
  SecurityFields fields;
  ScriptedExchange exchange({Status(1, u"hint")});
  ScriptedDialog dialog({std::nullopt});
  int32_t logon_failure = 0;
  try {
    CheckSecretKey(fields, kLogon, exchange, dialog, logon_failure);
    FAIL() << "no exception";
  } catch (const CBackupException& e) {
    EXPECT_EQ(e.Code(), 102u);
  }
  EXPECT_EQ(logon_failure, 9);
  EXPECT_EQ(exchange.sent.size(), 1u);
  EXPECT_TRUE(fields.useSecretKey);
  EXPECT_EQ(fields.secretKey, u"");
}

TEST(SecretKeyCheck, OldKeyRequestSendsTheOldKeyBesideTheOfferedOne) {
  SecurityFields fields;
  ScriptedExchange exchange({Status(2, u"old hint"), Status(2), Status(0)});
  ScriptedDialog dialog({u"older", std::nullopt});
  int32_t logon_failure = 0;
  CheckSecretKey(fields, kLogon, exchange, dialog, logon_failure);
  EXPECT_EQ(dialog.hints, (std::vector<std::u16string>{u"old hint", u"old hint"}));
  const std::vector<ScriptedExchange::Request> expected = {
      {kPaddedPass, kPaddedPassHint, u""},
      {kPaddedPass, kPaddedPassHint, u"older" + std::u16string(13, u' ')},
      {u"", u"", u""},  // Cancel: three empty texts, then the verdict
  };
  EXPECT_EQ(exchange.sent, expected);
  // A key typed for the old key is only sent, never kept.
  EXPECT_EQ(fields.secretKey, u"");
  EXPECT_TRUE(fields.useSecretKey);
}

TEST(SecretKeyCheck, OtherStatusWaitsAgainWithoutSending) {
  SecurityFields fields;
  ScriptedExchange exchange({Status(7), Status(0)});
  ScriptedDialog dialog({});
  int32_t logon_failure = 0;
  CheckSecretKey(fields, kLogon, exchange, dialog, logon_failure);
  EXPECT_EQ(exchange.sent.size(), 1u);
  EXPECT_TRUE(dialog.hints.empty());
}

TEST(SecretKeyCheck, AnswerThatIsNotAPasswordResponseIsError109) {
  SecurityFields fields;
  ScriptedExchange exchange({Status(1), std::nullopt});
  ScriptedDialog dialog({u"key"});
  int32_t logon_failure = 0;
  try {
    CheckSecretKey(fields, kLogon, exchange, dialog, logon_failure);
    FAIL() << "no exception";
  } catch (const CBackupException& e) {
    EXPECT_EQ(e.Code(), 109u);
  }
  EXPECT_EQ(logon_failure, 0);
  EXPECT_EQ(fields.secretKey, u"");
}

}  // namespace
}  // namespace bexa
