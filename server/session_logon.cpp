// The server's half of the logon: protocol information, encryption
// negotiation, user authentication and the secret-key check.
#include <ctime>
#include <random>

#include "platform/codepage.h"
#include "protocol/pdu_catalogue.h"
#include "protocol/version_number.h"
#include "security/cipher_catalogue.h"
#include "security/hex_text.h"
#include "server/session.h"
#include "util/text.h"

namespace bexa::server {

using namespace protocol;
using platform::Utf8ToWide;
using platform::WideToUtf8;

namespace {

constexpr int32_t kRipemd160 = 21;
constexpr int32_t kTripleDes = 2;
constexpr int32_t kAesFirst = 11;
constexpr int32_t kAesLast = 13;

// AUTH message codes.
constexpr int32_t kAuthNegotiate = 0;
constexpr int32_t kAuthGrant = 3;
constexpr int32_t kAuthDeny = 4;

// USRP results.
constexpr int32_t kUserAccepted = 0;
constexpr int32_t kUserUnknown = 1;
constexpr int32_t kUserBadPassword = 4;
constexpr int32_t kUserDisabled = 5;
constexpr int32_t kUserSecurityPackage = 6;

std::u16string Rmd(std::u16string_view text) {
  CryptoProvider digest(kRipemd160, true);
  digest.HashText(text);
  return digest.DigestHex();
}

std::u16string NowText() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y%m%d%H%M%S", &tm);
  return Utf8ToWide(buffer);
}

std::u16string RandomHex(size_t digits) {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  std::u16string out;
  for (size_t i = 0; i < digits; ++i) out += u"0123456789abcdef"[random() & 15];
  return out;
}

bool PasswordMethod(int type) { return type == 0 || type == 3 || type == 4 || type == 6; }
bool SecurityPackage(int type) { return type == 1 || type == 5; }

}  // namespace

bool Session::Logon() {
  return ExchangeProtocolInformation() && NegotiateEncryption() && AuthenticateUser() &&
         CheckSecretKey();
}

bool Session::ExchangeProtocolInformation() {
  int type = Receive();
  if (type != kPduProt) {
    if (type != 0) Event("expected PROT");
    return false;
  }
  client_version_ = in_.Text(tag::kVersion);
  client_time_ = in_.Text(tag::kProtocolText);
  if (faults_.heartbeat_instead_of_prot) {
    Send(kPduHtbt);
    DrainUntilClosed();
    return false;
  }
  const std::string announced =
      faults_.announce_version.empty() ? store_.server_version : faults_.announce_version;
  // The client codes every later PDU with the announced version as its
  // VersionNumber prints it, and the key digests use that same text.
  server_version_ = VersionNumber(Utf8ToWide(announced)).ToText();
  server_text_ = NowText();
  out_.SetText(tag::kVersion, Utf8ToWide(announced));
  out_.SetText(tag::kProtocolText, server_text_);
  if (!Send(kPduProt)) return false;
  version_ = server_version_;
  if (faults_.close_after_prot) {
    Event("closing after PROT (fault)");
    return false;
  }
  return true;
}

