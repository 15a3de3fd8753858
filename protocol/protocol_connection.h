// One connection to the backup server: the socket, the codec, the
// negotiated protocol version, the values record of the PDU last sent or
// received, the session cipher and the protocol log. Never throws after
// construction; every operation returns a transport status.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/socket.h"
#include "protocol/frame_reader.h"
#include "protocol/pdu_values.h"
#include "protocol/protocol_log.h"
#include "protocol/session_cipher.h"
#include "protocol/transport_status.h"
#include "protocol/version_number.h"

namespace bexa::protocol {

// Construction choices; a value of 0 (or kFromSettings) takes the setting.
struct ConnectionOptions {
  static constexpr long long kFromSettings = 0;
  // Largest receive buffer of a body ("MaxReceiveBufferSize", read anew for
  // every body so that a changed setting applies to the next one).
  long long max_receive_buffer = kFromSettings;
  // Capacity of the upload cache ("UploadCache" of "ClientSocket").
  long long upload_cache = kFromSettings;
  // Whether "UseProtocolLog" may create a protocol log.
  bool allow_log = true;
};

class ProtocolConnection {
 public:
  // Time-outs set on the socket after connecting.
  static constexpr uint32_t kSocketTimeoutMs = 300000;

  // Creates the protocol log when "UseProtocolLog" is not 0 (in the folder
  // "ProtocolLogDirectoryPath"); an empty folder throws FileSystemException.
  explicit ProtocolConnection(const ConnectionOptions& options = {});
  virtual ~ProtocolConnection();
  ProtocolConnection(const ProtocolConnection&) = delete;
  ProtocolConnection& operator=(const ProtocolConnection&) = delete;

  // WSAStartup / WSACleanup around the life of one connection.
  static bool StartSockets();
  static void StopSockets();

  // host: 8-bit text in the ANSI code page. A dotted address is used as it
  // is; otherwise the part after the first "@" (the whole text without one)
  // is resolved and its first address taken. Status 0, 1 (not resolved, no
  // socket) or 2 (connect failed).
  int Connect(uint16_t port, const std::string& host);
  // Shuts the socket down both ways, then closes it. Wakes a blocked receive.
  void Close();

  // --- the transport's own operations (virtual in this order)

  // File data (type 17) with the last-block flag and `data` as its payload;
  // the bytes stay the caller's.
  virtual int SendFileData(bool last, const uint8_t* data, size_t size);
  // Waits for one PDU and decodes it into the values record. Status 0, 4, 5 or 7.
  virtual int Receive(int& type);
  // Receives and keeps the PDU as peeked: the next receive returns its type
  // without reading.
  virtual int Peek(int& type);
  // As Receive, but status 0 with would_block set, at once, when no byte of a
  // new frame is waiting.
  virtual int ReceiveWouldBlock(int& type, bool& would_block);
  virtual int PeekWouldBlock(int& type, bool& would_block);
  // Encodes `type` from the values record and sends it buffer by buffer.
  // Status 0, 1, 3 or 6. Clears the values afterwards, except for Heartbeat.
  virtual int SendPdu(int type);

  // --- send operations: fill the type's fields, then Send PDU

  int SendProtocolInformation(std::u16string_view version, std::u16string_view protocol_text);
  int SendEncryptionKeyRequest(std::u16string_view key_digest);
  int SendCryptoProviderRequest(int32_t provider_id, int32_t provider_flag);
  int SendUserAuthenticationRequest(std::u16string_view user, std::u16string_view password,
                                    std::u16string_view workstation);
  int SendAuthenticationStatus(int32_t status);
  int SendAuthenticationMessage(int32_t message_code, const uint8_t* data, size_t size);
  int SendMasterKeyRequest(std::u16string_view master_key);
  int SendPasswordRequest(std::u16string_view key_text, std::u16string_view key_hint,
                          std::u16string_view previous_key_text);
  int SendRestoreVolumeListRequest(const std::vector<std::u16string>& volume_paths,
                                   const std::vector<std::u16string>& candidate_keys);
  // (file path, backup date) pairs.
  int SendRestoreFileListRequest(
      std::u16string_view volume_root,
      const std::vector<std::pair<std::u16string, std::u16string>>& files);
  int SendSystemListRequest();
  int SendDirectoryListRequest(std::u16string_view volume,
                               const std::vector<std::u16string>& candidate_keys);
  int SendFileStatus(int32_t status, int64_t size, int32_t further_value);
  int SendFileVerifyResponse(int32_t verify_status, int32_t value1, int32_t value2,
                             std::u16string_view text);
  int SendCancelRequest();
  int SendHeartbeat();
  int SendQuit();
  int SendAbort(int32_t reason);

  // --- state

  // The fields of the PDU last received (or about to be sent).
  PduValues& values() { return values_; }
  const PduValues& values() const { return values_; }

  int LastSocketError() const { return last_socket_error_; }
  void SetLastSocketError(int code) { last_socket_error_ = code; }
  std::u16string SocketErrorText() const;

  // The version used for every later PDU; its text form goes to the codec.
  void SetProtocolVersion(const VersionNumber& version);
  const VersionNumber& ProtocolVersion() const { return version_; }
  const std::u16string& ProtocolVersionText() const { return version_text_; }

  // Installs (or replaces) the session cipher; it applies once encryption is on.
  void InstallSessionCipher(std::unique_ptr<SessionCipher> cipher);
  SessionCipher* session_cipher() { return cipher_.get(); }
  // On once a Crypto provider request with a non-zero provider was sent or received.
  bool encryption_on() const { return encryption_on_; }
  void set_encryption_on(bool on) { encryption_on_ = on; }

  ProtocolLog* log() { return log_.get(); }
  platform::TcpSocket& socket() { return socket_; }

 protected:
  // Taken by the send operations around filling the values and sending;
  // ClientProtocol makes them its exchange lock.
  virtual void LockExchange() {}
  virtual void UnlockExchange() {}
  struct ExchangeGuard {
    explicit ExchangeGuard(ProtocolConnection& c) : c_(c) { c_.LockExchange(); }
    ~ExchangeGuard() { c_.UnlockExchange(); }
    ProtocolConnection& c_;
  };

  const ConnectionOptions& options() const { return options_; }

 private:
  int ReceiveImpl(int& type, bool would_block_form, bool& would_block);
  int SendChain(PduChain& frame, std::span<const uint8_t> payload);
  void Log(std::u16string_view line);
  size_t MaxReceiveBuffer() const;

  const ConnectionOptions options_;
  platform::TcpSocket socket_;
  int last_socket_error_ = 0;
  VersionNumber version_;
  std::u16string version_text_;
  PduValues values_;
  std::unique_ptr<SessionCipher> cipher_;
  bool encryption_on_ = false;
  bool peeked_ = false;
  int peeked_type_ = 0;
  std::unique_ptr<ProtocolLog> log_;
  ReceiveBufferPool receive_pool_;  // used by the receiving thread (under the exchange lock)
  PduChain send_frame_;  // reused so that a small PDU allocates only its buffers
};

}  // namespace bexa::protocol
