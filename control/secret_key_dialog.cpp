#include "control/secret_key_dialog.h"

#include "platform/ui/dialog.h"
#include "util/text.h"

namespace bexa {
namespace {

namespace ui = platform::ui;
using ui::ControlKind;

constexpr int kKey = 1024;

ui::DialogTemplate SecretKeyTemplate() {
  ui::DialogTemplate t;
  t.resource_id = kSecretKeyDialogId;
  t.caption = u"Secret Key Entry";
  t.width = 220;
  t.height = 78;
  t.controls = {
      {1025, ControlKind::kStatic, 8, 8, 204, 10},
      {1026, ControlKind::kStatic, 8, 20, 204, 10},
      {kKey, ControlKind::kEdit, 8, 34, 204, 12, ui::kStylePassword},
      {ui::kIdOk, ControlKind::kDefaultButton, 106, 56, 50, 14, 0, u"OK"},
      {ui::kIdCancel, ControlKind::kButton, 162, 56, 50, 14, 0, u"Cancel"},
  };
  return t;
}

class Dialog130 : public ui::Dialog {
 public:
  Dialog130(ui::WindowSystem& ui, const TextLookup& texts, int32_t offset, const std::u16string& hint)
      : Dialog(ui, SecretKeyTemplate()), texts_(texts), offset_(offset), hint_(hint) {}
  std::u16string key;

 protected:
  void OnInitDialog() override {
    ui().SetCaption(window_id(), texts_(1017 + offset_));
    SetText(1025, texts_(1169 + offset_));
    SetText(1026, Format(texts_(1168 + offset_), hint_));
    ui().SetFocus(window_id(), kKey);
  }

  void OnOK() override {
    key = Text(kKey);
    EndDialog(ui::kIdOk);
  }

 private:
  const TextLookup& texts_;
  int32_t offset_;
  const std::u16string& hint_;
};

}  // namespace

std::optional<std::u16string> AskSecretKey(platform::ui::WindowSystem& ui, const TextLookup& texts,
                                           int32_t language_offset, const std::u16string& hint,
                                           int parent) {
  Dialog130 dialog(ui, texts, language_offset, hint);
  if (dialog.DoModal(parent) != ui::kIdOk) return std::nullopt;
  return dialog.key;
}

}  // namespace bexa
