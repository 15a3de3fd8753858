// A scripted backup server for the session tests: it plays the server's
// side of a whole logon on a loopback port, byte for byte through the
// protocol's own codec, with the answers a test chooses, and keeps a log of
// every PDU type the client sent.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "protocol/version_number.h"
#include "security/crypto_provider.h"
#include "security/provider_session_cipher.h"
#include "tests/support/scripted_peer.h"

namespace bexa::testing {

// The PDU types the server received, in order; waitable.
class PduLog {
 public:
  void Add(int type) {
    std::lock_guard<std::mutex> g(m_);
    types_.push_back(type);
    cv_.notify_all();
  }
  std::vector<int> Types() const {
    std::lock_guard<std::mutex> g(m_);
    return types_;
  }
  int Count(int type) const {
    std::lock_guard<std::mutex> g(m_);
    int n = 0;
    for (int t : types_) n += t == type;
    return n;
  }
  // Waits until `type` was seen `count` times; false after timeout_ms.
  bool WaitFor(int type, int count, int timeout_ms) {
    std::unique_lock<std::mutex> g(m_);
    return cv_.wait_for(g, std::chrono::milliseconds(timeout_ms), [&] {
      int n = 0;
      for (int t : types_) n += t == type;
      return n >= count;
    });
  }

 private:
  mutable std::mutex m_;
  std::condition_variable cv_;
  std::vector<int> types_;
};

struct ServerPlan {
  std::u16string version = u"7.0.2";
  std::u16string text = u"Backup server ready";
  bool heartbeat_for_prot = false;  // answer PROT with a Heartbeat
  bool close_after_prot = false;    // close the connection instead of answering
  bool bad_frame_for_prot = false;  // answer PROT with a damaged frame header
  int32_t auth_type = 0;
  int32_t usrp_result = 0;
  int32_t fallback = 0;
  std::u16string cut_off;
  int32_t mkyp_status = -1;          // answer a MKYR with this status
  std::vector<int32_t> pwdp = {0};   // PWDP statuses, one per PWDR
  std::u16string password = u"secret";  // what the access key is made of
};

// What the server saw of the client's requests.
struct ServerSaw {
  std::u16string client_version, client_time;
  std::u16string user, password, workstation;
  std::vector<std::u16string> keys;  // the key text of each PWDR
  bool cspr_in_clear = false;
};

inline void PlayLogon(protocol::ProtocolConnection& s, const ServerPlan& plan, PduLog& log,
                      ServerSaw& saw) {
  namespace tag = protocol::tag;
  using protocol::VersionNumber;
  // Receives the next PDU into the log; false when the client is gone.
  auto next = [&](int& type) {
    if (s.Receive(type) != 0) return false;
    log.Add(type);
    return true;
  };
  int type = 0;
  auto expect = [&](int want) {
    if (!next(type)) return false;
    EXPECT_EQ(type, want);
    return type == want;
  };
  if (!expect(protocol::kPduProt)) return;
  saw.client_version = s.values().Version().ToText();
  saw.client_time = s.values().Text(tag::kProtocolText);
  if (plan.close_after_prot) {
    s.Close();
    return;
  }
  if (plan.bad_frame_for_prot) {
    const uint8_t bad_header[8] = {3, 0, 0, 0, 0, 0, 0, 4};
    s.socket().Send(bad_header, sizeof bad_header);
    while (next(type)) {
    }
    return;
  }
  if (plan.heartbeat_for_prot) {
    s.SendHeartbeat();
  } else {
    s.SendProtocolInformation(plan.version, plan.text);
  }
  const VersionNumber version(plan.version);
  s.SetProtocolVersion(version);
  if (plan.heartbeat_for_prot || version < VersionNumber(u"7.0")) {
    while (next(type)) {
    }
    return;
  }

  if (!expect(protocol::kPduEncr)) return;
  const std::u16string h1 = Rmd(saw.client_version + u":" + saw.client_time + u":" +
                                version.ToText() + u":" + plan.text);
  EXPECT_EQ(s.values().Text(tag::kKeyDigest), h1);
  const std::u16string h2 = Rmd(h1 + u":" + saw.client_time + u":" + plan.text);
  s.values().SetText(tag::kKeyDigest, h2);
  s.SendPdu(protocol::kPduEncp);
  if (!expect(protocol::kPduCspr)) return;
  saw.cspr_in_clear = s.session_cipher() == nullptr;
  EXPECT_EQ(s.values().Int(tag::kProviderId), 11);
  s.values().SetInt(tag::kProviderFlag, 1);
  s.SendPdu(protocol::kPduCspp);
  s.InstallSessionCipher(std::make_unique<ProviderSessionCipher>(2, Rmd(h1 + u":" + h2 + u":1")));

  s.values().SetInt(tag::kAuthType, plan.auth_type);
  s.values().SetText(tag::kAuthDomain, u"CORP");
  s.SendPdu(protocol::kPduAinf);
  if (!expect(protocol::kPduAsts)) return;
  if (s.values().Int(tag::kAuthStatus) != 0) {
    while (next(type)) {
    }
    return;
  }
  if (!expect(protocol::kPduUsrr)) return;
  saw.user = s.values().Text(tag::kUser);
  saw.password = s.values().Text(tag::kPassword);
  saw.workstation = s.values().Text(tag::kWorkstation);
  if (plan.auth_type == 7) {
    CryptoProvider access(2, true, Rmd(plan.password));
    const std::u16string challenge = access.EncryptTextToHex(u"ID-1:key:with:colons");
    std::vector<uint8_t> data;
    for (char16_t c : challenge) data.push_back(static_cast<uint8_t>(c)), data.push_back(0);
    s.SendAuthenticationMessage(0, data.data(), data.size());
    if (!expect(protocol::kPduAuth)) return;
    const auto& bytes = s.values().Bytes(tag::kMessageData);
    std::u16string hex;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) hex.push_back(bytes[i] | bytes[i + 1] << 8);
    std::u16string plain;
    if (!hex.empty()) plain = CryptoProvider(2, true, u"key:with:colons").DecryptHexToText(hex);
    s.SendAuthenticationMessage(plain == u"ID-1" ? 3 : 4, nullptr, 0);
  }
  s.values().SetInt(tag::kLogonResult, plan.usrp_result);
  s.values().SetInt(tag::kFallbackFlag, plan.fallback);
  s.values().SetText(tag::kCutOffDate, plan.cut_off);
  s.SendPdu(protocol::kPduUsrp);

  // From here on the server answers what comes, until the client goes.
  size_t pwdp = 0;
  while (next(type)) {
    if (type == protocol::kPduAuth) {
      s.SendAuthenticationMessage(4, nullptr, 0);  // the package's token is denied
    } else if (type == protocol::kPduMkyr && plan.mkyp_status >= 0) {
      s.values().SetInt(tag::kMasterKeyStatus, plan.mkyp_status);
      s.SendPdu(protocol::kPduMkyp);
    } else if (type == protocol::kPduPwdr) {
      saw.keys.push_back(s.values().Text(tag::kKeyText));
      s.values().SetInt(tag::kKeyStatus, pwdp < plan.pwdp.size() ? plan.pwdp[pwdp] : 0);
      s.values().SetText(tag::kKeyHint, u"server hint");
      ++pwdp;
      s.SendPdu(protocol::kPduPwdp);
    }
  }
}

}  // namespace bexa::testing
