// Where each restored file goes: the pure path rule, and the decision that
// checks shares, existing files and the overwrite policy.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "restore/status_record.h"
#include "restore/summary.h"
#include "util/datetime.h"

namespace bexa {

// The overwrite policy: the buttons of the Confirm File Replace dialog.
enum OverwritePolicy : int32_t {
  kYesToAll = 0,
  kNoToAll = 1,
  kYes = 2,
  kNo = 3,  // and the start of every run
  kUniqueName = 4,
  kUniqueNameAll = 5,
};

// Asks the user about an existing file; returns the pressed button's policy.
class ConfirmReplacePrompt {
 public:
  virtual ~ConfirmReplacePrompt() = default;
  // dialog_state: handed in and back, so the next dialog of the run opens
  // the same way (details shown or not).
  virtual int32_t Ask(const std::u16string& path, int64_t existing_size,
                      const DateTime& existing_write, int64_t new_size, const DateTime& new_write,
                      int32_t& dialog_state) = 0;
};

// Whether a network share can be reached; the session keeps each answer.
class ShareAvailability {
 public:
  bool IsAvailable(const std::u16string& share_root);

 private:
  std::map<std::u16string, bool> answers_;
};

// The stored form of this computer's drive roots ("\\PC1\C\" -> "C:\").
std::map<std::u16string, std::u16string> BuildDriveMap(const std::u16string& computer_name);

// The state of one run's destination decisions.
struct DestinationRun {
  int32_t choice = 0;  // 0: original locations; other: a folder
  std::u16string folder;
  bool rebuild_hierarchy = true;
  int32_t policy = kNo;
  int32_t dialog_state = 0;
  int32_t destination_counter = 0;
  std::map<std::u16string, std::u16string> drive_map;  // built on first use
  std::u16string computer_name;

  // The selected keys (path ":" backup date) of one stored path.
  std::function<std::vector<std::u16string>(const std::u16string& stored_path)> selected_versions;
};

// "stem" + short date and time without seconds ("/" -> "-", ":" -> ".") +
// extension; the path unchanged for an invalid date.
std::u16string DatedName(const std::u16string& path, const DateTime& backup_date);

// The pure rule; also creates the folder of the result.
std::u16string DestinationPath(DestinationRun& run, const std::u16string& stored_path,
                               const std::u16string& backup_date_text, bool dated);

struct DestinationServices {
  ConfirmReplacePrompt* prompt = nullptr;
  ShareAvailability* shares = nullptr;
  StatusRecord* log = nullptr;
  TextById text;
};

// The decision: the destination path, or the empty text when the file is not
// to be restored (the reason is logged).
std::u16string Destination(DestinationRun& run, const DestinationServices& services,
                           const std::u16string& stored_path,
                           const std::u16string& backup_date_text,
                           const std::u16string& last_write_text, int64_t size);

}  // namespace bexa
