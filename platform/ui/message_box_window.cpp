// The message box of the window system: a small modal window with an icon,
// the text and the buttons of its flags.
#include <algorithm>

#include "platform/ui/window_system.h"

namespace bexa::platform::ui {
namespace {

constexpr int kIconControl = 20;
constexpr int kTextControl = 21;
constexpr int kWidth = 236;
constexpr int kCharsPerLine = 44;  // of the text column, at 4 dialog units a character

class MessageBoxHandler : public WindowHandler {
 public:
  MessageBoxHandler(WindowSystem& ui, unsigned buttons) : ui_(ui), buttons_(buttons) {}
  int window = 0;

  bool OnEvent(const UiEvent& event) override {
    if (event.kind == EventKind::kCommand) {
      ui_.EndModal(window, event.control);
    } else if (event.kind == EventKind::kClose) {
      // As on Windows, a Yes/No box cannot be closed without an answer.
      if (buttons_ == kMbOkCancel || buttons_ == kMbYesNoCancel) ui_.EndModal(window, kIdCancel);
      if (buttons_ == kMbOk) ui_.EndModal(window, kIdOk);
    }
    return true;
  }

 private:
  WindowSystem& ui_;
  unsigned buttons_;
};

int TextLines(const std::u16string& text) {
  int lines = 0;
  size_t start = 0;
  while (true) {
    size_t end = text.find(u'\n', start);
    size_t len = (end == std::u16string::npos ? text.size() : end) - start;
    lines += std::max<int>(1, static_cast<int>((len + kCharsPerLine - 1) / kCharsPerLine));
    if (end == std::u16string::npos) break;
    start = end + 1;
  }
  return lines;
}

const char16_t* IconName(unsigned icon) {
  switch (icon) {
    case kMbIconError: return u"error";
    case kMbIconQuestion: return u"question";
    case kMbIconExclamation: return u"warning";
    case kMbIconInformation: return u"information";
    default: return u"";
  }
}

}  // namespace

int WindowSystem::MessageBox(const std::u16string& text, const std::u16string& caption,
                             unsigned flags, int parent) {
  unsigned buttons = flags & 0x0F;
  unsigned icon = flags & 0xF0;
  if (buttons != kMbOkCancel && buttons != kMbYesNo && buttons != kMbYesNoCancel) buttons = kMbOk;

  int text_height = std::max(20, TextLines(text) * 9);
  int buttons_y = 10 + text_height + 10;
  DialogTemplate tmpl;
  tmpl.caption = caption;
  tmpl.width = kWidth;
  tmpl.height = buttons_y + 14 + 8;
  int text_x = icon ? 44 : 12;
  if (icon) tmpl.controls.push_back({kIconControl, ControlKind::kIcon, 12, 10, 22, 20});
  tmpl.controls.push_back(
      {kTextControl, ControlKind::kStatic, text_x, 10, kWidth - text_x - 12, text_height, 0, text});

  std::vector<std::pair<int, std::u16string>> ids;
  if (buttons == kMbOk) ids = {{kIdOk, u"OK"}};
  if (buttons == kMbOkCancel) ids = {{kIdOk, u"OK"}, {kIdCancel, u"Cancel"}};
  if (buttons == kMbYesNo) ids = {{kIdYes, u"Yes"}, {kIdNo, u"No"}};
  if (buttons == kMbYesNoCancel) ids = {{kIdYes, u"Yes"}, {kIdNo, u"No"}, {kIdCancel, u"Cancel"}};
  int x = kWidth - 12 - static_cast<int>(ids.size()) * 56 + 6;
  for (size_t i = 0; i < ids.size(); ++i, x += 56)
    tmpl.controls.push_back({ids[i].first, i == 0 ? ControlKind::kDefaultButton : ControlKind::kButton,
                             x, buttons_y, 50, 14, 0, ids[i].second});

  MessageBoxHandler handler(*this, buttons);
  handler.window = CreateFromTemplate(tmpl, WindowKind::kMessageBox, &handler, parent);
  if (icon) Find(handler.window)->Find(kIconControl)->icon = IconName(icon);
  Find(handler.window)->focus = ids[0].first;
  Beep(icon);
  return RunModal(handler.window);
}

}  // namespace bexa::platform::ui
