// One restore run: from Restore Now to the final message. The engine is a
// plan (grouping the selection by volume, building the requests) followed
// by the conversation with the server; the user interface and the
// connection reach it through the two interfaces below, so that the panel,
// the command line and the tests drive the same engine.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "restore/destination.h"
#include "restore/file_transfer.h"
#include "restore/selection_entry.h"
#include "restore/status_record.h"
#include "restore/summary.h"
#include "util/exceptions.h"

namespace bexa {

// What the server says about one volume of a restore volume list request.
struct VolumeAnswer {
  int32_t status = 0;  // 0 served, 1 server error, 2 a secret key is needed
  std::u16string hint;
};

// The fields of Restore file status (SFIL).
struct FileStatusAnswer {
  std::u16string name;
  int32_t status = 0;
};

// The fields of File information (FINF) that the restore uses.
struct FileInformation {
  std::u16string path;  // below the volume
  int32_t compression = 3;
  int32_t encrypted = 0;
  std::u16string backup_date, creation, last_write, last_access;
  int64_t size = 0;
  uint32_t attributes = 0;
  uint32_t crc32 = 0;
};

// PDU types the engine waits for.
enum : int { kPduRestoreVolumeListResponse = 32, kPduRestoreFileStatus = 33, kPduFileInformation = 15 };

// The run's own connection to the server. Failures of the conversation throw
// CBackupException with the status code of the step.
class RestoreConnection {
 public:
  virtual ~RestoreConnection() = default;
  // Opens the run's connection and logs on with the stored credentials.
  virtual void OpenAndLogOn() = 0;
  // Builds the session's data cipher; empty cipher when there is none.
  virtual FileCipher BuildDataCipher() = 0;
  // Closes the connection (Quit) and drops the data cipher; never throws.
  virtual void CloseAndDropCipher() = 0;
  virtual bool SendRestoreVolumeList(const std::vector<std::u16string>& volume_paths,
                                     const std::vector<std::u16string>& keys) = 0;
  virtual bool SendRestoreFileList(const std::u16string& root,
                                   const std::vector<std::pair<std::u16string, std::u16string>>& files) = 0;
  // Waits for the next PDU and returns its type; throws 109 on failure.
  virtual int WaitForPdu() = 0;
  virtual std::vector<VolumeAnswer> VolumeAnswers() = 0;
  virtual FileStatusAnswer RestoreFileStatus() = 0;
  virtual FileInformation FileInfo() = 0;
  // Whether the connection can still be used (no socket error).
  virtual bool Usable() = 0;
  virtual void SendFileStatus(int32_t status) = 0;
  virtual void SendAbort(int32_t reason) = 0;
  virtual void SendCancel() = 0;
  // The connection as a file transfer reads it.
  virtual TransferPeer& Peer() = 0;
  // The expander of compressed file data.
  virtual ExpandFunction Expander() = 0;
};

// The Restore Destination dialog's values.
struct DestinationChoice {
  int32_t mode = 0;  // 0 original locations, 1 a folder
  std::u16string folder = u"C:\\Temp";
  bool rebuild_hierarchy = true;
};

enum class StatusIcon { kInformation, kExclamation };

// The dialogs, the progress window and the panel's status line.
class RestoreUi {
 public:
  virtual ~RestoreUi() = default;
  virtual std::optional<DestinationChoice> AskDestination(const DestinationChoice& initial) = 0;
  // Progress dialog.
  virtual void ProgressOpen(int64_t total_files) = 0;
  virtual void ProgressCaption(const std::u16string& text) = 0;
  virtual void ProgressStatus(const std::u16string& text) = 0;
  virtual void ProgressFileLine(const std::u16string& text) = 0;
  virtual void ProgressAnimation(int kind) = 0;  // 12 per volume, 4 per file, 0 stop
  virtual void ProgressAdvance() = 0;
  virtual bool ProgressCancelled() = 0;
  // Hides and destroys the dialog; does nothing when it is not open.
  virtual void ProgressClose() = 0;
  // Keeps the window responsive during long steps.
  virtual void PumpMessages() = 0;
  virtual void PanelStatus(const std::u16string& text) = 0;
  virtual std::optional<std::u16string> AskSecretKey(const std::u16string& hint) = 0;
  virtual void Message(const std::u16string& text, StatusIcon icon) = 0;
  // Shows a failure of the server conversation (its localised message).
  virtual void ReportError(const CBackupException& e) = 0;
  // The Backup Status window at the end of the run.
  virtual void ShowStatus(const std::u16string& text, StatusIcon icon, const std::u16string& details,
                          bool flash) = 0;
  virtual ConfirmReplacePrompt& ReplacePrompt() = 0;
};

// Everything a run reads from the session and the panel.
struct RestoreContext {
  std::u16string user, password, server;
  int32_t port = 308;
  bool firewall_enabled = false;
  std::u16string firewall_server;
  int32_t firewall_port = 1080;
  std::u16string secret_key;
  std::u16string computer_name;  // this computer, for the drive map
  std::u16string domain_name;    // the name volumes are requested under by default
  // Volume name (or volume + "\") -> the computer or domain it was backed up under.
  std::map<std::u16string, std::u16string> volume_computers;
  std::u16string thousands = u",";
  TextById text;
};

// Panel state that outlives a run.
struct RestorePanelState {
  int32_t busy = 0;
  std::vector<std::u16string> key_list;  // shared with the browse fetch; never emptied
  std::u16string summary;
  std::u16string default_status;
};

// The outcome of a run, for the command line and the tests.
struct RestoreOutcome {
  bool started = false;
  bool cancelled = false;
  bool aborted = false;  // ended by an exception
  int32_t requested = 0, restored = 0, skipped = 0, non_file = 0;
  std::u16string final_message;
};

// The volume name of a stored path: "\\MACHINE\C" of \\MACHINE\C\dir\file.
std::u16string VolumeOfPath(const std::u16string& path);

// Starts a run on the selection: the driver with its catch-all, the final
// message and the summary.
// `selected_count` is the selection's count of entries with a valid size.
RestoreOutcome RunRestore(const std::vector<SelectionEntry>& selection, int64_t selected_count,
                          RestoreContext& context,
                          RestorePanelState& panel, RestoreConnection& connection, RestoreUi& ui,
                          ShareAvailability& shares);

}  // namespace bexa
