// The security-package side of the user authentication: an NTLM (type 1) or
// Kerberos (type 5) token exchange with the server in "Authentication
// message" PDUs, through the operating system's security support
// (platform/security_packages.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/security_packages.h"
#include "security/logon_link.h"

namespace bexa {

class SecurityPackageClient {
 public:
  // Result codes of Initialize and Authenticate.
  enum Result : int {
    kOk = 0,
    kNoLibrary = 1,
    kNoInterface = 2,
    kNoCredentials = 3,
    kNoCredentialsForContext = 4,  // the context failed with SEC_E_NO_CREDENTIALS
    kContextFailed = 5,
    kSendFailed = 6,
    kReceiveFailed = 7,
    kExchangeFailed = 8,           // ABRT, code 5 or an unknown code
    kUnexpectedPdu = 13,
    kNoCompleteAuthToken = 15,
  };
  // The output buffer for one token.
  static constexpr size_t kTokenCapacity = 512;

  // auth_type: 1 "NTLM", 5 "Kerberos".
  SecurityPackageClient(LogonLink& link, int32_t auth_type);
  // Deletes the context, if any, and unloads the library.
  ~SecurityPackageClient();
  SecurityPackageClient(const SecurityPackageClient&) = delete;
  SecurityPackageClient& operator=(const SecurityPackageClient&) = delete;

  // Loads the security library and its function table: kOk, kNoLibrary or
  // kNoInterface.
  int Initialize();

  // Runs the token exchange with the server for the user. `granted` is set
  // only when the server answered code 3. Returns kOk when the exchange ran
  // to the server's verdict (granted or not, code 4), else the failure code.
  // NTLM gets the domain, Kerberos none. No target name is given: the
  // server names none in its exchange either.
  // REQUIRES: Initialize returned kOk.
  int Authenticate(const std::u16string& user, const std::u16string& password,
                   const std::u16string& domain, bool& granted);

 private:
  int ExchangeTokens(bool& granted);

  LogonLink& link_;
  const int32_t auth_type_;
  std::unique_ptr<platform::SecurityInterface> table_;
  std::unique_ptr<platform::SecurityCredentials> credentials_;
  std::unique_ptr<platform::SecurityContext> context_;
  std::u16string user_, password_, domain_;
};

}  // namespace bexa
