#include "platform/ui/console_backend.h"

#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/codepage.h"

namespace bexa::platform::ui {
namespace {

bool Shown(const Window& w, const ControlState& c) {
  // Controls below the shown part of a shortened dialog are out of view.
  return c.visible && c.y < w.shown_height;
}

bool IsChoice(const ControlState& c) {
  return c.kind == ControlKind::kButton || c.kind == ControlKind::kDefaultButton ||
         c.kind == ControlKind::kCheckBox || c.kind == ControlKind::kRadio ||
         c.kind == ControlKind::kEdit || c.kind == ControlKind::kDropDownList;
}

}  // namespace

ConsoleBackend::ConsoleBackend(WindowSystem& ui, std::istream& in, std::ostream& out)
    : ui_(ui), in_(in), out_(out) {
  ui_.SetBackend(this);
}

ConsoleBackend::~ConsoleBackend() {
  if (ui_.backend() == this) ui_.SetBackend(nullptr);
}

void ConsoleBackend::Beep(unsigned) { out_ << '\a' << std::flush; }

bool ConsoleBackend::ProvideInput(WindowSystem&, Window& w) {
  out_ << "\n== " << WideToUtf8(w.caption) << " ==\n";
  std::vector<const ControlState*> choices;
  for (const ControlState& c : w.controls) {
    if (!Shown(w, c)) continue;
    if (c.kind == ControlKind::kStatic && !c.text.empty()) out_ << WideToUtf8(c.text) << "\n";
    if (c.kind == ControlKind::kProgress)
      out_ << "[" << c.position << " of " << c.range_low << ".." << c.range_high << "]\n";
    if (!IsChoice(c) || !c.enabled) continue;
    choices.push_back(&c);
    out_ << "  " << choices.size() << ") ";
    switch (c.kind) {
      case ControlKind::kCheckBox: out_ << (c.checked ? "[x] " : "[ ] ") << WideToUtf8(c.text); break;
      case ControlKind::kRadio: out_ << (c.checked ? "(*) " : "( ) ") << WideToUtf8(c.text); break;
      case ControlKind::kEdit:
        out_ << "edit: " << (c.style & kStylePassword ? std::string(c.text.size(), '*')
                                                        : WideToUtf8(c.text));
        break;
      case ControlKind::kDropDownList:
        out_ << "choose: "
             << (c.selected_item >= 0 ? WideToUtf8(c.items[c.selected_item]) : std::string());
        break;
      default: out_ << WideToUtf8(c.text) << (c.id == w.DefaultButton() ? "  (Enter)" : ""); break;
    }
    out_ << "\n";
  }
  out_ << "> " << std::flush;

  std::string line;
  if (!std::getline(in_, line)) {
    if (closed_window_ == w.id) throw std::runtime_error("no input left for a window on the console");
    closed_window_ = w.id;
    UiEvent close;
    close.kind = EventKind::kClose;
    close.window = w.id;
    if (w.kind == WindowKind::kMessageBox && w.Find(kIdNo)) {
      close.kind = EventKind::kCommand;
      close.control = kIdNo;
    }
    ui_.Post(close);
    return true;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.empty()) {
    if (int def = w.DefaultButton()) {
      UiEvent e;
      e.window = w.id;
      e.control = def;
      ui_.Post(e);
    }
    return true;
  }
  size_t index = 0;
  try {
    index = std::stoul(line);
  } catch (const std::exception&) {
    out_ << "Please answer with a number.\n";
    return true;
  }
  if (index == 0 || index > choices.size()) {
    out_ << "Please answer with a number from 1 to " << choices.size() << ".\n";
    return true;
  }
  const ControlState& c = *choices[index - 1];
  UiEvent e;
  e.window = w.id;
  e.control = c.id;
  if (c.kind == ControlKind::kEdit) {
    out_ << "new value: " << std::flush;
    std::string value;
    std::getline(in_, value);
    if (!value.empty() && value.back() == '\r') value.pop_back();
    e.kind = EventKind::kEditChanged;
    e.text = Utf8ToWide(value);
  } else if (c.kind == ControlKind::kDropDownList) {
    for (size_t i = 0; i < c.items.size(); ++i) out_ << "  " << i + 1 << ") " << WideToUtf8(c.items[i]) << "\n";
    out_ << "line: " << std::flush;
    std::string value;
    std::getline(in_, value);
    e.kind = EventKind::kComboSelect;
    e.value = std::atoi(value.c_str()) - 1;
  } else {
    e.kind = EventKind::kCommand;
  }
  ui_.Post(e);
  return true;
}

}  // namespace bexa::platform::ui
