// The one session object of the process: the connection values, the
// security fields, the language and its shared text buffer, what the last
// logon learnt from the server, the browse model's volume maps and the
// account's storage figures, and at most one open connection.
//
// Every operation that needs the server opens a connection, logs on, works
// and closes it again. Everything here runs on the user-interface thread,
// except the heartbeat, which reads the current connection from its own
// thread (see connection_mutex_).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "session/parameters.h"
#include "protocol/client_protocol.h"
#include "protocol/version_number.h"
#include "security/logon_link.h"
#include "security/secret_key_check.h"
#include "security/security_fields.h"
#include "session/heartbeat.h"
#include "session/texts.h"
#include "util/datetime.h"
#include "util/exceptions.h"

namespace bexa {

// Tells a wait that the user cancelled (the progress dialog's Cancel).
class CancelSource {
 public:
  virtual ~CancelSource() = default;
  virtual bool Cancelled() = 0;
};

// The account's storage figures in kilobytes, 0 until known.
struct StorageFigures {
  int64_t used_kb = 0;
  int64_t allowed_kb = 0;
};

// Why the last log-on check failed.
enum LogonFailure : int32_t {
  kLogonFailureNone = 0,
  kLogonFailureUserUnknown = 1,
  kLogonFailurePassword = 2,
  kLogonFailureOther = 3,
  kLogonFailureCancelled = 9,
};

class Session : public HeartbeatSource {
 public:
  static constexpr int32_t kDefaultPort = 308;
  static constexpr int32_t kDefaultFirewallPort = 1080;
  static constexpr int32_t kDefaultEncryptionType = 11;
  // The version text this client announces.
  static constexpr char16_t kClientVersion[] = u"7.0.0.0KVO";
  // Servers below this version are refused.
  static constexpr char16_t kLowestServerVersion[] = u"7.0";
  // A wait gives up at this many failed receives (at once on a decode error).
  static constexpr int kReceiveFailuresToGiveUp = 30;
  // What WaitForPdu returns, when not throwing, on cancel and on failure.
  static constexpr int kWaitCancelled = 0;
  static constexpr int kWaitFailed = LogonLink::kNoPdu;

  Session();
  // Closes the connection (sending Quit) and ends the heartbeat, which reads
  // this object.
  ~Session() override;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // --- connection life

  // Closes an existing connection first, creates a new ClientProtocol (not
  // logged on) and starts sockets; false when sockets could not be started.
  bool OpenConnection();
  // When a connection exists: sends Quit, closes the socket, stops sockets
  // and destroys the connection.
  void CloseConnection();
  // The open connection, or nullptr.
  protocol::ClientProtocol* connection() { return connection_.get(); }
  bool IsLoggedOn() const { return connection_ && connection_->logged_on(); }

  // Logs on over the open connection: stops an earlier heartbeat, connects,
  // exchanges Protocol information (refusing servers below 7.0 with the
  // version message box, then code 126), negotiates the session cipher,
  // authenticates the user, checks the secret key, marks the connection as
  // logged on and starts the heartbeat. Throws CBackupException with the
  // failure's code: 101 no connection (none open included), 107 PROT not
  // sent, 109 wrong or missing PDU (an access-key challenge failure too),
  // 112-116, 118, 122, 123 refusals, 102 secret key cancelled, 126 server
  // too old. A failure leaves the connection for the caller to close.
  void LogOn();

  // The logon of the panel's first show: opens, logs on and closes again.
  // A failure shows the text of logonFailure ("Error trying to run the
  // process", "User is unknown", "Password is not correct", "Operation
  // canceled by user") in a message box, never the code's own message.
  bool LogOnCheck();

  // Waits for the next PDU while pumping the user interface: its type (its
  // fields are then in connection()->values()); kWaitCancelled when `cancel`
  // reports cancellation and not throwing (code 102 when throwing); after 30
  // failed receives, or one decode error, kWaitFailed (code 109 when
  // throwing). REQUIRES: an open connection (else it fails at once).
  int WaitForPdu(CancelSource* cancel = nullptr, bool throw_on_failure = true);

