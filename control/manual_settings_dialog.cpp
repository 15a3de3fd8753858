#include "control/manual_settings_dialog.h"

#include "platform/ui/dialog.h"

namespace bexa {
namespace {

namespace ui = platform::ui;
using ui::ControlKind;

constexpr int kUser = 1028, kPassword = 1029, kServer = 1030;

ui::DialogTemplate ManualSettingsTemplate() {
  ui::DialogTemplate t;
  t.resource_id = kManualSettingsDialogId;
  t.caption = u"Manual Settings Required";
  t.width = 240;
  t.height = 132;
  t.controls = {
      {1097, ControlKind::kStatic, 10, 8, 220, 10},
      {1098, ControlKind::kStatic, 10, 16, 220, 30},
      {1099, ControlKind::kStatic, 10, 58, 52, 10, 0, u"User:"},
      {kUser, ControlKind::kEdit, 66, 56, 164, 12},
      {1100, ControlKind::kStatic, 10, 74, 52, 10, 0, u"Password:"},
      {kPassword, ControlKind::kEdit, 66, 72, 164, 12, ui::kStylePassword},
      {1101, ControlKind::kStatic, 10, 90, 52, 10, 0, u"Server:"},
      {kServer, ControlKind::kEdit, 66, 88, 164, 12},
      {ui::kIdOk, ControlKind::kDefaultButton, 124, 110, 50, 14, 0, u"OK"},
      {ui::kIdCancel, ControlKind::kButton, 180, 110, 50, 14, 0, u"Cancel"},
  };
  return t;
}

class Dialog211 : public ui::Dialog {
 public:
  Dialog211(ui::WindowSystem& ui, const TextLookup& texts, int32_t offset)
      : Dialog(ui, ManualSettingsTemplate()), texts_(texts), offset_(offset) {}
  ManualSettings values;

 protected:
  void OnInitDialog() override {
    ui().SetCaption(window_id(), texts_(1027 + offset_));
    SetText(1097, texts_(1032 + offset_));
    SetText(1098, texts_(1031 + offset_));
    SetText(1099, texts_(1028 + offset_));
    SetText(1100, texts_(1029 + offset_));
    SetText(1101, texts_(1030 + offset_));
  }

  void OnOK() override {
    values.user = Text(kUser);
    values.password = Text(kPassword);
    values.server = Text(kServer);
    EndDialog(ui::kIdOk);
  }

 private:
  const TextLookup& texts_;
  int32_t offset_;
};

}  // namespace

ManualSettingsDialog::ManualSettingsDialog(platform::ui::WindowSystem& ui, TextLookup texts, int parent)
    : ui_(ui), texts_(std::move(texts)), parent_(parent) {}

std::optional<ManualSettings> ManualSettingsDialog::Ask(int32_t language_offset) {
  Dialog211 dialog(ui_, texts_, language_offset);
  if (dialog.DoModal(parent_) != ui::kIdOk) return std::nullopt;
  return dialog.values;
}

}  // namespace bexa
