#include "control/server_file_list.h"

#include "platform/locale.h"
#include "protocol/pdu_catalogue.h"
#include "protocol/pdu_tags.h"
#include "session/status_messages.h"
#include "util/dates.h"
#include "util/text.h"

namespace bexa {

namespace {

using protocol::kPduAbrt;
using protocol::kPduDlsp;
using protocol::kPduLinf;
using protocol::kPduSlsp;
namespace tag = protocol::tag;

constexpr int32_t kAbortReason = 6;

[[noreturn]] void AbortAndFail(Session& session) {
  if (session.connection()) session.connection()->SendAbort(kAbortReason);
  throw CBackupException(kStatusUnexpectedPdu);
}

void AppendKey(std::vector<std::u16string>& keys, const std::u16string& key) {
  if (key.empty()) return;
  for (const std::u16string& k : keys)
    if (k == key) return;
  keys.push_back(key);
}

// One LINF into the collection.
void TakeFileHistory(Session& session, const std::u16string& volume_key,
                     VolumeCollection& collection) {
  const protocol::PduValues& values = session.connection()->values();
  std::u16string key = volume_key;
  if (!key.empty() && key.back() == u'\\') key.pop_back();
  key += u"\\" + values.Text(tag::kFilePath);
  std::unique_ptr<VersionRecord>& record = collection[key];
  if (!record) record = std::make_unique<VersionRecord>();
  record->present = 1;
  DateTime extra = DateTime::Null();
  const std::u16string& extra_text = values.Text(tag::kListDate);
  if (!extra_text.empty()) ParseProtocolDate(extra_text, extra);
  SetExtraDate(*record, extra);
  for (const protocol::PduRecord& version : values.Records(tag::kFileVersionRecord)) {
    DateTime backup, modified;
    if (!ParseProtocolDate(version.Text(tag::kBackupDate), backup)) AbortAndFail(session);
    const std::u16string& modified_text = version.Text(tag::kModificationDate);
    if (!modified_text.empty() && !ParseProtocolDate(modified_text, modified))
      AbortAndFail(session);
    if (modified_text.empty()) modified = DateTime::Null();
    AddVersion(*record, version.Wide(tag::kFileSize), backup, modified);
  }
}

// Steps 2 to 8; throws CBackupException.
void Fetch(Session& session, const std::u16string& volume_key,
           std::vector<std::u16string>& key_list, FetchUi& ui, VolumeCollection& collection) {
  const TextById text = [&session](int id) { return std::u16string(session.texts().Get(id)); };
  if (!session.connection() && !session.OpenConnection()) throw CBackupException(kStatusNoConnection);
  ui.ProgressOpen(text(1159));
  if (!session.IsLoggedOn()) session.LogOn();

  auto computer = session.volume_to_computer().find(volume_key);
  const std::u16string computer_name =
      computer != session.volume_to_computer().end() ? computer->second : session.DomainName();
  const std::u16string volume = Format(u"%s:%s", computer_name, volume_key);

  AppendKey(key_list, session.security().secretKey);
  AppendKey(key_list, session.parameters().password);
  if (session.security().secretKey.empty() && session.parameters().password.empty())
    AppendKey(key_list, session.parameters().user);

  int64_t count = 0;
  for (int others = 0;;) {
    if (session.connection()->SendDirectoryListRequest(volume, key_list) != 0)
      throw CBackupException(kStatusSendFailed);
    const int type = session.WaitForPdu(&ui);
    if (type != kPduDlsp) AbortAndFail(session);
    const protocol::PduValues& values = session.connection()->values();
    const int32_t answer = values.Int(tag::kListAnswer);
    if (answer == 0) {
      count = values.Int(tag::kCount13);
      break;
    }
    if (answer == 1) break;
    if (answer == 2) {
      const std::u16string hint = values.Text(tag::kKeyHint);
      std::optional<std::u16string> typed = ui.AskSecretKey(hint);
      if (!typed) throw CBackupException(kStatusCancelled);
      if (!typed->empty()) key_list.push_back(*typed);
      continue;
    }
    // An answer this client does not know: ask again, but not for ever.
    if (++others >= kMaxFileListRetries) AbortAndFail(session);
  }

  ui.ProgressPhase(Format(text(1160), GroupDigits(ToText(count), platform::ThousandSeparator())), count);
  for (int64_t i = 0; i < count; ++i) {
    ui.PumpMessages();
    if (ui.Cancelled()) throw CBackupException(kStatusCancelled);
    const int type = session.WaitForPdu(&ui);
    if (type == kPduAbrt) break;  // the server ends early; keep what came
    if (type != kPduLinf) AbortAndFail(session);
    TakeFileHistory(session, volume_key, collection);
    ui.ProgressStep();
  }
}

}  // namespace

bool FetchVolumeFileList(Session& session, const std::u16string& volume_key,
                         std::vector<std::u16string>& key_list, FetchUi& ui,
                         VolumeCollection& collection) {
  if (session.parameters().server.empty() || session.parameters().user.empty()) return false;
  ui.EnableRestoreNow(false);
  bool ok = true;
  try {
    Fetch(session, volume_key, key_list, ui, collection);
  } catch (const CBackupException& e) {
    ok = false;
    // Cancel in the progress dialog ends the fetch quietly, also while it
    // waits for the server.
    if (!(e.Code() == kStatusCancelled && ui.Cancelled())) ui.ReportError(e);
  }
  ui.EnableRestoreNow(true);
  session.CloseConnection();
  ui.ProgressClose();
  return ok;
}

std::vector<std::u16string> RequestVolumeList(Session& session) {
  struct Closer {
    Session& s;
    ~Closer() { s.CloseConnection(); }
  } closer{session};
  if (!session.OpenConnection()) throw CBackupException(kStatusNoConnection);
  session.LogOn();
  if (session.connection()->SendSystemListRequest() != 0) throw CBackupException(kStatusSendFailed);
  if (session.WaitForPdu() != kPduSlsp) AbortAndFail(session);
  return session.connection()->values().TextList(tag::kVolume);
}

}  // namespace bexa
