#include "platform/ui/dialog.h"

namespace bexa::platform::ui {

Dialog::Dialog(WindowSystem& ui, DialogTemplate tmpl) : ui_(ui), template_(std::move(tmpl)) {}

Dialog::~Dialog() {
  if (window_id() != 0) ui_.DestroyWindow(window_);
}

int Dialog::window_id() const { return window_ != 0 && ui_.Find(window_) ? window_ : 0; }

void Dialog::CreateWindow(int parent, bool modal) {
  if (window_id() != 0) ui_.DestroyWindow(window_);
  modal_ = modal;
  window_ = ui_.CreateFromTemplate(template_, WindowKind::kDialog, this, parent);
  ui_.Find(window_)->modal = modal;
  OnInitDialog();
}

int Dialog::DoModal(int parent) {
  CreateWindow(parent, true);
  // OnInitDialog may already have ended the dialog.
  if (window_id() == 0) return kIdCancel;
  int result = ui_.RunModal(window_);
  window_ = 0;
  return result;
}

void Dialog::Create(int parent) {
  CreateWindow(parent, false);
  if (window_id() != 0) ui_.ShowWindow(window_, true);
}

void Dialog::EndDialog(int result) {
  if (window_id() == 0) return;
  if (modal_)
    ui_.EndModal(window_, result);
  else
    ui_.DestroyWindow(window_);
}

bool Dialog::OnEvent(const UiEvent& event) {
  switch (event.kind) {
    case EventKind::kCommand:
      if (OnCommand(event.control)) return true;
      if (event.control == kIdOk) {
        OnOK();
        return true;
      }
      if (event.control == kIdCancel) {
        OnCancel();
        return true;
      }
      return false;
    case EventKind::kClose:
      OnCancel();
      return true;
    default:
      return OnOtherEvent(event);
  }
}

}  // namespace bexa::platform::ui
