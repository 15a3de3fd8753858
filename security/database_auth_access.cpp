#include "security/database_auth_access.h"

#include <algorithm>
#include <vector>

#include "protocol/pdu_catalogue.h"
#include "protocol/pdu_tags.h"
#include "security/crypto_provider.h"
#include "util/exceptions.h"
#include "util/text.h"

namespace bexa {
namespace {

constexpr int32_t kTripleDes = 2;
constexpr int32_t kNegotiate = 0;  // AUTH_MSG_NEGOTIATE
constexpr int32_t kGrant = 3;      // AUTH_MSG_GRANT

[[noreturn]] void Fail(std::u16string text) { throw DatabaseAuthAccessException(std::move(text)); }

template <typename T>
void Wipe(T& text) {
  std::fill(text.begin(), text.end(), typename T::value_type{});
  text.clear();
}

// The data block read as UTF-16LE characters (length / 2 of them).
std::u16string TextOfBytes(const std::vector<uint8_t>& bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  return text;
}

// UTF-16LE characters of the text, without a terminator.
std::vector<uint8_t> BytesOfText(std::u16string_view text) {
  std::vector<uint8_t> bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  return bytes;
}

}  // namespace

DatabaseAuthAccess::DatabaseAuthAccess(LogonLink& link, std::u16string access_key)
    : link_(link), access_key_(std::move(access_key)) {}

DatabaseAuthAccess::~DatabaseAuthAccess() { Wipe(access_key_); }

bool DatabaseAuthAccess::ProcessAuthRespond() {
  protocol::ProtocolConnection& connection = link_.Connection();
  if (link_.WaitForPdu(false) != protocol::kPduAuth)
    Fail(u"DatabaseAuthAccess::ProcessAuthRespond - failed to receive AUTH pdu.");
  const int32_t code = connection.values().Int(protocol::tag::kMessageCode);
  if (code != kNegotiate)
    Fail(Format(u"%s; msg:%d",
                u"DatabaseAuthAccess::ProcessAuthRespond - failed to receive valid authentication "
                u"AUTH_MSG_NEGOTIATE.",
                code));

  std::u16string challenge = TextOfBytes(connection.values().Bytes(protocol::tag::kMessageData));
  std::u16string plain;
  if (!challenge.empty()) {
    CryptoProvider access_cipher(kTripleDes, true, access_key_);
    plain = access_cipher.DecryptHexToText(challenge);
  }
  const size_t colon = plain.find(u':');
  if (colon == std::u16string::npos) {
    Wipe(plain);
    Fail(u"DatabaseAuthAccess::ProcessAuthRespond - invalid session key and id string.");
  }
  std::u16string identifier = plain.substr(0, colon);
  std::u16string session_key = plain.substr(colon + 1);
  Wipe(plain);

  std::u16string answer;
  // An empty identifier or session key cannot key or fill a cipher; the
  // server then gets an empty answer and denies access.
  if (!identifier.empty() && !session_key.empty()) {
    CryptoProvider session_cipher(kTripleDes, true, session_key);
    answer = session_cipher.EncryptTextToHex(identifier);
  }
  Wipe(session_key);
  Wipe(identifier);
  const std::vector<uint8_t> data = BytesOfText(answer);
  if (connection.SendAuthenticationMessage(kNegotiate, data.data(), data.size()) !=
      protocol::kStatusOk)
    Fail(u"DatabaseAuthAccess::ProcessAuthRespond - failed to send AUTH_MSG_NEGOTIATE.");

  if (link_.WaitForPdu(false) != protocol::kPduAuth)
    Fail(u"DatabaseAuthAccess::ProcessAuthRespond - failed to receive final AUTH pdu.");
  return connection.values().Int(protocol::tag::kMessageCode) == kGrant;
}

}  // namespace bexa
