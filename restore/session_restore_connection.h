// The restore engine's connection over the session object: the run's own
// connection, logged on with the stored credentials, the data cipher, the
// restore PDUs and the values the engine reads after each of them.
#pragma once

#include <memory>

#include "restore/connection_transfer_peer.h"
#include "restore/restore_engine.h"
#include "session/session.h"

namespace bexa {

class SessionRestoreConnection : public RestoreConnection {
 public:
  // `cancel` (may be null) is asked during every wait for the server;
  // `expand` expands compressed file data.
  SessionRestoreConnection(Session& session, CancelSource* cancel, ExpandFunction expand);
  ~SessionRestoreConnection() override;

  void OpenAndLogOn() override;
  FileCipher BuildDataCipher() override;
  void CloseAndDropCipher() override;
  bool SendRestoreVolumeList(const std::vector<std::u16string>& volume_paths,
                             const std::vector<std::u16string>& keys) override;
  bool SendRestoreFileList(const std::u16string& root,
                           const std::vector<std::pair<std::u16string, std::u16string>>& files) override;
  int WaitForPdu() override;
  std::vector<VolumeAnswer> VolumeAnswers() override;
  FileStatusAnswer RestoreFileStatus() override;
  FileInformation FileInfo() override;
  bool Usable() override;
  void SendFileStatus(int32_t status) override;
  void SendAbort(int32_t reason) override;
  void SendCancel() override;
  TransferPeer& Peer() override;
  ExpandFunction Expander() override { return expand_; }

 private:
  protocol::ClientProtocol& Connection();

  Session& session_;
  CancelSource* cancel_;
  ExpandFunction expand_;
  std::unique_ptr<ConnectionTransferPeer> peer_;
};

}  // namespace bexa
