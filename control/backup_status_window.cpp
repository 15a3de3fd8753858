#include "control/backup_status_window.h"

#include "control/status_box.h"

namespace bexa {

struct BackupStatusWindow::Box {
  std::unique_ptr<StatusBox> box;
};

BackupStatusWindow::BackupStatusWindow(platform::ui::WindowSystem& ui, TextLookup texts)
    : ui_(ui), texts_(std::move(texts)), box_(std::make_unique<Box>()) {}

BackupStatusWindow::~BackupStatusWindow() = default;

void BackupStatusWindow::Show(const std::u16string& message, bool exclamation,
                              const std::u16string& details, bool flash, int32_t language_offset,
                              const std::u16string& display_name, int parent) {
  StatusBoxRequest request;
  request.message = message;
  // The box knows a warning, a question and an error icon; the restore's
  // notices (information) get the box's default, as the box's rule says.
  request.icon = exclamation ? StatusIcon::kWarning : StatusIcon::kError;
  request.hide_cancel = true;
  request.details = details;
  if (flash) request.flash = std::make_pair(true, 43200u);
  request.language_offset = language_offset;
  request.display_name = display_name;
  request.parent = parent;
  box_->box.reset();  // the previous run's window goes
  box_->box = std::make_unique<StatusBox>(ui_, texts_, std::move(request));
  box_->box->Create();
}

bool BackupStatusWindow::IsOpen() const { return box_->box && box_->box->IsOpen(); }

int BackupStatusWindow::window_id() const { return box_->box ? box_->box->window_id() : 0; }

}  // namespace bexa
