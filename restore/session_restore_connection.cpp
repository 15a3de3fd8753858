#include "restore/session_restore_connection.h"

#include "protocol/pdu_tags.h"
#include "protocol/transport_status.h"
#include "util/exceptions.h"

namespace bexa {
namespace tag = protocol::tag;

namespace {
constexpr uint32_t kNoConnection = 101;
constexpr uint32_t kUnexpectedPdu = 109;
}  // namespace

SessionRestoreConnection::SessionRestoreConnection(Session& session, CancelSource* cancel,
                                                   ExpandFunction expand)
    : session_(session), cancel_(cancel), expand_(std::move(expand)) {}

SessionRestoreConnection::~SessionRestoreConnection() = default;

protocol::ClientProtocol& SessionRestoreConnection::Connection() {
  protocol::ClientProtocol* c = session_.connection();
  if (!c) throw CBackupException(kNoConnection);
  return *c;
}

void SessionRestoreConnection::OpenAndLogOn() {
  if (!session_.OpenConnection()) throw CBackupException(kNoConnection);
  session_.LogOn();
  peer_ = std::make_unique<ConnectionTransferPeer>(Connection());
}

FileCipher SessionRestoreConnection::BuildDataCipher() {
  SecurityFields& security = session_.security();
  const SessionParameters& p = session_.parameters();
  bexa::BuildDataCipher(security, p.user, p.password);
  CryptoProvider* cipher = security.dataCipher.get();
  if (!cipher) return {};
  return {cipher->BlockSize(),
          [cipher](uint8_t* data, size_t length) {
            return cipher->DecryptBlocks(data, static_cast<uint32_t>(length));
          }};
}

void SessionRestoreConnection::CloseAndDropCipher() {
  peer_.reset();
  session_.CloseConnection();
  DropDataCipher(session_.security());
}

bool SessionRestoreConnection::SendRestoreVolumeList(const std::vector<std::u16string>& volume_paths,
                                                     const std::vector<std::u16string>& keys) {
  return Connection().SendRestoreVolumeListRequest(volume_paths, keys) == protocol::kStatusOk;
}

bool SessionRestoreConnection::SendRestoreFileList(
    const std::u16string& root, const std::vector<std::pair<std::u16string, std::u16string>>& files) {
  return Connection().SendRestoreFileListRequest(root, files) == protocol::kStatusOk;
}

int SessionRestoreConnection::WaitForPdu() {
  const int type = session_.WaitForPdu(cancel_, /*throw_on_failure=*/true);
  if (type == Session::kWaitFailed) throw CBackupException(kUnexpectedPdu);
  return type;
}

std::vector<VolumeAnswer> SessionRestoreConnection::VolumeAnswers() {
  std::vector<VolumeAnswer> out;
  for (const auto& r : Connection().values().Records(tag::kVolumeAnswerRecord))
    out.push_back({r.Int(tag::kVolumeStatus), r.Text(tag::kKeyHint)});
  return out;
}

FileStatusAnswer SessionRestoreConnection::RestoreFileStatus() {
  const auto& v = Connection().values();
  return {v.Text(tag::kFilePath), v.Int(tag::kServerFileStatus)};
}

FileInformation SessionRestoreConnection::FileInfo() {
  const auto& v = Connection().values();
  FileInformation f;
  f.path = v.Text(tag::kFilePath);
  f.compression = v.Int(tag::kCompression);
  f.encrypted = v.Int(tag::kEncryptionFlag);
  f.backup_date = v.Text(tag::kBackupDate);
  f.size = v.Wide(tag::kFileSize);
  f.attributes = static_cast<uint32_t>(v.Int(tag::kAttributes));
  f.creation = v.Text(tag::kCreationTime);
  f.last_write = v.Text(tag::kModificationDate);
  f.last_access = v.Text(tag::kLastAccessTime);
  f.crc32 = static_cast<uint32_t>(v.Int(tag::kCrc));
  return f;
}

bool SessionRestoreConnection::Usable() {
  protocol::ClientProtocol* c = session_.connection();
  return c && c->LastSocketError() == 0;
}

void SessionRestoreConnection::SendFileStatus(int32_t status) {
  Connection().SendFileStatus(status, 0, 0);
}

void SessionRestoreConnection::SendAbort(int32_t reason) { Connection().SendAbort(reason); }

void SessionRestoreConnection::SendCancel() {
  if (protocol::ClientProtocol* c = session_.connection()) c->SendCancelRequest();
}

TransferPeer& SessionRestoreConnection::Peer() {
  if (!peer_) throw CBackupException(kNoConnection);
  return *peer_;
}

}  // namespace bexa
