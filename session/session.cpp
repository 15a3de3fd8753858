#include "session/session.h"

#include <thread>
#include <utility>

#include "platform/home.h"
#include "platform/profile.h"
#include "platform/sync.h"
#include "platform/system.h"
#include "platform/ui/message_box.h"
#include "session/status_messages.h"

namespace bexa {
namespace {

// A wait for a PDU sleeps on the receive worker's answer in slices of this
// length, so an answer is taken the moment it arrives while a cancel or the
// window's messages are still seen between slices.
constexpr uint32_t kWaitSliceMs = 10;

std::u16string Upper(std::u16string text) {
  for (auto& c : text)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  return text;
}

}  // namespace

Session::Session() {
  parameters_.port = kDefaultPort;
  parameters_.firewall_port = kDefaultFirewallPort;
  parameters_.language_offset = 0;
  security_.encryptionType = kDefaultEncryptionType;
}

Session::~Session() {
  // The heartbeat reads this object's connection; it must end first.
  if (CHeartBeatThread* heartbeat = CurrentHeartbeat(); heartbeat && heartbeat->source() == this)
    StopHeartbeat();
  CloseConnection();
}

void Session::SetParameters(const SessionParameters& parameters) {
  parameters_ = parameters;
  texts_.SetLanguageOffset(parameters_.language_offset);
  security_.secretKey = parameters_.secret_key;
}

void Session::SetLanguageOffset(int32_t offset) {
  parameters_.language_offset = offset;
  texts_.SetLanguageOffset(offset);
}

bool Session::OpenConnection() {
  CloseConnection();
  auto connection = std::make_unique<protocol::ClientProtocol>(options_);
  {
    std::lock_guard<std::mutex> guard(connection_mutex_);
    connection_ = std::move(connection);
  }
  return protocol::ProtocolConnection::StartSockets();
}

void Session::CloseConnection() {
  std::unique_ptr<protocol::ClientProtocol> connection;
  {
    // Waits for a heartbeat in progress; later beats find no connection.
    std::lock_guard<std::mutex> guard(connection_mutex_);
    connection = std::move(connection_);
  }
  if (!connection) return;
  connection->SendQuit();
  connection->Close();
  protocol::ProtocolConnection::StopSockets();
  connection.reset();
}

void Session::WithConnection(const std::function<void(protocol::ClientProtocol*)>& use) {
  std::lock_guard<std::mutex> guard(connection_mutex_);
  use(connection_.get());
}

int Session::WaitForPdu(CancelSource* cancel, bool throw_on_failure) {
  int failures = 0;
  for (;;) {
    if (cancel && cancel->Cancelled()) {
      if (throw_on_failure) throw CBackupException(kStatusCancelled);
      return kWaitCancelled;
    }
    if (pump_) pump_();
    int type = 0;
    const int status =
        connection_ ? connection_->WaitReceive(type, kWaitSliceMs) : protocol::kStatusReceiveFailed;
    if (status == protocol::kStatusPending) continue;
    if (status == protocol::kStatusOk) return type;
    // The next poll asks for a new receive; a damaged stream cannot be
    // resynchronised, and without a connection nothing will come.
    if (++failures >= kReceiveFailuresToGiveUp || status == protocol::kStatusDecodeError ||
        !connection_) {
      if (throw_on_failure) throw CBackupException(kStatusUnexpectedPdu);
      return kWaitFailed;
    }
  }
}

std::u16string Session::ComputerName() const { return platform::ComputerName(); }

std::u16string Session::DomainName() const {
  // A control character that no settings line carries marks "not there".
  const std::u16string missing = u"\x01";
  std::u16string domain = platform::GetProfileString(u"Winlogon", u"DefaultDomainName", missing,
                                                     256, platform::WinIniPath());
  if (domain == missing) domain = u"WORKGRP";
  if (domain.empty()) domain = ComputerName();
  return Upper(domain);
}

bool Session::LogOnCheck() {
  logon_failure_ = kLogonFailureNone;
  try {
    OpenConnection();
    LogOn();
    CloseConnection();
    return true;
  } catch (...) {
    // Every failure ends here; only the reason's text is shown.
    const char16_t* text = nullptr;
    switch (logon_failure_) {
      case kLogonFailureNone:
        text = u"Error trying to run the process";
        logon_failure_ = kLogonFailureOther;
        break;
      case kLogonFailureUserUnknown:
        text = u"User is unknown";
        break;
      case kLogonFailurePassword:
        text = u"Password is not correct";
        break;
      case kLogonFailureCancelled:
        text = u"Operation canceled by user";
        break;
      default:
        break;
    }
    if (text) platform::ui::ShowMessageBox(text, u"", platform::ui::kMbOk);
    CloseConnection();
    return false;
  }
}

Session& TheSession() {
  static Session session;
  return session;
}

}  // namespace bexa
