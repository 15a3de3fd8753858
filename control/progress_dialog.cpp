#include "control/progress_dialog.h"

#include "platform/locale.h"
#include "platform/ui/dialog.h"
#include "util/text.h"

namespace bexa {
namespace {

namespace ui = platform::ui;
using ui::ControlKind;

constexpr int kAnimation = 1078, kPhase = 1060, kStepText = 1079, kUpperBar = 1080;
constexpr int kExtraLine = 1088, kTasks = 1082, kLowerBar = 1083;

ui::DialogTemplate ProgressTemplate() {
  ui::DialogTemplate t;
  t.resource_id = kProgressDialogId;
  t.width = 262;
  t.height = 118;
  t.controls = {
      {kAnimation, ControlKind::kAnimation, 10, 6, 242, 24},
      {kPhase, ControlKind::kStatic, 10, 34, 242, 10},
      {kStepText, ControlKind::kStatic, 10, 45, 242, 10},
      {kUpperBar, ControlKind::kProgress, 10, 58, 242, 7},
      {kExtraLine, ControlKind::kStatic, 10, 68, 242, 10},
      {kTasks, ControlKind::kStatic, 10, 80, 242, 10},
      {kLowerBar, ControlKind::kProgress, 10, 99, 186, 7},
      {ui::kIdCancel, ControlKind::kButton, 202, 95, 50, 14, 0, u"Cancel"},
  };
  return t;
}

}  // namespace

int AnimationOfOperation(int kind) {
  if (kind == kOperationReceivingFiles) return 148;
  if (kind == kOperationVolume) return 147;
  return 142;
}

class ProgressDialog::Window : public ui::Dialog {
 public:
  explicit Window(ProgressDialog& owner) : Dialog(owner.ui_, ProgressTemplate()), owner_(owner) {}

 protected:
  std::u16string T(int id) const { return owner_.texts_(id + owner_.language_offset_); }

  void OnInitDialog() override {
    ui().SetRange(window_id(), kUpperBar, 0, 100);
    ui().SetRange(window_id(), kLowerBar, 0, 100);
    ui().SetCaption(window_id(), owner_.display_name_);
  }

  void OnOK() override {}

  void OnCancel() override {
    int answer = ui().MessageBox(T(1164), owner_.display_name_, ui::kMbYesNo | ui::kMbIconQuestion,
                                 window_id());
    if (answer != ui::kIdYes) return;
    owner_.cancelled_ = true;
    EndDialog(ui::kIdCancel);
  }

 private:
  ProgressDialog& owner_;
};

ProgressDialog::ProgressDialog(platform::ui::WindowSystem& ui, TextLookup texts,
                               int32_t language_offset, std::u16string display_name)
    : ui_(ui), texts_(std::move(texts)), language_offset_(language_offset),
      display_name_(std::move(display_name)) {}

ProgressDialog::~ProgressDialog() = default;

void ProgressDialog::Create(int parent) {
  window_ = std::make_unique<Window>(*this);
  cancelled_ = false;
  kind_ = -1;
  window_->Create(parent);
}

int ProgressDialog::window_id() const { return window_ ? window_->window_id() : 0; }
bool ProgressDialog::IsOpen() const { return window_id() != 0; }

void ProgressDialog::SetOperationKind(int kind) {
  if (kind == kind_ || !IsOpen()) return;
  kind_ = kind;
  ui_.SetAnimation(window_id(), kAnimation, AnimationOfOperation(kind), true);
}

void ProgressDialog::StopAnimation() {
  if (!IsOpen()) return;
  kind_ = -1;
  ui_.SetAnimation(window_id(), kAnimation, 0, false);
}

void ProgressDialog::StartPhase(const std::u16string& phase_text, int upper_range) {
  if (!IsOpen()) return;
  ui_.SetText(window_id(), kPhase, phase_text);
  ui_.SetText(window_id(), kStepText, u"");
  ui_.SetRange(window_id(), kUpperBar, 0, upper_range);
  ui_.SetPosition(window_id(), kUpperBar, 0);
}

void ProgressDialog::Step(const std::u16string& step_text) {
  if (!IsOpen()) return;
  ui_.SetText(window_id(), kStepText, step_text);
  if (const ui::ControlState* bar = ui_.Control(window_id(), kUpperBar))
    ui_.SetPosition(window_id(), kUpperBar, bar->position + 1);
}

void ProgressDialog::SetUpperPosition(int position) {
  if (IsOpen()) ui_.SetPosition(window_id(), kUpperBar, position);
}

void ProgressDialog::SetExtraLine(const std::u16string& text) {
  if (IsOpen()) ui_.SetText(window_id(), kExtraLine, text);
}

void ProgressDialog::SetTaskCount(int64_t tasks) {
  tasks_left_ = tasks;
  ShowTasksLeft();
}

void ProgressDialog::TaskDone() {
  if (tasks_left_ > 0) --tasks_left_;
  ShowTasksLeft();
}

void ProgressDialog::ShowTasksLeft() {
  if (!IsOpen()) return;
  std::u16string count = GroupDigits(ToText(tasks_left_), platform::ThousandSeparator());
  ui_.SetText(window_id(), kTasks, Format(texts_(1163 + language_offset_), count));
}

void ProgressDialog::SetLowerPosition(int percent) {
  if (IsOpen()) ui_.SetPosition(window_id(), kLowerBar, percent);
}

void ProgressDialog::Destroy() {
  if (window_) window_->EndDialog(ui::kIdCancel);
  window_.reset();
}

}  // namespace bexa
