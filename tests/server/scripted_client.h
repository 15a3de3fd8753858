// A scripted client for the server's tests, on the client's own transport:
// logs on step by step and offers the requests one by one, so a test can
// also stop anywhere or send what a faulty client would.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "protocol/pdu_catalogue.h"
#include "protocol/pdu_tags.h"
#include "protocol/protocol_connection.h"
#include "security/credentials.h"
#include "security/crypto_provider.h"

namespace bexa::server::testing {

inline std::u16string Rmd(std::u16string_view text) {
  CryptoProvider digest(21, true);
  digest.HashText(text);
  return digest.DigestHex();
}

// The session cipher of the transport over a provider of the catalogue.
class ProviderCipher : public protocol::SessionCipher {
 public:
  ProviderCipher(int32_t id, std::u16string_view key) : provider_(id, true, key) {}
  size_t BlockSize() const override { return provider_.BlockSize(); }
  bool EncryptRange(uint8_t* data, size_t size) override {
    return size == 0 || provider_.EncryptBlocks(data, static_cast<uint32_t>(size));
  }
  bool DecryptRange(uint8_t* data, size_t size) override {
    return size == 0 || provider_.DecryptBlocks(data, static_cast<uint32_t>(size));
  }

 private:
  CryptoProvider provider_;
};

inline protocol::ConnectionOptions ClientOptions() {
  protocol::ConnectionOptions o;
  o.max_receive_buffer = 262188;
  o.upload_cache = 262144;
  o.allow_log = false;
  return o;
}

class ScriptedClient {
 public:
  static constexpr char16_t kClientVersion[] = u"7.0.0.0KVO";
  static constexpr char16_t kClientTime[] = u"Tuesday, 2 January 2024 03:04";

  explicit ScriptedClient(uint16_t port) : c_(ClientOptions()) {
    connected_ = c_.Connect(port, "127.0.0.1") == 0;
  }

  bool connected() const { return connected_; }
  protocol::ProtocolConnection& connection() { return c_; }
  const protocol::PduValues& values() const { return c_.values(); }

  // The next PDU's type; 0 when the receive failed.
  int Next() {
    int type = 0;
    last_status = c_.Receive(type);
    return last_status == 0 ? type : 0;
  }

  // PROT, ENCR/ENCP, CSPR/CSPP and the session cipher. False at the first
  // answer that is not the expected one.
  bool Negotiate() {
    if (c_.SendProtocolInformation(kClientVersion, kClientTime) != 0) return false;
    if (Next() != protocol::kPduProt) return false;
    const protocol::VersionNumber version = c_.values().Version();
    announced = c_.values().Text(protocol::tag::kVersion);
    const std::u16string b = version.ToText();
    const std::u16string y = c_.values().Text(protocol::tag::kProtocolText);
    c_.SetProtocolVersion(version);
    const std::u16string h1 = Rmd(std::u16string(kClientVersion) + u":" + kClientTime + u":" +
                                  b + u":" + y);
    if (c_.SendEncryptionKeyRequest(h1) != 0 || Next() != protocol::kPduEncp) return false;
    const std::u16string h2 = c_.values().Text(protocol::tag::kKeyDigest);
    if (h2 != Rmd(h1 + u":" + kClientTime + u":" + y)) return false;
    if (c_.SendCryptoProviderRequest(11, 1) != 0 || Next() != protocol::kPduCspp) return false;
    c_.InstallSessionCipher(std::make_unique<ProviderCipher>(2, Rmd(h1 + u":" + h2 + u":1")));
    return true;
  }

  // AINF, ASTS 0, USRR (password method) and USRP: the logon result, or -1.
  int Authenticate(std::u16string_view user, std::u16string_view password) {
    if (Next() != protocol::kPduAinf) return -1;
    auth_type = c_.values().Int(protocol::tag::kAuthType);
    if (c_.SendAuthenticationStatus(0) != 0) return -1;
    const bool challenge = auth_type == 7;
    if (c_.SendUserAuthenticationRequest(PadCredential(user),
                                         challenge ? u"" : PadCredential(password),
                                         PadCredential(u"WORKGRP\\PC1")) != 0)
      return -1;
    if (challenge && !AnswerChallenge(password)) return -1;
    if (Next() != protocol::kPduUsrp) return -1;
    return c_.values().Int(protocol::tag::kLogonResult);
  }

