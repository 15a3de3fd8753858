#include "control/status_box.h"

#include "platform/ui/dialog.h"
#include "util/text.h"

namespace bexa {
namespace {

namespace ui = platform::ui;
using ui::ControlKind;

constexpr int kIcon = 1092, kMessage = 1093, kMore = 1070, kDetails = 1094;
// Collapsed, only this share of the box remains: the details are out of view.
constexpr int kCollapsedPercent = 33;
constexpr uint32_t kFlashPeriodMs = 1000;

ui::DialogTemplate StatusTemplate() {
  ui::DialogTemplate t;
  t.resource_id = kStatusBoxDialogId;
  t.caption = u"Backup Status";
  t.width = 262;
  t.height = 180;
  t.controls = {
      {kIcon, ControlKind::kIcon, 10, 8, 22, 22},
      {kMessage, ControlKind::kStatic, 40, 8, 212, 26},
      {kMore, ControlKind::kButton, 10, 40, 56, 14},
      {ui::kIdOk, ControlKind::kDefaultButton, 146, 40, 50, 14, 0, u"OK"},
      {ui::kIdCancel, ControlKind::kButton, 202, 40, 50, 14, 0, u"Cancel"},
      {kDetails, ControlKind::kEdit, 10, 62, 242, 110, ui::kStyleMultiLine | ui::kStyleReadOnly},
  };
  return t;
}

struct IconKind {
  const char16_t* name;
  unsigned beep;
};

IconKind IconOf(StatusIcon icon) {
  switch (icon) {
    case StatusIcon::kWarning: return {u"warning", ui::kMbIconExclamation};
    case StatusIcon::kQuestion: return {u"question", ui::kMbIconQuestion};
    case StatusIcon::kError: break;
  }
  return {u"error", ui::kMbIconError};
}

}  // namespace

class StatusBox::Window : public ui::Dialog {
 public:
  explicit Window(StatusBox& owner) : Dialog(owner.ui_, StatusTemplate()), owner_(owner) {
    const StatusBoxRequest& r = owner.request_;
    if (r.flash) {
      flash_ = r.flash->first;
      if (r.flash->first && r.flash->second != 0) ticks_ = r.flash->second;
    }
  }

 protected:
  std::u16string T(int id) const { return owner_.texts_(id + owner_.request_.language_offset); }

  void OnInitDialog() override {
    const StatusBoxRequest& r = owner_.request_;
    int w = window_id();
    ui().SetCaption(w, T(1063));
    // What the box does when it is shown:
    ui().SetCaption(w, Format(T(1161), r.display_name));
    IconKind icon = IconOf(r.icon);
    ui().SetIcon(w, kIcon, icon.name);
    SetText(kMessage, r.message);
    if (r.ok_text) SetText(ui::kIdOk, *r.ok_text);
    if (r.cancel_text) SetText(ui::kIdCancel, *r.cancel_text);
    Show(ui::kIdOk, !r.hide_ok);
    Show(ui::kIdCancel, !r.hide_cancel);
    SetDetailsShown(false);
    SetText(kDetails, r.details);
    Show(kMore, !r.details.empty());
    ui().Beep(icon.beep);
    if (ticks_ != 0) ui().SetTimer(w, kStatusFlashTimer, kFlashPeriodMs);
  }

  bool OnCommand(int control) override {
    if (control != kMore) return false;
    SetDetailsShown(!details_shown_);
    return true;
  }

  void OnOK() override { End(ui::kIdOk); }
  void OnCancel() override { End(ui::kIdCancel); }

  bool OnOtherEvent(const ui::UiEvent& event) override {
    if (event.kind != ui::EventKind::kTimer || event.value != kStatusFlashTimer) return false;
    // The tick count is not counted down: the box flashes until it is closed.
    if (flash_) ui().FlashWindow(window_id());
    return true;
  }

 private:
  void End(int result) {
    ui().KillTimer(window_id(), kStatusFlashTimer);
    owner_.result_ = result;
    EndDialog(result);
  }

  void SetDetailsShown(bool shown) {
    details_shown_ = shown;
    ui().SetShownHeight(window_id(), shown ? FullHeight() : FullHeight() * kCollapsedPercent / 100);
    SetText(kMore, T(shown ? 1026 : 1056));
  }

  StatusBox& owner_;
  bool flash_ = true;
  uint32_t ticks_ = 0;
  bool details_shown_ = false;
};

StatusBox::StatusBox(platform::ui::WindowSystem& ui, TextLookup texts, StatusBoxRequest request)
    : ui_(ui), texts_(std::move(texts)), request_(std::move(request)) {}

StatusBox::~StatusBox() = default;

int StatusBox::DoModal() {
  window_ = std::make_unique<Window>(*this);
  result_ = window_->DoModal(request_.parent);
  return result_;
}

void StatusBox::Create() {
  window_ = std::make_unique<Window>(*this);
  window_->Create(request_.parent);
}

bool StatusBox::IsOpen() const { return window_ && window_->IsOpen(); }
int StatusBox::window_id() const { return window_ ? window_->window_id() : 0; }

}  // namespace bexa