  // The identity texts of the user authentication.
  std::u16string ComputerName() const;
  std::u16string DomainName() const;
  std::u16string Workstation() const { return DomainName() + u"\\" + ComputerName(); }

  // --- hooks of the front end

  // Called at every turn of a wait: the window system dispatches its
  // pending messages here. The default does nothing.
  void SetMessagePump(std::function<void()> pump) { pump_ = std::move(pump); }
  // The Secret Key Entry dialog (not owned); without one a rejected key
  // counts as cancelled.
  void SetSecretKeyDialog(SecretKeyDialog* dialog) { secret_key_dialog_ = dialog; }
  // Options of every connection opened later (tests switch the log off).
  void SetConnectionOptions(const protocol::ConnectionOptions& options) { options_ = options; }

  // --- fields

  SessionParameters& parameters() { return parameters_; }
  // Takes gathered parameters: their language offset, and their secret key
  // (the password, as every source sets it) as the secret key to offer.
  void SetParameters(const SessionParameters& parameters);
  SecurityFields& security() { return security_; }
  SessionTexts& texts() { return texts_; }
  // Sets the language offset of the parameters and of the texts together.
  void SetLanguageOffset(int32_t offset);

  const protocol::VersionNumber& server_version() const { return server_version_; }
  const std::u16string& server_protocol_text() const { return server_protocol_text_; }
  int32_t fallback_flag() const { return fallback_flag_; }
  // The cut-off date of the last response that carried one (null before).
  const DateTime& cut_off_date() const { return cut_off_date_; }
  int32_t logon_failure() const { return logon_failure_; }
  void set_logon_failure(int32_t reason) { logon_failure_ = reason; }

  std::u16string& display_name() { return display_name_; }
  // Volume name -> the computer (or domain) name it was backed up under.
  std::map<std::u16string, std::u16string>& volume_to_computer() { return volume_to_computer_; }
  // The server's volumes as the browse model keeps them for the process.
  std::map<std::u16string, std::u16string>& volume_map() { return volume_map_; }
  StorageFigures& storage() { return storage_; }

  // Time between heartbeats of the heartbeat started by the next logon.
  uint32_t heartbeat_interval_ms() const { return heartbeat_interval_ms_; }
  void set_heartbeat_interval_ms(uint32_t ms) { heartbeat_interval_ms_ = ms; }

  // HeartbeatSource: the current connection, kept open while `use` runs.
  void WithConnection(const std::function<void(protocol::ClientProtocol*)>& use) override;

 private:
  class Link;
  void LogOnFirstPhase(std::u16string& client_time);
  void CompleteLogOn(const std::u16string& client_time);

  SessionParameters parameters_;
  SecurityFields security_;
  SessionTexts texts_;

  // Replaced only by the user-interface thread; the heartbeat reads it under
  // connection_mutex_, which the replacement takes too.
  std::unique_ptr<protocol::ClientProtocol> connection_;
  std::mutex connection_mutex_;
  protocol::ConnectionOptions options_;

  protocol::VersionNumber server_version_;
  std::u16string server_protocol_text_;
  int32_t fallback_flag_ = 0;
  DateTime cut_off_date_ = DateTime::Null();
  int32_t logon_failure_ = kLogonFailureNone;

  std::u16string display_name_;
  std::map<std::u16string, std::u16string> volume_to_computer_;
  std::map<std::u16string, std::u16string> volume_map_;
  StorageFigures storage_;

  std::function<void()> pump_;
  SecretKeyDialog* secret_key_dialog_ = nullptr;
  uint32_t heartbeat_interval_ms_ = CHeartBeatThread::kDefaultIntervalMs;
};

// The process's session object, created on first use.
Session& TheSession();

}  // namespace bexa
