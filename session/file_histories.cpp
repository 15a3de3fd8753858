#include "session/file_histories.h"

#include <algorithm>

#include "protocol/pdu_catalogue.h"
#include "protocol/pdu_tags.h"
#include "util/exceptions.h"

namespace bexa {
namespace tag = protocol::tag;

namespace {

constexpr uint32_t kCancelled = 102;
constexpr uint32_t kUnexpectedPdu = 109;
// Answers other than 0, 1 and 2 make the request go out again; a server
// that never gives a usable answer ends the fetch after this many.
constexpr int kMaxRequestRepeats = 16;

protocol::ClientProtocol& Connection(Session& session) {
  protocol::ClientProtocol* c = session.connection();
  if (!c) throw CBackupException(101);
  return *c;
}

[[noreturn]] void AbortAndFail(Session& session) {
  Connection(session).SendAbort(6);
  throw CBackupException(kUnexpectedPdu);
}

}  // namespace

std::vector<std::u16string> FetchVolumeList(Session& session, CancelSource* cancel) {
  if (Connection(session).SendSystemListRequest() != 0) throw CBackupException(kUnexpectedPdu);
  if (session.WaitForPdu(cancel) != protocol::kPduSlsp) throw CBackupException(kUnexpectedPdu);
  return Connection(session).values().TextList(tag::kVolume);
}

void ExtendKeyList(Session& session, std::vector<std::u16string>& keys) {
  auto add = [&keys](const std::u16string& k) {
    if (!k.empty() && std::find(keys.begin(), keys.end(), k) == keys.end()) keys.push_back(k);
  };
  const std::u16string& secret = session.security().secretKey;
  const std::u16string& password = session.parameters().password;
  add(secret);
  add(password);
  if (secret.empty() && password.empty()) add(session.parameters().user);
}

std::vector<FileHistoryRecord> FetchFileHistories(Session& session,
                                                  const std::u16string& volume_request,
                                                  std::vector<std::u16string>& keys,
                                                  SecretKeyDialog* dialog, CancelSource* cancel,
                                                  const FetchProgress& progress) {
  int64_t count = -1;
  for (int attempt = 0; count < 0; ++attempt) {
    if (attempt >= kMaxRequestRepeats) AbortAndFail(session);
    if (Connection(session).SendDirectoryListRequest(volume_request, keys) != 0)
      throw CBackupException(kUnexpectedPdu);
    if (session.WaitForPdu(cancel) != protocol::kPduDlsp) AbortAndFail(session);
    const auto& v = Connection(session).values();
    switch (v.Int(tag::kListAnswer)) {
      case 0:
        count = v.Int(tag::kCount13);
        if (count < 0) count = 0;
        break;
      case 1:
        count = 0;
        break;
      case 2: {
        const std::u16string hint = v.Text(tag::kKeyHint);
        std::optional<std::u16string> key = dialog ? dialog->AskSecretKey(hint) : std::nullopt;
        if (!key) throw CBackupException(kCancelled);
        if (!key->empty()) keys.push_back(*key);
        break;
      }
      default:
        break;
    }
  }
  if (progress.started) progress.started(count);

  std::vector<FileHistoryRecord> out;
  out.reserve(static_cast<size_t>(std::min<int64_t>(count, 1 << 20)));
  for (int64_t i = 0; i < count; ++i) {
    if (cancel && cancel->Cancelled()) throw CBackupException(kCancelled);
    const int type = session.WaitForPdu(cancel);
    if (type == protocol::kPduAbrt) break;  // the server ends the list early
    if (type != protocol::kPduLinf) AbortAndFail(session);
    const auto& v = Connection(session).values();
    FileHistoryRecord r;
    r.path = v.Text(tag::kFilePath);
    r.extra_date = v.Text(tag::kListDate);
    for (const auto& version : v.Records(tag::kFileVersionRecord))
      r.versions.push_back({version.Text(tag::kBackupDate), version.Text(tag::kModificationDate),
                            version.Wide(tag::kFileSize)});
    out.push_back(std::move(r));
    if (progress.received_one) progress.received_one();
  }
  return out;
}

}  // namespace bexa
