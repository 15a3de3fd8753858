#include "control/restore_destination_dialog.h"

#include "platform/ui/dialog.h"

namespace bexa {
namespace {

namespace ui = platform::ui;
using ui::ControlKind;

constexpr int kOriginal = 1072, kTemporary = 1077, kRestoreFolder = 1071, kBrowseRestore = 1075;
constexpr int kRebuild = 1073, kWorkFolder = 1074, kBrowseWork = 1076, kHelp = 57670;
// Without a work folder only this share of the dialog's height is shown,
// which leaves the work-folder part out of view.
constexpr int kShortPercent = 67;

ui::DialogTemplate RestoreDestinationTemplate() {
  ui::DialogTemplate t;
  t.resource_id = kRestoreDestinationDialogId;
  t.caption = u"Restore files to";
  t.width = 262;
  t.height = 200;
  t.controls = {
      {1104, ControlKind::kStatic, 10, 8, 242, 28},
      {kOriginal, ControlKind::kRadio, 14, 40, 236, 11, ui::kStyleGroup},
      {kTemporary, ControlKind::kRadio, 14, 53, 236, 11},
      {kRestoreFolder, ControlKind::kEdit, 26, 67, 170, 13},
      {kBrowseRestore, ControlKind::kButton, 202, 66, 50, 15},
      {kRebuild, ControlKind::kCheckBox, 26, 85, 226, 11},
      {ui::kIdOk, ControlKind::kDefaultButton, 92, 108, 50, 14, 0, u"OK"},
      {ui::kIdCancel, ControlKind::kButton, 147, 108, 50, 14, 0, u"Cancel"},
      {kHelp, ControlKind::kButton, 202, 108, 50, 14},
      {1105, ControlKind::kStatic, 10, 140, 242, 20},
      {1106, ControlKind::kStatic, 10, 166, 50, 10},
      {kWorkFolder, ControlKind::kEdit, 62, 164, 134, 13},
      {kBrowseWork, ControlKind::kButton, 202, 163, 50, 15},
  };
  return t;
}

class Dialog525 : public ui::Dialog {
 public:
  Dialog525(ui::WindowSystem& ui, const TextLookup& texts, const RestoreDestinationRequest& request,
            const ui::FolderPicker& picker)
      : Dialog(ui, RestoreDestinationTemplate()), texts_(texts), request_(request), picker_(picker) {}
  RestoreDestination values;

 protected:
  std::u16string T(int id) const { return texts_(id + request_.language_offset); }

  void OnInitDialog() override {
    ui().SetCaption(window_id(), T(1040));
    SetText(1104, T(1041));
    SetText(kOriginal, T(1042));
    SetText(kTemporary, T(1043));
    SetText(kBrowseRestore, T(1044));
    SetText(kRebuild, T(1045));
    SetText(1105, T(1046));
    SetText(1106, T(1047));
    SetText(kBrowseWork, T(1044));
    SetText(kHelp, T(1048));
    const RestoreDestination& in = request_.values;
    SetCheck(in.mode == 1 ? kTemporary : kOriginal, true);
    SetText(kRestoreFolder, in.restore_folder);
    SetCheck(kRebuild, in.rebuild);
    SetText(kWorkFolder, in.work_folder);
    if (!request_.work_folder_needed) ui().SetShownHeight(window_id(), FullHeight() * kShortPercent / 100);
    ApplyMode();
  }

  bool OnCommand(int control) override {
    switch (control) {
      case kOriginal:
      case kTemporary: ApplyMode(); return true;
      case kBrowseRestore: Browse(kRestoreFolder, 1167); return true;
      case kBrowseWork: Browse(kWorkFolder, 1047); return true;
      case kHelp: return true;
      default: return false;
    }
  }

  void OnOK() override {
    RestoreDestination v;
    v.mode = IsChecked(kTemporary) ? 1 : 0;
    v.restore_folder = Text(kRestoreFolder);
    v.rebuild = IsChecked(kRebuild);
    v.work_folder = Text(kWorkFolder);
    if (v.mode == 1 && v.restore_folder.empty()) {
      ui().MessageBox(T(1165), request_.display_name, ui::kMbOk | ui::kMbIconInformation, window_id());
      return;
    }
    if (request_.work_folder_needed && v.work_folder.empty()) {
      ui().MessageBox(T(1166), request_.display_name, ui::kMbOk | ui::kMbIconInformation, window_id());
      return;
    }
    values = v;
    EndDialog(ui::kIdOk);
  }

 private:
  void ApplyMode() {
    bool temporary = IsChecked(kTemporary);
    Enable(kRestoreFolder, temporary);
    Enable(kBrowseRestore, temporary);
    Enable(kRebuild, temporary);
  }

  void Browse(int field, int title_id) {
    if (std::optional<std::u16string> chosen = picker_(T(title_id), window_id()))
      SetText(field, *chosen);
  }

  const TextLookup& texts_;
  const RestoreDestinationRequest& request_;
  const ui::FolderPicker& picker_;
};

}  // namespace

bool AskRestoreDestination(platform::ui::WindowSystem& ui, const TextLookup& texts,
                           const RestoreDestinationRequest& request,
                           const platform::ui::FolderPicker& picker, RestoreDestination& result) {
  Dialog525 dialog(ui, texts, request, picker);
  if (dialog.DoModal(request.parent) != ui::kIdOk) return false;
  result = dialog.values;
  return true;
}

}  // namespace bexa
