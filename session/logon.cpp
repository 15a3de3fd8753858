// Log on: the Protocol information exchange with the version gate, then the
// encryption negotiation, the user authentication and the secret-key check.
#include <string>

#include "platform/codepage.h"
#include "platform/locale.h"
#include "platform/ui/message_box.h"
#include "protocol/pdu_catalogue.h"
#include "protocol/pdu_tags.h"
#include "security/encryption_negotiation.h"
#include "security/link_password_exchange.h"
#include "security/user_authentication.h"
#include "session/session.h"
#include "session/status_messages.h"
#include "util/dates.h"
#include "util/text.h"

namespace bexa {
namespace {

// The handshake's own text of the version refusal (two spaces before
// "version", unlike the localised text of code 126).
constexpr char16_t kServerTooOldText[] =
    u"Sorry, the Backup Server version was detected as %s.\n"
    u"The backup server must be at least  version 7.0 to operate with this backup client.";

// The local date in the long date format, a space and the time without
// seconds; empty when the date cannot be formatted, the date alone when the
// time cannot.
std::u16string ClientTimeText() {
  const platform::LocalTime now = platform::UnixToLocal(static_cast<long long>(::time(nullptr)));
  std::u16string date, time;
  if (!platform::FormatDate(now, true, date)) return u"";
  if (!platform::FormatTime(now, false, time)) return date;
  return date + u" " + time;
}

// Without a dialog of the front end a rejected key cannot be replaced.
class NoSecretKeyDialog : public SecretKeyDialog {
 public:
  std::optional<std::u16string> AskSecretKey(std::u16string_view) override { return std::nullopt; }
};

}  // namespace

// The session's waits as the security exchanges see them.
class Session::Link : public LogonLink {
 public:
  explicit Link(Session& session) : session_(session) {}
  protocol::ProtocolConnection& Connection() override { return *session_.connection_; }
  int WaitForPdu(bool throw_on_failure) override {
    return session_.WaitForPdu(nullptr, throw_on_failure);
  }

 private:
  Session& session_;
};

void Session::LogOn() {
  StopHeartbeat();
  if (!connection_) throw CBackupException(kStatusNoConnection);
  fallback_flag_ = 0;
  std::u16string client_time;
  LogOnFirstPhase(client_time);
  CompleteLogOn(client_time);
}

void Session::LogOnFirstPhase(std::u16string& client_time) {
  protocol::ClientProtocol& connection = *connection_;
  const int32_t port = parameters_.port;
  if (port <= 0 || port > 0xFFFF ||
      connection.Connect(static_cast<uint16_t>(port), platform::WideToAnsi(parameters_.server)) !=
          protocol::kStatusOk)
    throw CBackupException(kStatusNoConnection);

  client_time = ClientTimeText();
  if (connection.SendProtocolInformation(kClientVersion, client_time) != protocol::kStatusOk)
    throw CBackupException(kStatusSendFailed);
  if (WaitForPdu(nullptr, true) != protocol::kPduProt) throw CBackupException(kStatusUnexpectedPdu);

  server_version_ = connection.values().Version();
  server_protocol_text_ = connection.values().Text(protocol::tag::kProtocolText);
  connection.SetProtocolVersion(server_version_);
  if (server_version_ < protocol::VersionNumber(kLowestServerVersion)) {
    platform::ui::ShowMessageBox(Format(kServerTooOldText, server_version_.PartText(0)), u"",
                                 platform::ui::kMbOk | platform::ui::kMbIconError);
    throw CBackupException(kStatusServerTooOld);
  }
}

void Session::CompleteLogOn(const std::u16string& client_time) {
  Link link(*this);
  NegotiateEncryption(link,
                      {kClientVersion, client_time, server_version_.ToText(), server_protocol_text_},
                      security_.encryptionType);

  const AuthenticationValues account{parameters_.user, parameters_.password, Workstation()};
  auto keep_response = [this](const protocol::PduValues& usrp) {
    fallback_flag_ = usrp.Int(protocol::tag::kFallbackFlag);
    const std::u16string& cut_off = usrp.Text(protocol::tag::kCutOffDate);
    if (!cut_off.empty()) {
      DateTime date;
      ParseProtocolDate(cut_off, date);
      cut_off_date_ = date;
    }
  };
  try {
    AuthenticateUser(link, account, logon_failure_, keep_response);
  } catch (const DatabaseAuthAccessException&) {
    // The challenge's failure is the server's wrong or missing answer; as a
    // session code every caller of Log on can report it.
    throw CBackupException(kStatusUnexpectedPdu);
  }

  SecretKeyLogon logon;
  logon.user = parameters_.user;
  logon.password = parameters_.password;
  logon.userNameHint = texts_.Get(IDS_KVOL_1110);
  const std::u16string password_hint = texts_.Get(IDS_KVOL_1075);
  logon.passwordHint =
      Format(password_hint, parameters_.user, LongDateTimeText(DateTime::Now(), false));
  LinkPasswordExchange exchange(link);
  NoSecretKeyDialog no_dialog;
  CheckSecretKey(security_, logon, exchange,
                 secret_key_dialog_ ? *secret_key_dialog_ : static_cast<SecretKeyDialog&>(no_dialog),
                 logon_failure_);

  connection_->set_logged_on(true);
  GetHeartbeat(*this, heartbeat_interval_ms_).StartBeating();
}

}  // namespace bexa
