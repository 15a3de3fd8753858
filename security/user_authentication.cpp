#include "security/user_authentication.h"

#include <memory>

#include "protocol/pdu_catalogue.h"
#include "protocol/pdu_tags.h"
#include "security/credentials.h"
#include "security/database_auth_access.h"
#include "security/encryption_negotiation.h"
#include "security/security_package_client.h"
#include "util/exceptions.h"

namespace bexa {
namespace {

constexpr uint32_t kUnexpectedPdu = 109;
constexpr uint32_t kNotValidUser = 112;
constexpr uint32_t kAccountDisabled = 113;
constexpr uint32_t kNoWorkingDirectories = 114;
constexpr uint32_t kNoUserLogFile = 115;
constexpr uint32_t kBadUserOrPassword = 116;
constexpr uint32_t kAccountActive = 118;
constexpr uint32_t kServerLowOnDisk = 122;
constexpr uint32_t kUnsupportedAuthentication = 123;

constexpr int32_t kStatusGoOn = 0;
constexpr int32_t kStatusCannotServe = 1;
constexpr int32_t kAbortReasonAuthentication = 4;
constexpr int32_t kFailureUserUnknown = 1;
constexpr int32_t kFailurePassword = 2;

// USRP results.
enum LogonResult : int32_t {
  kAccepted = 0,
  kNotConfigured = 1,
  kNoDirectories = 2,
  kNoLogFile = 3,
  kBadPassword = 4,
  kDisabled = 5,
  kRunSecurityPackage = 6,
  kLowOnDisk = 7,
  kActive = 8,
};

bool IsPasswordType(int32_t t) {
  return t == kAuthPassword || t == kAuthPassword3 || t == kAuthPassword4 || t == kAuthPassword6;
}

}  // namespace

void AuthenticateUser(LogonLink& link, const AuthenticationValues& values, int32_t& logon_failure,
                      const UserResponseHook& on_user_response) {
  protocol::ProtocolConnection& connection = link.Connection();
  if (link.WaitForPdu() != protocol::kPduAinf) throw CBackupException(kUnexpectedPdu);
  const int32_t type = connection.values().Int(protocol::tag::kAuthType);
  const std::u16string domain = connection.values().Text(protocol::tag::kAuthDomain);

  const std::u16string user = PadCredential(values.user);
  const std::u16string workstation = PadCredential(values.workstation);
  std::unique_ptr<SecurityPackageClient> package;
  if (IsPasswordType(type)) {
    connection.SendAuthenticationStatus(kStatusGoOn);
    connection.SendUserAuthenticationRequest(user, PadCredential(values.password), workstation);
  } else if (type == kAuthNtlm || type == kAuthKerberos) {
    package = std::make_unique<SecurityPackageClient>(link, type);
    if (package->Initialize() != SecurityPackageClient::kOk) {
      connection.SendAuthenticationStatus(kStatusCannotServe);
      throw CBackupException(kUnsupportedAuthentication);
    }
    connection.SendAuthenticationStatus(kStatusGoOn);
    connection.SendUserAuthenticationRequest(user, u"", workstation);
  } else if (type == kAuthAccessKey) {
    connection.SendAuthenticationStatus(kStatusGoOn);
    connection.SendUserAuthenticationRequest(user, u"", workstation);
    // The server's verdict comes in the USRP; the challenge's own answer is
    // not needed.
    DatabaseAuthAccess(link, Ripemd160Hex(values.password)).ProcessAuthRespond();
  } else {
    connection.SendAuthenticationStatus(kStatusCannotServe);
    throw CBackupException(kUnexpectedPdu);
  }

  if (link.WaitForPdu() != protocol::kPduUsrp) throw CBackupException(kUnexpectedPdu);
  if (on_user_response) on_user_response(connection.values());
  const int32_t result = connection.values().Int(protocol::tag::kLogonResult);
  // Kept now: the token exchange below overwrites the values record.
  const int32_t fallback = connection.values().Int(protocol::tag::kFallbackFlag);
  switch (result) {
    case kAccepted:
      return;
    case kNotConfigured:
      logon_failure = kFailureUserUnknown;
      throw CBackupException(kNotValidUser);
    case kNoDirectories:
      throw CBackupException(kNoWorkingDirectories);
    case kNoLogFile:
      throw CBackupException(kNoUserLogFile);
    case kBadPassword:
      throw CBackupException(kBadUserOrPassword);
    case kDisabled:
      throw CBackupException(kAccountDisabled);
    case kLowOnDisk:
      throw CBackupException(kServerLowOnDisk);
    case kActive:
      throw CBackupException(kAccountActive);
    case kRunSecurityPackage:
      break;
    default:
      throw CBackupException(kUnexpectedPdu);
  }

  // Result 6 asks for the security-package step. After a request that used
  // no security package there is no token exchange to run, so the server's
  // request cannot be answered: it is a refusal like result 4, without the
  // master key fallback and without a "password not correct" reason, since
  // no password was found wrong.
  if (!package) throw CBackupException(kBadUserOrPassword);

  bool granted = false;
  bool accepted = package->Authenticate(values.user, values.password, domain, granted) ==
                      SecurityPackageClient::kOk &&
                  granted;
  if (!accepted && fallback != 0 && !values.password.empty()) {
    connection.SendMasterKeyRequest(PadCredential(values.password));
    if (link.WaitForPdu() != protocol::kPduMkyp) throw CBackupException(kUnexpectedPdu);
    accepted = connection.values().Int(protocol::tag::kMasterKeyStatus) == 0;
  }
  if (!accepted) {
    logon_failure = kFailurePassword;
    connection.SendAbort(kAbortReasonAuthentication);
    throw CBackupException(kBadUserOrPassword);
  }
}

}  // namespace bexa