bool Session::NegotiateEncryption() {
  int type = Receive();
  if (type != kPduEncr) {
    if (type != 0) Event("expected ENCR");
    return false;
  }
  h1_ = in_.Text(tag::kKeyDigest);
  const std::u16string expected =
      Rmd(client_version_ + u":" + client_time_ + u":" + server_version_ + u":" + server_text_);
  if (h1_ != expected) {
    Event("ENCR digest differs from RMD(A:X:B:Y) = " + WideToUtf8(expected));
    return false;
  }
  h2_ = Rmd(h1_ + u":" + client_time_ + u":" + server_text_);
  out_.SetText(tag::kKeyDigest, faults_.uppercase_encp_digest ? ToUpper(h2_) : h2_);
  if (!Send(kPduEncp)) return false;

  type = Receive();
  if (type != kPduCspr) {
    if (type != 0) Event("expected CSPR");
    return false;
  }
  const int32_t offered = in_.Int(tag::kProviderId);
  if (faults_.wrong_pdu_instead_of_cspp) {
    out_.SetText(tag::kKeyDigest, h2_);
    Send(kPduEncp);
    DrainUntilClosed();
    return false;
  }
  out_.SetInt(tag::kProviderFlag, 1);
  // CSPP itself still goes out in the clear; the cipher starts with AINF.
  if (!Send(kPduCspp)) return false;
  if (offered == 0) return true;  // the client switches nothing on for 0
  const int32_t session_id = offered >= kAesFirst && offered <= kAesLast ? kTripleDes : offered;
  const ProviderInfo* info = FindProvider(session_id);
  if (info == nullptr || info->kind != ProviderKind::kCipher || 8 % info->block_size != 0) {
    Event("provider " + std::to_string(offered) + " cannot serve as session cipher");
    return false;
  }
  socket_.InstallCipher(
      std::make_unique<CryptoProvider>(session_id, true, Rmd(h1_ + u":" + h2_ + u":1")));
  return true;
}

bool Session::AuthenticateUser() {
  const int auth_type = faults_.ainf_type >= 0 ? faults_.ainf_type : store_.AuthType();
  out_.SetInt(tag::kAuthType, auth_type);
  out_.SetText(tag::kAuthDomain, u"");
  if (!Send(kPduAinf)) return false;

  int type = Receive();
  if (type != kPduAsts) {
    if (type != 0) Event("expected ASTS");
    return false;
  }
  if (in_.Int(tag::kAuthStatus) != 0) {
    Event("the client cannot serve authentication type " + std::to_string(auth_type));
    DrainUntilClosed();
    return false;
  }
  type = Receive();
  if (type != kPduUsrr) {
    if (type != 0) Event("expected USRR");
    return false;
  }
  const std::string user = WideToUtf8(in_.Text(tag::kUser));
  const std::string password = WideToUtf8(in_.Text(tag::kPassword));
  const Account* account = store_.FindAccount(user);
  if (account != nullptr) faults_ = Faults::Merge(store_.faults, account->faults);

  int32_t result = kUserAccepted;
  if (auth_type == 7) {
    // Unknown and disabled users get a challenge too (with a key nobody
    // holds), so the client reaches the USRP that names the reason.
    bool granted = false;
    const std::string key_source =
        account != nullptr && !account->disabled ? account->password : WideToUtf8(RandomHex(32));
    if (!RunAccessKeyChallenge(key_source, granted)) return false;
    result = account == nullptr ? kUserUnknown
             : account->disabled ? kUserDisabled
             : granted           ? kUserAccepted
                                 : kUserBadPassword;
  } else if (SecurityPackage(auth_type)) {
    result = account == nullptr ? kUserUnknown
             : account->disabled ? kUserDisabled
                                 : kUserSecurityPackage;
  } else {
    result = account == nullptr ? kUserUnknown
             : account->disabled ? kUserDisabled
             : account->password == password ? kUserAccepted
                                             : kUserBadPassword;
    if (!PasswordMethod(auth_type)) Event("authentication type " + std::to_string(auth_type) +
                                          " answered as a password logon");
  }
  if (faults_.usrp_result >= 0) result = faults_.usrp_result;

  out_.SetInt(tag::kLogonResult, result);
  out_.SetInt(tag::kFallbackFlag, result == kUserSecurityPackage ? 1 : 0);
  out_.SetText(tag::kCutOffDate, account != nullptr ? Utf8ToWide(account->cutoff_date) : u"");
  out_.SetInt(tag::kLogonFurtherValue, 0);
  if (!Send(kPduUsrp)) return false;

  if (result == kUserSecurityPackage) {
    if (account == nullptr || !RunMasterKeyFallback(*account)) return false;
  } else if (result != kUserAccepted || account == nullptr) {
    if (result == kUserAccepted) Event("logon result 0 forced for an unknown user");
    DrainUntilClosed();
    return false;
  }
  account_ = *account;
  return true;
}

