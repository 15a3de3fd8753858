// The Confirm File Replace dialog (526): an existing file and the backup's
// copy side by side, with six answers.
#pragma once

#include <cstdint>
#include <string>

#include "control/dialog_texts.h"
#include "platform/ui/window_system.h"
#include "util/datetime.h"

namespace bexa {

constexpr int kConfirmReplaceDialogId = 526;

// The answers, as the restore's overwrite decision reads them.
enum ReplaceResult : int {
  kReplaceYesToAll = 0,
  kReplaceNoToAll = 1,
  kReplaceYes = 2,
  kReplaceNo = 3,
  kReplaceUnique = 4,
  kReplaceAllUnique = 5,
};

struct ReplaceQuestion {
  std::u16string existing_path;
  int64_t existing_size = 0;
  DateTime existing_modified;
  int64_t backup_size = 0;
  DateTime backup_date;
  std::u16string icon;  // the file type's icon name
  int details = 0;      // 1: open with the bottom row shown
  int32_t language_offset = 0;
  int parent = 0;
};

struct ReplaceAnswer {
  bool ok = false;   // closed by one of the six answers
  int result = kReplaceNo;  // closing otherwise (Escape, close box) answers No
  int details = 0;   // the details state when the dialog closed
};

ReplaceAnswer AskReplace(platform::ui::WindowSystem& ui, const TextLookup& texts,
                         const ReplaceQuestion& question);

// "0KB (0 bytes)", "1KB (%s bytes)" below 1,024 bytes, else "%sKB (%s bytes)"
// with the digits grouped by the separator.
std::u16string ReplaceSizeText(int64_t bytes, std::u16string_view thousands_separator);

}  // namespace bexa
