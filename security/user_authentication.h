// The user authentication of the logon, once the session cipher is
// installed: the server names the method in "Authentication info" (AINF),
// the client proves the user's identity by password, by a security-package
// token exchange or by the access-key challenge, and the "User
// authentication response" (USRP) accepts or refuses the user.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "protocol/pdu_values.h"
#include "security/logon_link.h"

namespace bexa {

// Authentication types of AINF.
enum AuthenticationType : int32_t {
  kAuthPassword = 0,
  kAuthNtlm = 1,
  kAuthPassword3 = 3,
  kAuthPassword4 = 4,
  kAuthKerberos = 5,
  kAuthPassword6 = 6,
  kAuthAccessKey = 7,
};

// What the authentication needs of the session. The texts are unpadded.
struct AuthenticationValues {
  std::u16string user;
  std::u16string password;
  std::u16string workstation;  // domain + "\" + computer
};

// Called with the USRP's fields as soon as it arrives, before its result is
// acted on (the logon keeps the fallback flag and the cut-off date).
using UserResponseHook = std::function<void(const protocol::PduValues& usrp)>;

// Runs the authentication on the link's connection; returns when the user
// is accepted. Otherwise throws CBackupException with the code of the
// refusal: 109 for a wait that brought another PDU, an AINF type that is not
// served (after ASTS 1) or an unknown USRP result; 123 when the security
// package of type 1 or 5 cannot be initialised (after ASTS 1); 112 for
// result 1 (after setting logon_failure to 1), 114, 115, 116, 113, 122 and
// 118 for results 2, 3, 4, 5, 7 and 8; 116 after result 6 when neither the
// security package nor the master key accepts the user (after setting
// logon_failure to 2 and sending ABRT with reason 4). Type 7 may throw
// DatabaseAuthAccessException from the challenge.
void AuthenticateUser(LogonLink& link, const AuthenticationValues& values, int32_t& logon_failure,
                      const UserResponseHook& on_user_response = {});

}  // namespace bexa
