// One client connection of the server, from the first PDU to the close: the
// logon (protocol information, encryption negotiation, user authentication,
// secret-key check), then the browse and restore requests until the client
// quits. Every wait has a time-out; every unexpected PDU, malformed frame or
// failed send ends the connection with a line in the PDU log. Nothing here
// throws out of Run.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>

#include "protocol/pdu_values.h"
#include "server/frame_socket.h"
#include "server/pdu_log.h"
#include "server/store.h"

namespace bexa::server {

struct SessionOptions {
  int timeout_ms = 60000;           // longest wait for a client's PDU
  size_t data_block_size = 65536;   // payload bytes per File data PDU
};

class Session {
 public:
  Session(int id, FrameSocket& socket, std::filesystem::path store_dir,
          const SessionOptions& options, PduLog& log);

  // Serves the connection until the client quits, fails or stays silent.
  // The caller closes the socket afterwards.
  void Run();

 private:
  // What a restore step asks of the request loop.
  enum class Next { kGoOn, kEndList, kClose };

  // ---- transport (session.cpp)
  // Sends `type` with the fields of out_, then clears out_. False (logged)
  // when the frame cannot be encoded or sent.
  bool Send(int type);
  bool SendFileData(bool last, std::span<const uint8_t> payload);
  // The next PDU other than a Heartbeat, its fields in in_; 0 (logged) on a
  // time-out, a closed stream, a malformed frame or a decode error.
  int Receive();
  void Event(const std::string& text);
  // After a refusal: waits for the client to go away (its Quit or close).
  void DrainUntilClosed();

  // ---- logon (session_logon.cpp); false ends the connection
  bool Logon();
  bool ExchangeProtocolInformation();
  bool NegotiateEncryption();
  bool AuthenticateUser();
  bool RunAccessKeyChallenge(const std::string& access_key_source, bool& granted);
  bool RunMasterKeyFallback(const Account& account);
  bool CheckSecretKey();

  // ---- requests (session_requests.cpp)
  void Serve();
  bool ServeSystemList();
  bool ServeDirectoryList();
  bool ServeRestoreVolumes();
  Next ServeRestoreFiles();
  Next ServeFile(const VolumeIndex& index, const std::u16string& path,
                 const std::u16string& backup_date);
  Next StreamFile(const VolumeIndex& index, const FileVersion& version,
                  const std::u16string& path);
  Next AwaitVerifyResponse();
  std::optional<Volume> FindVolume(const std::u16string& entry) const;
  bool KeysAccepted(const std::vector<std::u16string>& keys) const;

  const int id_;
  FrameSocket& socket_;
  const std::filesystem::path store_dir_;
  const SessionOptions options_;
  PduLog& log_;

  Store store_;
  std::optional<Account> account_;  // once the user is authenticated
  Faults faults_;                   // the store's, then merged with the account's
  std::u16string version_;          // the codec's version text after PROT
  std::u16string client_version_;   // A: the client's PROT version text
  std::u16string client_time_;      // X
  std::u16string server_version_;   // B
  std::u16string server_text_;      // Y
  std::u16string h1_, h2_;
  std::set<std::string> granted_volumes_;  // entries answered 0 in an RVLP
  std::set<std::string> forced_once_;      // entries already answered 2 by a fault

  protocol::PduValues in_;
  protocol::PduValues out_;
};

}  // namespace bexa::server
