#include "security/secret_key_check.h"

#include "security/credentials.h"
#include "util/exceptions.h"

namespace bexa {
namespace {

constexpr uint32_t kErrorUnexpectedPdu = 109;
constexpr uint32_t kErrorCancelled = 102;
constexpr int32_t kLogonFailureCancelled = 9;

constexpr int32_t kKeyAccepted = 0;
constexpr int32_t kKeyRejected = 1;
constexpr int32_t kOldKeyRejected = 2;

}  // namespace

OfferedKey ChooseOfferedKey(const SecurityFields& fields, const SecretKeyLogon& logon) {
  if (fields.useSecretKey && !fields.secretKey.empty()) {
    return {fields.secretKey, fields.secretKeyHint};
  }
  if (logon.password.empty()) return {logon.user, logon.userNameHint};
  return {logon.password, logon.passwordHint};
}

void CheckSecretKey(SecurityFields& fields, const SecretKeyLogon& logon,
                    PasswordExchange& exchange, SecretKeyDialog& dialog,
                    int32_t& logon_failure) {
  const OfferedKey offered = ChooseOfferedKey(fields, logon);
  const std::u16string padded_key = PadCredential(offered.key);
  const std::u16string padded_hint = PadCredential(offered.hint);
  // The client keeps no previous key, so the third text starts empty.
  exchange.SendPasswordRequest(padded_key, padded_hint, u"");

  std::u16string server_hint;
  std::optional<std::u16string> entered;  // the last key typed after a rejection
  for (;;) {
    std::optional<PasswordResponse> response = exchange.ReceivePasswordResponse();
    if (!response) throw CBackupException(kErrorUnexpectedPdu);
    if (!response->hint.empty()) server_hint = response->hint;
    if (response->status == kKeyAccepted) break;
    if (response->status == kKeyRejected) {
      std::optional<std::u16string> key = dialog.AskSecretKey(server_hint);
      if (!key) {
        logon_failure = kLogonFailureCancelled;
        throw CBackupException(kErrorCancelled);
      }
      entered = *key;
      exchange.SendPasswordRequest(PadCredential(*key), u"", u"");
    } else if (response->status == kOldKeyRejected) {
      // The key typed here is only the old key the server asked for; it is
      // sent, never kept.
      std::optional<std::u16string> old_key = dialog.AskSecretKey(server_hint);
      if (old_key) {
        exchange.SendPasswordRequest(padded_key, padded_hint, PadCredential(*old_key));
      } else {
        exchange.SendPasswordRequest(u"", u"", u"");
      }
    }
  }

  if (!entered) return;
  if (*entered == logon.password) {
    fields.useSecretKey = false;
    fields.secretKey.clear();
    fields.secretKeyHint.clear();
  } else {
    fields.useSecretKey = true;
    fields.secretKey = *entered;
    fields.secretKeyHint = server_hint;
  }
}

}  // namespace bexa
