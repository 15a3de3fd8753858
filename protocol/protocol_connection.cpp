#include "protocol/protocol_connection.h"

#include "platform/codepage.h"
#include "protocol/pdu_catalogue.h"
#include "protocol/pdu_codec.h"
#include "protocol/settings.h"
#include "protocol/socket_errors.h"
#include "util/text.h"

namespace bexa::protocol {
namespace {

constexpr size_t kMaxDottedText = 260;  // with its terminator

class SocketSource : public ByteSource {
 public:
  explicit SocketSource(platform::TcpSocket& s) : s_(s) {}
  long Receive(uint8_t* data, size_t size, bool non_blocking) override {
    return s_.Receive(data, size, non_blocking);
  }
  int Error() const override { return s_.LastError(); }

 private:
  platform::TcpSocket& s_;
};

}  // namespace

ProtocolConnection::ProtocolConnection(const ConnectionOptions& options)
    : options_(options), version_text_(version_.ToText()) {
  if (options_.allow_log && Settings().use_protocol_log.Value() != 0) {
    log_ = std::make_unique<ProtocolLog>(Settings().protocol_log_directory.Value(),
                                         Settings().cache_log_entries.Value());
  }
}

ProtocolConnection::~ProtocolConnection() { Close(); }

bool ProtocolConnection::StartSockets() { return platform::StartSockets(); }
void ProtocolConnection::StopSockets() { platform::StopSockets(); }

int ProtocolConnection::Connect(uint16_t port, const std::string& host) {
  uint32_t address;
  if (!platform::ParseDottedAddress(host, address)) {
    const size_t at = host.find('@');
    const std::string name = at == std::string::npos ? host : host.substr(at + 1);
    std::string dotted;
    int error = 0;
    // The host text is in the ANSI code page; the resolver wants UTF-8.
    if (!platform::ResolveHostName(platform::WideToUtf8(platform::AnsiToWide(name)), dotted,
                                   error)) {
      last_socket_error_ = error;
      return kStatusEncodeOrResolve;
    }
    if (dotted.size() + 1 > kMaxDottedText || !platform::ParseDottedAddress(dotted, address)) {
      return kStatusEncodeOrResolve;
    }
  }
  socket_.Close();
  if (!socket_.Create()) {
    last_socket_error_ = socket_.LastError();
    return kStatusEncodeOrResolve;
  }
  if (!socket_.Connect(address, port)) {
    last_socket_error_ = socket_.LastError();
    socket_.Close();
    return kStatusConnectFailed;
  }
  socket_.SetTimeouts(kSocketTimeoutMs, kSocketTimeoutMs);
  socket_.SetNoDelay(true);
  return kStatusOk;
}

void ProtocolConnection::Close() {
  socket_.Shutdown();
  socket_.Close();
}

size_t ProtocolConnection::MaxReceiveBuffer() const {
  const long long configured = options_.max_receive_buffer != ConnectionOptions::kFromSettings
                                   ? options_.max_receive_buffer
                                   : Settings().max_receive_buffer_size.Value();
  return ReceiveBufferSize(configured);
}

void ProtocolConnection::Log(std::u16string_view line) {
  if (log_) log_->WriteLine(line);
}

std::u16string ProtocolConnection::SocketErrorText() const {
  return protocol::SocketErrorText(last_socket_error_);
}

void ProtocolConnection::SetProtocolVersion(const VersionNumber& version) {
  version_ = version;
  version_text_ = version_.ToText();
}

void ProtocolConnection::InstallSessionCipher(std::unique_ptr<SessionCipher> cipher) {
  cipher_ = std::move(cipher);
}

// ---- sending

int ProtocolConnection::SendChain(PduChain& frame, std::span<const uint8_t> payload) {
  SessionCipher* cipher = encryption_on_ ? cipher_.get() : nullptr;
  for (size_t i = 0; i < frame.BufferCount(); ++i) {
    auto bytes = frame.Buffer(i).Content();
    // Each buffer is one range of the cipher; the first holds the header.
    if (cipher && !EncryptWholeBlocks(*cipher, bytes.data(), bytes.size())) {
      return kStatusEncryptFailed;
    }
    long sent = socket_.Send(bytes.data(), bytes.size());
    if (sent != static_cast<long>(bytes.size())) {
      if (sent < 0) last_socket_error_ = socket_.LastError();
      return kStatusShortSend;
    }
  }
  if (!payload.empty()) {
    // The payload is the file cipher's business, never the session cipher's.
    long sent = socket_.Send(payload.data(), payload.size());
    if (sent != static_cast<long>(payload.size())) {
      if (sent < 0) last_socket_error_ = socket_.LastError();
      return kStatusShortSend;
    }
  }
  return kStatusOk;
}

int ProtocolConnection::SendPdu(int type) {
  int status;
  if (type == kPduCspr && values_.Int(tag::kProviderId) != 0) encryption_on_ = true;
  if (!PduCodec::Encode(type, values_, version_text_, send_frame_)) {
    status = kStatusEncodeOrResolve;
  } else {
    status = SendChain(send_frame_,
                       type == kPduFdta ? values_.OutgoingPayload() : std::span<const uint8_t>());
  }
  send_frame_.Clear();
  // The heartbeat runs on its own thread between a request and the wait for
  // its answer; it must not wipe an answer that has already arrived.
  if (type != kPduHtbt) values_.Clear();
  if (log_) {
    Log(Format(u"Sending PDU: %s (%s), Status: %d", PduCode(type), PduName(type), status));
  }
  return status;
}

int ProtocolConnection::SendFileData(bool last, const uint8_t* data, size_t size) {
  ExchangeGuard guard(*this);
  values_.SetInt(tag::kLastBlock, last ? 1 : 0);
  values_.SetInt(tag::kFileDataZero, 0);
  values_.SetOutgoingPayload(data, size);
  return SendPdu(kPduFdta);
}

int ProtocolConnection::SendProtocolInformation(std::u16string_view version,
                                                std::u16string_view protocol_text) {
  ExchangeGuard guard(*this);
  values_.SetText(tag::kVersion, version);
  values_.SetText(tag::kProtocolText, protocol_text);
  return SendPdu(kPduProt);
}

int ProtocolConnection::SendEncryptionKeyRequest(std::u16string_view key_digest) {
  ExchangeGuard guard(*this);
  values_.SetText(tag::kKeyDigest, key_digest);
  return SendPdu(kPduEncr);
}

int ProtocolConnection::SendCryptoProviderRequest(int32_t provider_id, int32_t provider_flag) {
  ExchangeGuard guard(*this);
  values_.SetInt(tag::kProviderId, provider_id);
  values_.SetInt(tag::kProviderFlag, provider_flag);
  return SendPdu(kPduCspr);
}

int ProtocolConnection::SendUserAuthenticationRequest(std::u16string_view user,
                                                      std::u16string_view password,
                                                      std::u16string_view workstation) {
  ExchangeGuard guard(*this);
  values_.SetText(tag::kUser, user);
  values_.SetText(tag::kPassword, password);
  values_.SetText(tag::kWorkstation, workstation);
  return SendPdu(kPduUsrr);
}

int ProtocolConnection::SendAuthenticationStatus(int32_t status) {
  ExchangeGuard guard(*this);
  values_.SetInt(tag::kAuthStatus, status);
  return SendPdu(kPduAsts);
}

int ProtocolConnection::SendAuthenticationMessage(int32_t message_code, const uint8_t* data,
                                                  size_t size) {
  ExchangeGuard guard(*this);
  values_.SetInt(tag::kMessageCode, message_code);
  values_.SetBytes(tag::kMessageData, data, size);
  return SendPdu(kPduAuth);
}

int ProtocolConnection::SendMasterKeyRequest(std::u16string_view master_key) {
  ExchangeGuard guard(*this);
  values_.SetText(tag::kPassword, master_key);
  return SendPdu(kPduMkyr);
}

int ProtocolConnection::SendPasswordRequest(std::u16string_view key_text,
                                            std::u16string_view key_hint,
                                            std::u16string_view previous_key_text) {
  ExchangeGuard guard(*this);
  values_.SetText(tag::kKeyText, key_text);
  values_.SetText(tag::kKeyHint, key_hint);
  values_.SetText(tag::kPreviousKeyText, previous_key_text);
  return SendPdu(kPduPwdr);
}

int ProtocolConnection::SendRestoreVolumeListRequest(
    const std::vector<std::u16string>& volume_paths,
    const std::vector<std::u16string>& candidate_keys) {
  ExchangeGuard guard(*this);
  values_.MutableTextList(tag::kVolume) = volume_paths;
  values_.MutableTextList(tag::kKeyText) = candidate_keys;
  return SendPdu(kPduRvlr);
}

int ProtocolConnection::SendRestoreFileListRequest(
    std::u16string_view volume_root,
    const std::vector<std::pair<std::u16string, std::u16string>>& files) {
  ExchangeGuard guard(*this);
  values_.SetText(tag::kVolume, volume_root);
  auto& records = values_.MutableRecords(tag::kRequestedFileRecord);
  records.clear();
  for (const auto& [path, date] : files) records.push_back(PduRecord::RequestedFile(path, date));
  return SendPdu(kPduRflr);
}

int ProtocolConnection::SendSystemListRequest() {
  ExchangeGuard guard(*this);
  return SendPdu(kPduSlsr);
}

int ProtocolConnection::SendDirectoryListRequest(
    std::u16string_view volume, const std::vector<std::u16string>& candidate_keys) {
  ExchangeGuard guard(*this);
  values_.SetText(tag::kVolume, volume);
  values_.MutableTextList(tag::kKeyText) = candidate_keys;
  return SendPdu(kPduDlsr);
}

int ProtocolConnection::SendFileStatus(int32_t status, int64_t size, int32_t further_value) {
  ExchangeGuard guard(*this);
  values_.SetInt(tag::kFileStatus, status);
  values_.SetInt(tag::kStatusSize, size);
  values_.SetInt(tag::kStatusFurtherValue, further_value);
  return SendPdu(kPduFsts);
}

int ProtocolConnection::SendFileVerifyResponse(int32_t verify_status, int32_t value1,
                                               int32_t value2, std::u16string_view text) {
  ExchangeGuard guard(*this);
  values_.SetInt(tag::kVerifyStatus, verify_status);
  values_.SetInt(tag::kVerifyValue1, value1);
  values_.SetInt(tag::kVerifyValue2, value2);
  values_.SetText(tag::kVerifyText, text);
  return SendPdu(kPduVerp);
}

int ProtocolConnection::SendCancelRequest() {
  ExchangeGuard guard(*this);
  return SendPdu(kPduCncl);
}

int ProtocolConnection::SendHeartbeat() {
  ExchangeGuard guard(*this);
  return SendPdu(kPduHtbt);
}

int ProtocolConnection::SendQuit() {
  ExchangeGuard guard(*this);
  return SendPdu(kPduQuit);
}

int ProtocolConnection::SendAbort(int32_t reason) {
  ExchangeGuard guard(*this);
  values_.SetInt(tag::kAbortReason, reason);
  return SendPdu(kPduAbrt);
}

// ---- receiving

int ProtocolConnection::ReceiveImpl(int& type, bool would_block_form, bool& would_block) {
  would_block = false;
  if (peeked_) {
    type = peeked_type_;
    peeked_ = false;
    return kStatusOk;
  }
  type = 0;
  SocketSource source(socket_);
  ReceivedFrame frame;
  SessionCipher* cipher = encryption_on_ ? cipher_.get() : nullptr;
  int status = ReceiveFrame(source, cipher, MaxReceiveBuffer(), would_block_form, frame,
                            &receive_pool_);
  if (frame.socket_error != 0) last_socket_error_ = frame.socket_error;
  if (status != kStatusOk) {
    Log(u"Receiving PDU: ReceiveProtMsg error");
    return status;
  }
  if (frame.would_block) {
    would_block = true;
    return kStatusOk;
  }
  // The previous File data payload is consumed by now: its buffers serve
  // the next bodies. (A receiver that keeps a payload releases it first.)
  receive_pool_.Give(values_.ReceivedPayload().Release());
  if (!PduCodec::Decode(frame.body, version_text_, values_, type)) {
    Log(u"Receiving PDU: decode error");
    return kStatusDecodeError;
  }
  if (type == kPduCspr && values_.Int(tag::kProviderId) != 0) encryption_on_ = true;
  if (log_) Log(Format(u"Receving PDU: %s (%s)", PduCode(type), PduName(type)));
  return kStatusOk;
}

int ProtocolConnection::Receive(int& type) {
  bool would_block;
  return ReceiveImpl(type, false, would_block);
}

int ProtocolConnection::ReceiveWouldBlock(int& type, bool& would_block) {
  return ReceiveImpl(type, true, would_block);
}

int ProtocolConnection::Peek(int& type) {
  int status = kStatusOk;
  if (peeked_) {
    type = peeked_type_;
  } else {
    status = Receive(type);
    if (status == kStatusOk) {
      peeked_ = true;
      peeked_type_ = type;
    }
  }
  if (log_) {
    Log(Format(u"Peek PDU: %s (%s), Status: %d", PduCode(type), PduName(type), status));
  }
  return status;
}

int ProtocolConnection::PeekWouldBlock(int& type, bool& would_block) {
  int status = kStatusOk;
  would_block = false;
  if (peeked_) {
    type = peeked_type_;
  } else {
    status = ReceiveWouldBlock(type, would_block);
    if (status == kStatusOk && !would_block) {
      peeked_ = true;
      peeked_type_ = type;
    }
  }
  if (log_) {
    Log(Format(u"Peek PDU: %s (%s), Status: %d, wouldBlock: %d", PduCode(type), PduName(type),
               status, would_block ? 1 : 0));
  }
  return status;
}

}  // namespace bexa::protocol