  // The client half of the access-key challenge; true when granted.
  bool AnswerChallenge(std::u16string_view password) {
    if (Next() != protocol::kPduAuth) return false;
    const auto& bytes = c_.values().Bytes(protocol::tag::kMessageData);
    std::u16string hex;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
      hex += static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
    const std::u16string plain = CryptoProvider(2, true, Rmd(password)).DecryptHexToText(hex);
    const auto colon = plain.find(u':');
    std::u16string answer = u"00";
    if (colon != std::u16string::npos) {
      answer = CryptoProvider(2, true, plain.substr(colon + 1))
                   .EncryptTextToHex(plain.substr(0, colon));
    }
    std::vector<uint8_t> data;
    for (char16_t ch : answer) {
      data.push_back(static_cast<uint8_t>(ch));
      data.push_back(static_cast<uint8_t>(ch >> 8));
    }
    if (c_.SendAuthenticationMessage(0, data.data(), data.size()) != 0) return false;
    return Next() == protocol::kPduAuth && c_.values().Int(protocol::tag::kMessageCode) == 3;
  }

  // PWDR and PWDP: the key status, or -1.
  int OfferKey(std::u16string_view key, std::u16string_view hint) {
    if (c_.SendPasswordRequest(PadCredential(key), PadCredential(hint), u"") != 0) return -1;
    if (Next() != protocol::kPduPwdp) return -1;
    return c_.values().Int(protocol::tag::kKeyStatus);
  }

  // The whole logon with a password method and an accepted key.
  bool LogOn(std::u16string_view user, std::u16string_view password) {
    return Negotiate() && Authenticate(user, password) == 0 && OfferKey(password, u"hint") == 0;
  }

  std::vector<std::u16string> SystemList() {
    if (c_.SendSystemListRequest() != 0 || Next() != protocol::kPduSlsp) return {};
    return c_.values().TextList(protocol::tag::kVolume);
  }

  // One received file: FINF fields, the stream as received, the VERR value.
  struct File {
    int32_t sfil_status = -1;
    int32_t compression = 0, encrypted = 0, attributes = 0;
    int64_t size = 0;
    uint32_t file_crc = 0, verr_crc = 0;
    std::u16string modified;
    std::string stream;
    bool verr = false;
  };

  // Receives the answers for one requested file and accepts it (FSTS 0,
  // VERP 1). False when the server's sequence breaks off.
  bool ReceiveFile(File& f, int32_t fsts = 0) {
    if (Next() != protocol::kPduSfil) return false;
    f.sfil_status = c_.values().Int(protocol::tag::kServerFileStatus);
    if (f.sfil_status != 0) return true;
    if (Next() != protocol::kPduFinf) return false;
    const auto& v = c_.values();
    f.compression = v.Int(protocol::tag::kCompression);
    f.encrypted = v.Int(protocol::tag::kEncryptionFlag);
    f.attributes = v.Int(protocol::tag::kAttributes);
    f.size = v.Wide(protocol::tag::kFileSize);
    f.file_crc = static_cast<uint32_t>(v.Int(protocol::tag::kCrc));
    f.modified = v.Text(protocol::tag::kModificationDate);
    if (c_.SendFileStatus(fsts, 0, 0) != 0) return false;
    if (fsts != 0 || f.size == 0) return true;
    for (;;) {
      if (Next() != protocol::kPduFdta) return false;
      auto& payload = c_.values().ReceivedPayload();
      std::string bytes(payload.Size(), '\0');
      payload.CopyTo(reinterpret_cast<uint8_t*>(bytes.data()));
      f.stream += bytes;
      if (c_.values().Int(protocol::tag::kLastBlock) != 0) break;
    }
    if (Next() != protocol::kPduVerr) return false;
    f.verr = true;
    f.verr_crc = static_cast<uint32_t>(c_.values().Int(protocol::tag::kVerifyCrc));
    return c_.SendFileVerifyResponse(1, 0, 0, u"") == 0;
  }

  std::u16string announced;
  int32_t auth_type = -1;
  int last_status = 0;  // of the last receive

 private:
  protocol::ProtocolConnection c_;
  bool connected_ = false;
};

}  // namespace bexa::server::testing
