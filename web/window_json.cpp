#include "web/window_json.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "platform/codepage.h"

namespace bexa::web {
namespace {

using nlohmann::json;
using platform::ui::ControlKind;
using platform::ui::ControlState;
using platform::ui::Window;
namespace ui = platform::ui;

std::string U8(const std::u16string& text) { return platform::WideToUtf8(text); }

const char* KindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::kStatic: return "static";
    case ControlKind::kButton: return "button";
    case ControlKind::kDefaultButton: return "defbutton";
    case ControlKind::kEdit: return "edit";
    case ControlKind::kCheckBox: return "check";
    case ControlKind::kRadio: return "radio";
    case ControlKind::kTreeView: return "tree";
    case ControlKind::kListView: return "list";
    case ControlKind::kDropDownList: return "combo";
    case ControlKind::kProgress: return "progress";
    case ControlKind::kAnimation: return "animation";
    case ControlKind::kIcon: return "icon";
  }
  return "static";
}

const char* WindowKindName(ui::WindowKind kind) {
  switch (kind) {
    case ui::WindowKind::kPanel: return "panel";
    case ui::WindowKind::kDialog: return "dialog";
    case ui::WindowKind::kMessageBox: return "msgbox";
  }
  return "dialog";
}

// Only the items a user can see: the roots and the children of open items.
void AddTreeItems(const ui::TreeState& tree, const std::vector<ui::TreeHandle>& handles, json& out) {
  for (ui::TreeHandle h : handles) {
    const ui::TreeItem& item = tree.items[h - 1];
    out.push_back({{"h", item.handle},
                   {"p", item.parent},
                   {"text", U8(item.text)},
                   {"img", item.image},
                   {"simg", item.selected_image},
                   {"state", item.state_image},
                   {"kids", item.has_children || !item.children.empty()},
                   {"open", item.expanded}});
    if (item.expanded) AddTreeItems(tree, item.children, out);
  }
}

json ListJson(const ui::ListState& list) {
  json columns = json::array();
  for (const ui::ListColumn& c : list.columns)
    columns.push_back({{"text", U8(c.header)}, {"w", c.width_base_units}, {"right", c.right_aligned}});
  json rows = json::array();
  int count = static_cast<int>(list.rows.size());
  int first = std::min(list.view_first, std::max(0, count - 1));
  int last = std::min(count, first + list.view_count);
  for (int i = first; i < last; ++i) {
    const ui::ListRow& row = list.rows[i];
    json cells = json::array();
    int image = -1, state = 0;
    for (size_t col = 0; col < std::max<size_t>(1, list.columns.size()); ++col) {
      ui::ListCell cell;
      if (list.display) cell = list.display(i, static_cast<int>(col), row.data);
      if (col == 0) image = cell.image, state = cell.state_image;
      cells.push_back(U8(cell.text));
    }
    rows.push_back({{"i", i}, {"sel", row.selected}, {"img", image}, {"state", state}, {"cells", cells}});
  }
  return {{"columns", columns}, {"count", count}, {"first", first}, {"rows", rows}};
}

json ControlJson(const ControlState& c) {
  json j = {{"id", c.id},       {"kind", KindName(c.kind)}, {"x", c.x},
            {"y", c.y},         {"w", c.width},             {"h", c.height},
            {"style", c.style}, {"text", U8(c.text)},       {"enabled", c.enabled},
            {"visible", c.visible}};
  switch (c.kind) {
    case ControlKind::kCheckBox:
    case ControlKind::kRadio: j["checked"] = c.checked; break;
    case ControlKind::kProgress:
      j["low"] = c.range_low, j["high"] = c.range_high, j["pos"] = c.position;
      break;
    case ControlKind::kAnimation: j["anim"] = c.animation, j["playing"] = c.animation_playing; break;
    case ControlKind::kIcon: j["icon"] = U8(c.icon); break;
    case ControlKind::kDropDownList: {
      json items = json::array();
      for (const auto& item : c.items) items.push_back(U8(item));
      j["items"] = items;
      j["sel"] = c.selected_item;
      break;
    }
    case ControlKind::kTreeView:
      if (c.tree) {
        json items = json::array();
        AddTreeItems(*c.tree, c.tree->roots, items);
        j["items"] = items;
        j["sel"] = c.tree->selected;
      }
      break;
    case ControlKind::kListView:
      if (c.list) j["list"] = ListJson(*c.list);
      break;
    default: break;
  }
  return j;
}

json FieldsJson(const Window& w) {
  return {{"id", w.id},         {"parent", w.parent},     {"kind", WindowKindName(w.kind)},
          {"resource", w.resource_id}, {"caption", U8(w.caption)}, {"width", w.width},
          {"height", w.height}, {"shownHeight", w.shown_height}, {"modal", w.modal},
          {"flashed", w.flashed}, {"focus", w.focus},         {"defaultButton", w.DefaultButton()}};
}

}  // namespace

std::string WindowMessage(const Window& window) {
  json w = FieldsJson(window);
  json controls = json::array();
  for (const ControlState& c : window.controls) controls.push_back(ControlJson(c));
  w["controls"] = controls;
  return json{{"t", "window"}, {"window", w}}.dump();
}

std::string PatchMessage(const Window& window, const std::vector<int>& controls, bool fields) {
  json list = json::array();
  for (int id : controls)
    if (const ControlState* c = window.Find(id)) list.push_back(ControlJson(*c));
  return json{{"t", "patch"},
              {"id", window.id},
              {"fields", fields ? FieldsJson(window) : json(nullptr)},
              {"controls", list}}
      .dump();
}

std::string GoneMessage(int window_id) { return json{{"t", "gone"}, {"id", window_id}}.dump(); }
std::string BeepMessage(unsigned icon) { return json{{"t", "beep"}, {"icon", icon}}.dump(); }
std::string ResetMessage() { return json{{"t", "reset"}}.dump(); }

std::optional<ui::UiEvent> ParseEventMessage(const std::string& text) {
  json j = json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (!j.is_object() || j.value("t", "") != "event") return std::nullopt;
  auto integer = [&](const char* key, int64_t fallback) -> int64_t {
    auto it = j.find(key);
    return it != j.end() && it->is_number_integer() ? it->get<int64_t>() : fallback;
  };
  ui::UiEvent event;
  auto kind = j.find("kind");
  if (kind == j.end() || !kind->is_string() || !ui::EventKindFromName(kind->get<std::string>(), event.kind))
    return std::nullopt;
  // Timers are the system's own; a page cannot fire them.
  if (event.kind == ui::EventKind::kTimer) return std::nullopt;
  event.window = static_cast<int>(integer("window", 0));
  event.control = static_cast<int>(integer("control", 0));
  event.value = static_cast<int>(integer("value", 0));
  event.row = static_cast<int>(integer("row", -1));
  event.item = integer("item", 0);
  auto state = j.find("state");
  event.on_state_image = state != j.end() && state->is_boolean() && state->get<bool>();
  auto t = j.find("text");
  if (t != j.end() && t->is_string()) event.text = platform::Utf8ToWide(t->get<std::string>());
  auto rows = j.find("rows");
  if (rows != j.end() && rows->is_array())
    for (const json& r : *rows)
      if (r.is_number_integer() && event.rows.size() < 100000) event.rows.push_back(r.get<int>());
  if (event.window <= 0) return std::nullopt;
  return event;
}

}  // namespace bexa::web
