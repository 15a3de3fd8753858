// The secret-key check's PDU exchange (PWDR/PWDP) over the logon's link.
#pragma once

#include "security/logon_link.h"
#include "security/secret_key_check.h"

namespace bexa {

class LinkPasswordExchange : public PasswordExchange {
 public:
  explicit LinkPasswordExchange(LogonLink& link) : link_(link) {}
  void SendPasswordRequest(std::u16string_view key, std::u16string_view hint,
                           std::u16string_view old_key) override;
  // A failed wait throws CBackupException 109 (the link's rule), which is
  // also what the check does with an answer that is not a PWDP.
  std::optional<PasswordResponse> ReceivePasswordResponse() override;

 private:
  LogonLink& link_;
};

}  // namespace bexa
