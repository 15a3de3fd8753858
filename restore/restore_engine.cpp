#include "restore/restore_engine.h"

#include <algorithm>
#include <memory>
#include <new>
#include <unordered_map>

#include "restore/file_status.h"
#include "util/dates.h"
#include "util/exceptions.h"
#include "util/text.h"

namespace bexa {
namespace {

constexpr int32_t kCancelled = 102;
constexpr int32_t kConnectionDropped = 108;
constexpr int32_t kUnexpectedPdu = 109;
constexpr size_t kPumpAboveEntries = 500;
constexpr int kAnimationPerVolume = 12;
constexpr int kAnimationPerFile = 4;

// The run's grouping of the selection: volume name -> keys, in ascending
// order of volume names.
using ActionItem = std::map<std::u16string, std::vector<std::u16string>>;

struct Run {
  RestoreContext& ctx;
  RestorePanelState& panel;
  RestoreConnection& conn;
  RestoreUi& ui;
  ShareAvailability& shares;
  StatusRecord record;
  ActionItem action;
  DestinationRun destination;
  int32_t requested = 0, restored = 0, non_file = 0, files_done = 0;
  int64_t total_files = 0;

  std::u16string T(int id) const { return ctx.text(id); }
  std::u16string Grouped(int64_t n) const { return GroupDigits(ToText(n), ctx.thousands); }
  void Log(std::u16string text, LineKind kind) { record.Log(std::move(text), kind); }
};

// The computer (or domain) a volume was backed up under.
std::u16string ComputerOf(const Run& run, const std::u16string& volume) {
  auto it = run.ctx.volume_computers.find(volume);
  if (it == run.ctx.volume_computers.end()) it = run.ctx.volume_computers.find(volume + u"\\");
  return it != run.ctx.volume_computers.end() ? it->second : run.ctx.domain_name;
}

std::u16string WithoutTrailingBackslash(std::u16string s) {
  if (!s.empty() && s.back() == u'\\') s.pop_back();
  return s;
}

void AddKey(std::vector<std::u16string>& keys, const std::u16string& key) {
  if (!key.empty() && std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
}

// Asks the server which volumes it can serve; false ends the engine.
bool NegotiateVolumes(Run& run) {
  auto& keys = run.panel.key_list;
  AddKey(keys, run.ctx.secret_key);
  AddKey(keys, run.ctx.password);
  if (run.ctx.secret_key.empty() && run.ctx.password.empty()) AddKey(keys, run.ctx.user);

  std::vector<std::u16string> volumes, paths;
  for (const auto& [volume, entries] : run.action) {
    volumes.push_back(volume);
    paths.push_back(WithoutTrailingBackslash(ComputerOf(run, volume) + u":" + volume));
  }
  if (!run.conn.SendRestoreVolumeList(paths, keys) ||
      run.conn.WaitForPdu() != kPduRestoreVolumeListResponse)
    throw CBackupException(kUnexpectedPdu);
  std::vector<VolumeAnswer> answers = run.conn.VolumeAnswers();

  std::vector<std::pair<size_t, std::u16string>> need_key;  // volume index, hint
  for (size_t i = 0; i < volumes.size(); ++i) {
    // A missing answer counts as a server error for that volume.
    const VolumeAnswer a = i < answers.size() ? answers[i] : VolumeAnswer{1, u""};
    if (a.status == 1) {
      const std::u16string& v = volumes[i];
      const size_t slash = v.find(u'\\');
      const std::u16string shown = u"\\" + (slash == std::u16string::npos ? v : v.substr(slash + 1));
      const std::u16string text = Format(run.T(1148), shown);
      run.ui.PanelStatus(text);
      run.Log(text, LineKind::kError);
      run.action.erase(v);
    } else if (a.status == 2) {
      need_key.emplace_back(i, a.hint);
    }
  }

  for (auto& [index, hint] : need_key) {
    int32_t status = 2;
    while (status != 0 && status != 1) {
      std::optional<std::u16string> key = run.ui.AskSecretKey(hint);
      if (!key) throw CBackupException(kCancelled);
      if (key->empty()) continue;
      keys.push_back(*key);
      std::sort(keys.begin(), keys.end());
      keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
      if (!run.conn.SendRestoreVolumeList({paths[index]}, keys) ||
          run.conn.WaitForPdu() != kPduRestoreVolumeListResponse)
        throw CBackupException(kUnexpectedPdu);
      answers = run.conn.VolumeAnswers();
      status = answers.empty() ? 1 : answers[0].status;
      if (!answers.empty()) hint = answers[0].hint;
    }
    // A later refusal leaves the volume out without a message.
    if (status == 1) run.action.erase(volumes[index]);
  }
  return true;
}

void RequestFileList(Run& run, const std::u16string& volume, const std::vector<std::u16string>& keys) {
  std::u16string shortened = volume;
  if (shortened.rfind(u"\\\\", 0) == 0) shortened.erase(0, 1);
  const std::u16string root = WithoutTrailingBackslash(ComputerOf(run, volume) + shortened);
  std::vector<std::pair<std::u16string, std::u16string>> files;
  for (const auto& key : keys) {
    const size_t colon = key.rfind(u':');
    const std::u16string path = key.substr(0, colon);
    const std::u16string date = colon == std::u16string::npos ? u"" : key.substr(colon + 1);
    const size_t cut = shortened.size() + 2;
    files.emplace_back(path.size() > cut ? path.substr(cut) : u"", date);
  }
  if (!run.conn.SendRestoreFileList(root, files)) throw CBackupException(kUnexpectedPdu);
}

DateTime ParsedDate(const std::u16string& text) {
  DateTime d;
  ParseProtocolDate(text, d);
  return d;
}

// One key of one volume. False when the run must end (a transfer failed).
bool RestoreOneFile(Run& run, const std::u16string& volume, const std::u16string& key,
                    const FileCipher& data_cipher, const std::u16string& volume_line) {
  run.ui.ProgressStatus(run.T(1142));
  if (run.conn.WaitForPdu() != kPduRestoreFileStatus) throw CBackupException(kUnexpectedPdu);
  run.ui.ProgressStatus(volume_line);
  const FileStatusAnswer sfil = run.conn.RestoreFileStatus();
  if (sfil.status != 0) {
    const std::u16string text = Format(run.T(1146), key);
    run.ui.PanelStatus(text);
    run.Log(text, LineKind::kError);
    run.ui.ProgressAdvance();
    return true;
  }
  if (run.ui.ProgressCancelled()) throw CBackupException(kCancelled);
  if (run.conn.WaitForPdu() != kPduFileInformation) throw CBackupException(kUnexpectedPdu);
  const FileInformation info = run.conn.FileInfo();

  const std::u16string full_path = volume + u"\\" + info.path;
  DestinationServices services{&run.ui.ReplacePrompt(), &run.shares, &run.record, run.ctx.text};
  const std::u16string destination = Destination(run.destination, services, full_path,
                                                 info.backup_date, info.last_write, info.size);
  if (!run.conn.Usable()) throw CBackupException(kConnectionDropped);
  if (destination.empty()) {
    run.conn.SendFileStatus(3);
    ++run.record.skipped_count;
    run.ui.ProgressAdvance();
    return true;
  }

  ++run.files_done;
  run.ui.ProgressFileLine(Format(run.T(1143), run.Grouped(run.files_done),
                                 run.Grouped(run.total_files), destination));
  FileTransfer transfer;
  if (!transfer.Open(destination)) {
    run.Log(Format(u"An error occurred while restoring the file: %s", destination), LineKind::kError);
    run.conn.SendFileStatus(3);
    return true;
  }
  run.conn.SendFileStatus(0);
  transfer.SetPeer(&run.conn.Peer());
  transfer.SetCompression(info.compression);
  transfer.SetExpander(run.conn.Expander());
  if (info.encrypted == 1) transfer.SetFileCipher(data_cipher);
  transfer.SetExpectedCrc(info.crc32);
  const bool ok = info.size > 0 ? transfer.Run() : transfer.Close();
  if (run.ui.ProgressCancelled()) throw CBackupException(kCancelled);

  if (!ok) {
    const std::u16string text = Format(run.T(1145), key);
    run.ui.PanelStatus(text);
    run.Log(text, LineKind::kError);
    run.conn.SendAbort(0);
    return false;
  }

  // Every field is the server's, so the file's own status need not be read
  // first; a file that has vanished meanwhile is left alone by the set.
  FileStatus status;
  status.creation = ParsedDate(info.creation);
  status.last_write = ParsedDate(info.last_write);
  status.last_access = ParsedDate(info.last_access);
  status.attributes = static_cast<uint8_t>((info.attributes & 0xFF) ^ 0x20);
  try {
    SetFileStatus(destination, status);
  } catch (...) {
    // The data is restored; its times and attributes are a courtesy.
  }
  FileLogInputs log;
  log.destination = destination;
  if (info.size > 0) {
    log.compression_percent = transfer.compression_percent();
    log.bytes_written = transfer.bytes_written();
    log.bytes_received = transfer.bytes_received();
  }
  log.elapsed_seconds = transfer.elapsed_seconds();
  log.backup_date = ParsedDate(info.backup_date);
  log.last_write = ParsedDate(info.last_write);
  run.Log(FileLogBlock(log, run.ctx.thousands), LineKind::kInformation);
  run.ui.PanelStatus(u" ");
  if (run.panel.default_status.empty()) {
    run.panel.default_status = run.T(1144);
    run.ui.PanelStatus(run.panel.default_status);
  }
  if (info.size > 0) run.record.AddMegabytes(transfer.bytes_written(), transfer.bytes_received());
  ++run.restored;
  run.ui.ProgressAdvance();
  return true;
}

// The engine proper; returns its success (which the final message ignores).
bool Engine(Run& run, const std::vector<SelectionEntry>& selection, int64_t selected_count) {
  run.restored = 0;
  DestinationChoice choice;
  std::optional<DestinationChoice> chosen = run.ui.AskDestination(choice);
  run.record.start_time = DateTime::Now();
  if (!chosen) throw CBackupException(kCancelled);
  run.destination.choice = chosen->mode;
  run.destination.rebuild_hierarchy = chosen->mode == 0 ? true : chosen->rebuild_hierarchy;
  run.destination.folder = chosen->mode == 0 ? u"" : chosen->folder;
  run.destination.policy = kNo;
  run.destination.dialog_state = 0;
  run.destination.destination_counter = 0;
  run.destination.drive_map.clear();
  run.destination.computer_name = run.ctx.computer_name;
  // The selected versions of each stored path, found once: the destination
  // asks for every file, and a search of the selection each time would make
  // a large restore quadratic.
  auto versions = std::make_shared<std::unordered_map<std::u16string, std::vector<std::u16string>>>();
  for (const auto& e : selection)
    if (const size_t colon = e.key.rfind(u':'); colon != std::u16string::npos)
      (*versions)[e.key.substr(0, colon)].push_back(e.key);
  run.destination.selected_versions = [versions](const std::u16string& path) {
    const auto it = versions->find(path);
    return it == versions->end() ? std::vector<std::u16string>{} : it->second;
  };
  run.non_file = 0;

  if (selection.empty()) {
    run.ui.Message(run.T(1147), StatusIcon::kInformation);
    return false;
  }
  run.ui.ProgressOpen(selected_count);
  run.requested = static_cast<int32_t>(selected_count);
  const bool pump = selection.size() > kPumpAboveEntries;
  for (const auto& entry : selection) {
    if (pump) {
      run.ui.PumpMessages();
      if (run.ui.ProgressCancelled()) throw CBackupException(kCancelled);
    }
    if (entry.size == -1) {
      ++run.non_file;
      continue;
    }
    run.action[VolumeOfPath(entry.key)].push_back(entry.key);
  }
  run.ui.ProgressCaption(run.T(1140));

  run.conn.OpenAndLogOn();
  const FileCipher data_cipher = run.conn.BuildDataCipher();
  if (!NegotiateVolumes(run)) return false;

  run.total_files = 0;
  for (const auto& [volume, keys] : run.action) run.total_files += static_cast<int64_t>(keys.size());
  for (const auto& [volume, keys] : run.action) {
    run.ui.ProgressAnimation(kAnimationPerVolume);
    const std::u16string volume_line =
        Format(run.T(1141), run.Grouped(static_cast<int64_t>(keys.size())), volume);
    run.Log(volume_line + u"\r\n", LineKind::kInformation);
    RequestFileList(run, volume, keys);
    run.ui.ProgressAnimation(kAnimationPerFile);
    for (const auto& key : keys)
      if (!RestoreOneFile(run, volume, key, data_cipher, volume_line)) return false;
  }
  run.ui.ProgressAnimation(0);
  run.ui.ProgressClose();
  return true;
}

}  // namespace

std::u16string VolumeOfPath(const std::u16string& path) {
  const size_t start = path.rfind(u"\\\\", 0) == 0 ? 2 : 0;
  const size_t machine_end = path.find(u'\\', start);
  if (machine_end == std::u16string::npos) return path;
  const size_t volume_end = path.find_first_of(u"\\:", machine_end + 1);
  std::u16string volume = path.substr(0, volume_end);
  // The machine name is kept in upper case, as the server stores it.
  for (size_t i = start; i < machine_end; ++i) volume[i] = ToUpperChar(volume[i]);
  return volume;
}

RestoreOutcome RunRestore(const std::vector<SelectionEntry>& selection, int64_t selected_count,
                          RestoreContext& context, RestorePanelState& panel,
                          RestoreConnection& connection, RestoreUi& ui, ShareAvailability& shares) {
  RestoreOutcome out;
  if (panel.busy != 0 || context.server.empty() || context.user.empty() || selected_count == 0)
    return out;
  ++panel.busy;
  out.started = true;
  panel.summary.clear();

  Run run{context, panel, connection, ui, shares, {}, {}, {}};
  try {
    Engine(run, selection, selected_count);
  } catch (const CBackupException& e) {
    out.cancelled = e.Code() == kCancelled;
    run.Log(CBackupException::TextForm(), LineKind::kError);
    ui.ReportError(e);
    out.aborted = true;
  } catch (const FileSystemException& e) {
    run.Log(u"Unable to read or write a file.  Disk may be full.", LineKind::kError);
    ui.Message(e.Text(), StatusIcon::kExclamation);
    out.aborted = true;
  } catch (const std::bad_alloc&) {
    run.Log(u"Out of Memory.", LineKind::kError);
    ui.Message(u"Out of Memory.", StatusIcon::kExclamation);
    out.aborted = true;
  } catch (...) {
    run.Log(run.T(1152), LineKind::kError);
    ui.Message(run.T(1152), StatusIcon::kExclamation);
    out.aborted = true;
  }
  run.record.end_time = DateTime::Now();
  if (out.cancelled) connection.SendCancel();
  connection.CloseAndDropCipher();
  ui.ProgressClose();

  if (HasSummary(run.record)) {
    SummaryInputs in;
    in.user = context.user;
    in.server = context.server;
    in.port = context.port;
    in.firewall_enabled = context.firewall_enabled;
    in.firewall_server = context.firewall_server;
    in.firewall_port = context.firewall_port;
    in.requested_count = run.requested;
    in.restored_count = run.restored;
    panel.summary = BuildSummary(run.record, in, context.text, context.thousands);
  }

  out.requested = run.requested;
  out.restored = run.restored;
  out.skipped = run.record.skipped_count;
  out.non_file = run.non_file;
  if (!out.aborted) {
    const int64_t n = static_cast<int64_t>(selection.size()) - run.non_file;
    const int64_t s = run.record.skipped_count, r = run.restored;
    StatusIcon icon;
    if (r == 0 && s != n) {
      out.final_message = run.T(1153);
      icon = StatusIcon::kExclamation;
    } else if (s == n) {
      out.final_message = run.T(1154);
      icon = StatusIcon::kInformation;
    } else if (s + r == n) {
      out.final_message = run.T(1156);
      icon = StatusIcon::kInformation;
    } else {
      out.final_message = Format(run.T(1155), run.Grouped(r), run.Grouped(n));
      icon = StatusIcon::kExclamation;
    }
    ui.ShowStatus(out.final_message, icon, panel.summary, icon == StatusIcon::kExclamation);
  }
  --panel.busy;
  return out;
}

}  // namespace bexa
