// The Restore Destination dialog (525): original locations or a temporary
// folder, the rebuild flag, and the work folder when the caller needs one.
#pragma once

#include <string>

#include "control/dialog_texts.h"
#include "platform/ui/folder_picker.h"
#include "platform/ui/window_system.h"

namespace bexa {

constexpr int kRestoreDestinationDialogId = 525;

struct RestoreDestination {
  int mode = 0;  // 0 original locations, 1 temporary folder
  std::u16string restore_folder;
  bool rebuild = true;
  std::u16string work_folder;
};

struct RestoreDestinationRequest {
  RestoreDestination values;       // what the dialog opens with
  bool work_folder_needed = false;
  int32_t language_offset = 0;
  std::u16string display_name;     // the title of its message boxes
  int parent = 0;
};

// Shows the dialog modally. True on OK, with the four values in `result`;
// false on Cancel (`result` unchanged). The picker answers Browse.
bool AskRestoreDestination(platform::ui::WindowSystem& ui, const TextLookup& texts,
                           const RestoreDestinationRequest& request,
                           const platform::ui::FolderPicker& picker, RestoreDestination& result);

}  // namespace bexa
