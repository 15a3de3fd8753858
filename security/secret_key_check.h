// The secret-key check that the logon runs right after the user has been
// authenticated: the client names the key text (and hint) it will use, the
// server accepts or rejects it, and on rejection the user is asked for the
// secret key, which is then kept for the rest of the process.
//
// The PDU exchange and the Secret Key Entry dialog come in through the two
// small interfaces below, so that the logic runs without a connection or a
// window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "security/security_fields.h"

namespace bexa {

// What a "Password response" (PWDP) carries: status 0 accepts the key, 1
// rejects it, 2 rejects the old key and asks for it; the hint the server
// holds for the key (may be empty).
struct PasswordResponse {
  int32_t status = 0;
  std::u16string hint;
};

// The connection side of the check.
class PasswordExchange {
 public:
  virtual ~PasswordExchange() = default;
  // Sends a "Password request" (PWDR) with the three texts as given (the
  // caller has padded them): key, hint, previous key. A failed send need not
  // be reported: the wait that follows it fails.
  virtual void SendPasswordRequest(std::u16string_view key, std::u16string_view hint,
                                   std::u16string_view old_key) = 0;
  // Waits for the next PDU: its status and text when it is a PWDP, nullopt
  // for any other PDU, a receive failure or the wait's give-up.
  virtual std::optional<PasswordResponse> ReceivePasswordResponse() = 0;
};

// The Secret Key Entry dialog, shown modally.
class SecretKeyDialog {
 public:
  virtual ~SecretKeyDialog() = default;
  // Shows the dialog with the hint; the typed key on OK, nullopt on Cancel.
  virtual std::optional<std::u16string> AskSecretKey(std::u16string_view hint) = 0;
};

// The account values the check needs, with the two localised hints the
// caller has already built: text 1110 ("Username...") and text 1075 ("The
// logon password for user '%s' on %s") filled with the user name and the
// current local date and time (long date, a space, time without seconds).
struct SecretKeyLogon {
  std::u16string user;
  std::u16string password;
  std::u16string userNameHint;
  std::u16string passwordHint;
};

// The key text and hint offered first: secretKey and secretKeyHint when
// useSecretKey is on and the key is not empty; else the user name with
// userNameHint when the password is empty; else the password with
// passwordHint.
struct OfferedKey {
  std::u16string key;
  std::u16string hint;
};
OfferedKey ChooseOfferedKey(const SecurityFields& fields, const SecretKeyLogon& logon);

// Runs the check. Returns when the server accepted a key; then, if the user
// entered a key after a rejection (the last entry counts), that key becomes
// the secret key with the server's hint, or, when it equals the password,
// the secret key is switched off and emptied. A rejection of the old key
// (status 2) asks for it and sends it beside the offered key; cancelling
// that sends three empty texts. Statuses other than 0, 1 and 2 wait again.
// Throws CBackupException 109 when the answer is not a PWDP, and 102 after
// setting `logon_failure` to 9 when the user cancels the dialog after a
// rejection (status 1).
void CheckSecretKey(SecurityFields& fields, const SecretKeyLogon& logon,
                    PasswordExchange& exchange, SecretKeyDialog& dialog,
                    int32_t& logon_failure);

}  // namespace bexa
