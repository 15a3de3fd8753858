#include "security/link_password_exchange.h"

#include "protocol/pdu_catalogue.h"
#include "protocol/pdu_tags.h"

namespace bexa {

void LinkPasswordExchange::SendPasswordRequest(std::u16string_view key, std::u16string_view hint,
                                               std::u16string_view old_key) {
  link_.Connection().SendPasswordRequest(key, hint, old_key);
}

std::optional<PasswordResponse> LinkPasswordExchange::ReceivePasswordResponse() {
  if (link_.WaitForPdu() != protocol::kPduPwdp) return std::nullopt;
  const protocol::PduValues& v = link_.Connection().values();
  return PasswordResponse{v.Int(protocol::tag::kKeyStatus), v.Text(protocol::tag::kKeyHint)};
}

}  // namespace bexa
