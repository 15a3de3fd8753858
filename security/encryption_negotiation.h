// The encryption negotiation of the logon, right after the Protocol
// information exchange: both sides prove that they saw the same PROT values
// (ENCR/ENCP), the client names its provider (CSPR/CSPP), and the session
// cipher keyed from the exchanged digests is installed in the connection.
// All four PDUs travel in the clear.
#pragma once

#include <cstdint>
#include <string>

#include "security/logon_link.h"

namespace bexa {

// The PROT values that enter the digests.
struct NegotiationTexts {
  std::u16string client_version;  // A: the version text the client sent
  std::u16string client_time;     // X: the date-and-time text the client sent
  std::u16string server_version;  // B: the server's version in its text form
  std::u16string server_text;     // Y: the text field of the server's PROT
};

// The three digests of one negotiation, lowercase hex (RIPEMD-160).
struct NegotiationDigests {
  std::u16string client_digest;  // H1 = RMD(A:X:B:Y)
  std::u16string server_digest;  // expected H2 = RMD(H1:X:Y)
  std::u16string session_key;    // K = RMD(H1:H2:1), from the expected H2
};
NegotiationDigests ComputeNegotiationDigests(const NegotiationTexts& texts);

// RIPEMD-160 of the text's ANSI bytes as 40 lowercase hex digits.
std::u16string Ripemd160Hex(std::u16string_view text);

// Runs the negotiation on the link's connection. Returns with the session
// cipher (SessionCipherId(encryption_type), full strength, key K) installed;
// every later PDU is then enciphered. Throws CBackupException 109 when the
// answer to ENCR is not an ENCP, when its digest differs from RMD(H1:X:Y)
// (compared case-sensitively, so an uppercase digest fails), or when the
// answer to CSPR is not a CSPP.
void NegotiateEncryption(LogonLink& link, const NegotiationTexts& texts, int32_t encryption_type);

}  // namespace bexa
