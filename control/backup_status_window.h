// The Backup Status window at the end of a restore run: a modeless status
// box that stays open after the run, replaced by the next run's window.
#pragma once

#include <memory>
#include <string>

#include "control/dialog_texts.h"
#include "platform/ui/window_system.h"

namespace bexa {

class BackupStatusWindow {
 public:
  BackupStatusWindow(platform::ui::WindowSystem& ui, TextLookup texts);
  ~BackupStatusWindow();
  BackupStatusWindow(const BackupStatusWindow&) = delete;
  BackupStatusWindow& operator=(const BackupStatusWindow&) = delete;

  // exclamation: the warning icon (else the box's icon for a plain notice);
  // flash: the pair (on, 43200), so the window flashes until it is closed.
  void Show(const std::u16string& message, bool exclamation, const std::u16string& details,
            bool flash, int32_t language_offset, const std::u16string& display_name, int parent);
  bool IsOpen() const;
  int window_id() const;

 private:
  struct Box;
  platform::ui::WindowSystem& ui_;
  TextLookup texts_;
  std::unique_ptr<Box> box_;
};

}  // namespace bexa
