// What the browse model asks of the backup server: the account's volume
// list (SLSR/SLSP) for the session's volume map, and one volume's file
// histories (DLSR, DLSP, then LINF records) with the key list, the Secret
// Key Entry dialog and the progress dialog with its Cancel.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "control/version_record.h"
#include "session/session.h"
#include "util/exceptions.h"

namespace bexa {

// The windows a fetch uses.
class FetchUi : public CancelSource {
 public:
  // The "Restore Now" button.
  virtual void EnableRestoreNow(bool enable) = 0;
  // Opens the progress dialog (operation kind 12) with a phase text.
  virtual void ProgressOpen(const std::u16string& phase_text) = 0;
  // A new phase with its range (text 1160 with the count).
  virtual void ProgressPhase(const std::u16string& phase_text, int64_t range) = 0;
  virtual void ProgressStep() = 0;
  virtual void ProgressClose() = 0;
  // The Secret Key Entry dialog: the typed key, nothing on Cancel.
  virtual std::optional<std::u16string> AskSecretKey(const std::u16string& hint) = 0;
  virtual void PumpMessages() = 0;
  // The error path: the failure's localised message.
  virtual void ReportError(const CBackupException& error) = 0;
};

// A DLSP answer other than 0, 1 and 2 sends the request again; after this
// many such answers in a row the fetch fails with code 109.
constexpr int kMaxFileListRetries = 20;

// Fetches the volume's file histories into the collection. `volume_key` is
// the volume's item path; `key_list` is the panel's list of keys to offer,
// extended here. False when it failed or was cancelled (the collection then
// holds what was received and is the caller's to discard).
bool FetchVolumeFileList(Session& session, const std::u16string& volume_key,
                         std::vector<std::u16string>& key_list, FetchUi& ui,
                         VolumeCollection& collection);

// The account's volumes ("COMPUTER:volume" entries) over a connection of
// its own: open, log on, SLSR, SLSP, close. Throws CBackupException.
std::vector<std::u16string> RequestVolumeList(Session& session);

}  // namespace bexa
