#include "security/encryption_negotiation.h"

#include <memory>

#include "protocol/pdu_catalogue.h"
#include "protocol/pdu_tags.h"
#include "security/crypto_provider.h"
#include "security/provider_session_cipher.h"
#include "util/exceptions.h"
#include "util/text.h"

namespace bexa {
namespace {

constexpr int32_t kRipemd160 = 21;
constexpr uint32_t kUnexpectedPdu = 109;
// The client always asks for its provider with this flag.
constexpr int32_t kProviderFlag = 1;

}  // namespace

std::u16string Ripemd160Hex(std::u16string_view text) {
  CryptoProvider digest(kRipemd160, true);
  digest.HashText(text);
  return digest.DigestHex();
}

NegotiationDigests ComputeNegotiationDigests(const NegotiationTexts& t) {
  NegotiationDigests d;
  d.client_digest = Ripemd160Hex(
      Format(u"%s:%s:%s:%s", t.client_version, t.client_time, t.server_version, t.server_text));
  d.server_digest = Ripemd160Hex(Format(u"%s:%s:%s", d.client_digest, t.client_time, t.server_text));
  d.session_key = Ripemd160Hex(Format(u"%s:%s:%d", d.client_digest, d.server_digest, 1));
  return d;
}

void NegotiateEncryption(LogonLink& link, const NegotiationTexts& texts, int32_t encryption_type) {
  protocol::ProtocolConnection& connection = link.Connection();
  const NegotiationDigests expected = ComputeNegotiationDigests(texts);

  // A failed send shows in the wait that follows it.
  connection.SendEncryptionKeyRequest(expected.client_digest);
  if (link.WaitForPdu() != protocol::kPduEncp) throw CBackupException(kUnexpectedPdu);
  const std::u16string server_digest = connection.values().Text(protocol::tag::kKeyDigest);
  if (server_digest != expected.server_digest) throw CBackupException(kUnexpectedPdu);

  // Encoding a CSPR with a provider switches encryption on; with no cipher
  // installed yet, this request and its answer still travel in the clear.
  connection.SendCryptoProviderRequest(encryption_type, kProviderFlag);
  if (link.WaitForPdu() != protocol::kPduCspp) throw CBackupException(kUnexpectedPdu);

  const std::u16string session_key =
      Ripemd160Hex(Format(u"%s:%s:%d", expected.client_digest, server_digest, 1));
  connection.InstallSessionCipher(
      std::make_unique<ProviderSessionCipher>(SessionCipherId(encryption_type), session_key));
}

}  // namespace bexa