bool Session::RunAccessKeyChallenge(const std::string& access_key_source, bool& granted) {
  granted = false;
  const std::u16string access_key = Rmd(Utf8ToWide(access_key_source));
  const std::u16string identifier = RandomHex(16);
  const std::u16string session_key = RandomHex(32);
  const std::u16string challenge =
      CryptoProvider(kTripleDes, true, access_key).EncryptTextToHex(identifier + u":" + session_key);
  std::vector<uint8_t> data;
  for (char16_t c : challenge) {
    data.push_back(static_cast<uint8_t>(c & 0xFF));
    data.push_back(static_cast<uint8_t>(c >> 8));
  }
  out_.SetInt(tag::kMessageCode, kAuthNegotiate);
  out_.SetBytes(tag::kMessageData, data.data(), data.size());
  if (!Send(kPduAuth)) return false;

  const int type = Receive();
  if (type != kPduAuth || in_.Int(tag::kMessageCode) != kAuthNegotiate) {
    if (type != 0) Event("expected the AUTH answer to the challenge");
    return false;
  }
  const auto& answer_bytes = in_.Bytes(tag::kMessageData);
  std::u16string answer;
  for (size_t i = 0; i + 1 < answer_bytes.size(); i += 2)
    answer += static_cast<char16_t>(answer_bytes[i] | answer_bytes[i + 1] << 8);
  if (!answer.empty())
    granted = CryptoProvider(kTripleDes, true, session_key).DecryptHexToText(answer) == identifier;
  out_.SetInt(tag::kMessageCode, granted ? kAuthGrant : kAuthDeny);
  out_.SetBytes(tag::kMessageData, nullptr, 0);
  return Send(kPduAuth);
}

bool Session::RunMasterKeyFallback(const Account& account) {
  // There is no security package here: every token is denied, which sends
  // the client on to the master key when it holds a password.
  for (;;) {
    const int type = Receive();
    switch (type) {
      case kPduAuth:
        out_.SetInt(tag::kMessageCode, kAuthDeny);
        out_.SetBytes(tag::kMessageData, nullptr, 0);
        if (!Send(kPduAuth)) return false;
        break;
      case kPduAbrt:
        break;  // the client gave up on its package; the master key may follow
      case kPduMkyr: {
        const bool accepted = WideToUtf8(in_.Text(tag::kPassword)) == account.password;
        out_.SetInt(tag::kMasterKeyStatus, accepted ? 0 : 1);
        if (!Send(kPduMkyp)) return false;
        if (!accepted) DrainUntilClosed();
        return accepted;
      }
      case 0:
        return false;
      default:
        Event("unexpected PDU in the security-package step");
        return false;
    }
  }
}

bool Session::CheckSecretKey() {
  int rejections = faults_.reject_secret_key_times;
  for (;;) {
    const int type = Receive();
    if (type != kPduPwdr) {
      if (type != 0) Event("expected PWDR");
      return false;
    }
    const std::string key = WideToUtf8(in_.Text(tag::kKeyText));
    int32_t status = 0;
    if (rejections > 0) {
      --rejections;
      status = 1;
    } else if (key != account_->DataKey()) {
      status = 1;
    }
    const std::u16string client_hint = in_.Text(tag::kKeyHint);
    out_.SetInt(tag::kKeyStatus, status);
    out_.SetText(tag::kKeyHint, !account_->secret_key_hint.empty()
                                    ? Utf8ToWide(account_->secret_key_hint)
                                    : status == 0 ? client_hint : u"");
    if (!Send(kPduPwdp)) return false;
    if (status == 0) return true;
  }
}

}  // namespace bexa::server
