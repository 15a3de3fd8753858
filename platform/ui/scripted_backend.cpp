#include "platform/ui/scripted_backend.h"

#include <stdexcept>

#include "platform/codepage.h"

namespace bexa::platform::ui {

ScriptedBackend::ScriptedBackend(WindowSystem& ui) : ui_(ui) { ui_.SetBackend(this); }

ScriptedBackend::~ScriptedBackend() {
  if (ui_.backend() == this) ui_.SetBackend(nullptr);
}

ScriptedBackend& ScriptedBackend::Then(Step step) {
  steps_.push_back(std::move(step));
  return *this;
}

ScriptedBackend& ScriptedBackend::ThenClick(int control) {
  return Then([control](ScriptedBackend& s, const Window& w) { s.Click(w.id, control); });
}

bool ScriptedBackend::ProvideInput(WindowSystem&, Window& modal) {
  if (steps_.empty())
    throw std::logic_error("script has no answer for the window \"" + WideToUtf8(modal.caption) +
                           "\"");
  Step step = std::move(steps_.front());
  steps_.pop_front();
  step(*this, modal);
  return true;
}

void ScriptedBackend::WindowShown(const Window& window) {
  ++shown_count_;
  if (window.kind != WindowKind::kMessageBox) return;
  ShownBox box;
  box.caption = window.caption;
  for (const ControlState& c : window.controls) {
    if (c.kind == ControlKind::kStatic) box.text = c.text;
    if (c.kind == ControlKind::kIcon) box.icon = c.icon;
  }
  message_boxes_.push_back(box);
}

void ScriptedBackend::Post(UiEvent event) { ui_.Post(std::move(event)); }

void ScriptedBackend::Click(int window, int control) {
  UiEvent e;
  e.kind = EventKind::kCommand;
  e.window = window;
  e.control = control;
  Post(e);
}

void ScriptedBackend::Type(int window, int control, const std::u16string& text) {
  UiEvent e;
  e.kind = EventKind::kEditChanged;
  e.window = window;
  e.control = control;
  e.text = text;
  Post(e);
}

void ScriptedBackend::PressEnter(int window) {
  const Window* w = ui_.Find(window);
  if (w && w->DefaultButton() != 0) Click(window, w->DefaultButton());
}

void ScriptedBackend::PressEscape(int window) {
  UiEvent e;
  e.kind = EventKind::kClose;
  e.window = window;
  Post(e);
}

void ScriptedBackend::ChooseComboLine(int window, int control, int line) {
  UiEvent e;
  e.kind = EventKind::kComboSelect;
  e.window = window;
  e.control = control;
  e.value = line;
  Post(e);
}

void ScriptedBackend::ClickTreeItem(int window, int control, TreeHandle item, bool on_state_image) {
  UiEvent e;
  e.kind = EventKind::kTreeClick;
  e.window = window;
  e.control = control;
  e.item = item;
  e.on_state_image = on_state_image;
  Post(e);
  // A click on the label selects the item, as a tree view does.
  if (!on_state_image) SelectTreeItem(window, control, item);
}

void ScriptedBackend::SelectTreeItem(int window, int control, TreeHandle item) {
  UiEvent e;
  e.kind = EventKind::kTreeSelect;
  e.window = window;
  e.control = control;
  e.item = item;
  Post(e);
}

void ScriptedBackend::ExpandTreeItem(int window, int control, TreeHandle item) {
  UiEvent e;
  e.kind = EventKind::kTreeExpanding;
  e.window = window;
  e.control = control;
  e.item = item;
  e.value = 1;
  Post(e);
}

void ScriptedBackend::ClickListRow(int window, int control, int row, bool on_state_image) {
  UiEvent e;
  e.kind = EventKind::kListClick;
  e.window = window;
  e.control = control;
  e.row = row;
  e.on_state_image = on_state_image;
  Post(e);
}

void ScriptedBackend::DoubleClickListRow(int window, int control, int row) {
  UiEvent e;
  e.kind = EventKind::kListDoubleClick;
  e.window = window;
  e.control = control;
  e.row = row;
  Post(e);
}

void ScriptedBackend::RightClickListRow(int window, int control, int row) {
  UiEvent e;
  e.kind = EventKind::kListRightClick;
  e.window = window;
  e.control = control;
  e.row = row;
  Post(e);
}

void ScriptedBackend::SelectListRows(int window, int control, std::vector<int> rows) {
  UiEvent e;
  e.kind = EventKind::kListSelect;
  e.window = window;
  e.control = control;
  e.rows = std::move(rows);
  Post(e);
}

void ScriptedBackend::ResizeHeader(int window, int control, int column, int width) {
  UiEvent e;
  e.kind = EventKind::kHeaderResized;
  e.window = window;
  e.control = control;
  e.value = column;
  e.row = width;
  Post(e);
}

const ControlState* ScriptedBackend::Control(int window, int control) const {
  const Window* w = ui_.Find(window);
  return w ? w->Find(control) : nullptr;
}

std::u16string ScriptedBackend::Text(int window, int control) const {
  const ControlState* c = Control(window, control);
  return c ? c->text : std::u16string();
}

bool ScriptedBackend::IsVisible(int window, int control) const {
  const ControlState* c = Control(window, control);
  return c && c->visible;
}

bool ScriptedBackend::IsEnabled(int window, int control) const {
  const ControlState* c = Control(window, control);
  return c && c->enabled;
}

bool ScriptedBackend::IsChecked(int window, int control) const {
  const ControlState* c = Control(window, control);
  return c && c->checked;
}

const Window* ScriptedBackend::FindByResource(int resource_id) const {
  const Window* found = nullptr;
  for (const Window* w : ui_.Windows())
    if (w->resource_id == resource_id && w->visible) found = w;
  return found;
}

}  // namespace bexa::platform::ui
