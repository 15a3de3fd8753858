#include "control/confirm_replace_dialog.h"

#include "platform/locale.h"
#include "platform/ui/dialog.h"
#include "util/dates.h"
#include "util/text.h"

namespace bexa {
namespace {

namespace ui = platform::ui;
using ui::ControlKind;

constexpr int kMore = 1070;
// Collapsed, the dialog shows this share of its height: the bottom row of
// buttons is out of view.
constexpr int kCollapsedPercent = 87;
constexpr char16_t kMoreText[] = u"More >>";
constexpr char16_t kHideText[] = u"Hide";

struct Answer {
  int button, result;
};
constexpr Answer kAnswers[] = {
    {1064, kReplaceYesToAll}, {1065, kReplaceNoToAll}, {1066, kReplaceYes},
    {1067, kReplaceNo},       {1068, kReplaceUnique},  {1069, kReplaceAllUnique},
};

ui::DialogTemplate ConfirmReplaceTemplate() {
  ui::DialogTemplate t;
  t.resource_id = kConfirmReplaceDialogId;
  t.caption = u"Confirm File Replace";
  t.width = 320;
  t.height = 172;
  t.controls = {
      {1060, ControlKind::kStatic, 10, 8, 280, 10},
      {1063, ControlKind::kStatic, 10, 18, 280, 10},
      {1102, ControlKind::kStatic, 10, 34, 280, 10},
      {1057, ControlKind::kIcon, 22, 46, 22, 22},
      {1059, ControlKind::kStatic, 52, 48, 238, 10},
      {1058, ControlKind::kStatic, 52, 58, 238, 10},
      {1103, ControlKind::kStatic, 10, 76, 280, 10},
      {1056, ControlKind::kIcon, 22, 88, 22, 22},
      {1062, ControlKind::kStatic, 52, 90, 238, 10},
      {1061, ControlKind::kStatic, 52, 100, 238, 10},
      {1064, ControlKind::kButton, 10, 124, 60, 14},
      {1065, ControlKind::kButton, 74, 124, 60, 14},
      {1066, ControlKind::kDefaultButton, 138, 124, 46, 14},
      {1067, ControlKind::kButton, 188, 124, 46, 14},
      {kMore, ControlKind::kButton, 260, 124, 50, 14},
      {1068, ControlKind::kButton, 10, 152, 146, 14},
      {1069, ControlKind::kButton, 160, 152, 150, 14},
  };
  return t;
}

class Dialog526 : public ui::Dialog {
 public:
  Dialog526(ui::WindowSystem& ui, const TextLookup& texts, const ReplaceQuestion& q)
      : Dialog(ui, ConfirmReplaceTemplate()), texts_(texts), q_(q), details_(q.details ? 1 : 0) {}
  int result = kReplaceNo;
  int details() const { return details_; }

 protected:
  std::u16string T(int id) const { return texts_(id + q_.language_offset); }

  void OnInitDialog() override {
    ui().SetCaption(window_id(), T(1049));
    const std::u16string& path = q_.existing_path;
    size_t slash = path.rfind(u'\\');
    if (slash == std::u16string::npos) {
      SetText(1060, Format(T(1188), path));
      SetText(1063, u"");
    } else {
      SetText(1060, T(1050) + path.substr(0, slash));
      SetText(1063, T(1187) + u"'" + path.substr(slash + 1) + u"'");
    }
    SetText(1102, T(1052));
    SetText(1103, T(1055));
    std::u16string separator = platform::ThousandSeparator();
    SetText(1059, ReplaceSizeText(q_.existing_size, separator));
    SetText(1058, u"modified on " + LongDateTimeText(q_.existing_modified, false));
    SetText(1062, ReplaceSizeText(q_.backup_size, separator));
    SetText(1061, u"backed up on " + LongDateTimeText(q_.backup_date, false));
    ui().SetIcon(window_id(), 1057, q_.icon);
    ui().SetIcon(window_id(), 1056, q_.icon);
    SetText(1064, T(1057));
    SetText(1065, T(1058));
    SetText(1066, T(1059));
    SetText(1067, T(1060));
    SetText(1068, T(1061));
    SetText(1069, T(1062));
    ApplyDetails();
  }

  bool OnCommand(int control) override {
    if (control == kMore) {
      details_ = 1 - details_;
      ApplyDetails();
      return true;
    }
    for (const Answer& a : kAnswers)
      if (a.button == control) {
        result = a.result;
        EndDialog(ui::kIdOk);
        return true;
      }
    return false;
  }

  void OnCancel() override {
    result = kReplaceNo;
    EndDialog(ui::kIdCancel);
  }

 private:
  void ApplyDetails() {
    ui().SetShownHeight(window_id(), details_ ? FullHeight() : FullHeight() * kCollapsedPercent / 100);
    SetText(kMore, details_ ? kHideText : kMoreText);
  }

  const TextLookup& texts_;
  const ReplaceQuestion& q_;
  int details_;
};

}  // namespace

std::u16string ReplaceSizeText(int64_t bytes, std::u16string_view thousands_separator) {
  if (bytes == 0) return u"0KB (0 bytes)";
  std::u16string grouped_bytes = GroupDigits(ToText(bytes), thousands_separator);
  int64_t kilobytes = bytes / 1024;
  if (kilobytes == 0) return Format(u"1KB (%s bytes)", grouped_bytes);
  return Format(u"%sKB (%s bytes)", GroupDigits(ToText(kilobytes), thousands_separator), grouped_bytes);
}

ReplaceAnswer AskReplace(platform::ui::WindowSystem& ui, const TextLookup& texts,
                         const ReplaceQuestion& question) {
  Dialog526 dialog(ui, texts, question);
  int closed = dialog.DoModal(question.parent);
  ReplaceAnswer answer;
  answer.ok = closed == ui::kIdOk;
  answer.result = dialog.result;
  answer.details = dialog.details();
  return answer;
}

}  // namespace bexa
