// The retained window model: windows built from templates in dialog units,
// and the state of their child controls, addressed by control id. The model
// holds everything a front end needs to draw a window again from nothing
// (a reloaded page, a console prompt); it never draws anything itself.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/message_box.h"

namespace bexa::platform::ui {

// The standard buttons' command ids are the message-box results (kIdOk,
// kIdCancel, kIdYes, kIdNo).
enum class ControlKind {
  kStatic,
  kButton,
  kDefaultButton,
  kEdit,
  kCheckBox,
  kRadio,
  kTreeView,
  kListView,
  kDropDownList,
  kProgress,
  kAnimation,
  kIcon,
};

// Style bits of a control template.
enum ControlStyle : uint32_t {
  kStyleNone = 0,
  kStyleSunken = 1u << 0,     // static: sunken frame
  kStylePassword = 1u << 1,   // edit: hidden characters
  kStyleMultiLine = 1u << 2,  // edit: several lines with scroll bars
  kStyleReadOnly = 1u << 3,   // edit
  kStyleGroup = 1u << 4,      // radio: first of a group
  kStyleRight = 1u << 5,      // static: right-aligned
  kStyleCentre = 1u << 6,     // static: centred
  kStyleBorder = 1u << 7,     // tree, list
  kStyleMultiSelect = 1u << 8,  // list: several rows selectable
};

// One child control of a template: position and size in dialog units.
struct ControlTemplate {
  int id = 0;
  ControlKind kind = ControlKind::kStatic;
  int x = 0, y = 0, width = 0, height = 0;
  uint32_t style = kStyleNone;
  std::u16string text;
};

// A dialog template: its resource id, caption, size in dialog units and
// controls in tab order.
struct DialogTemplate {
  int resource_id = 0;
  std::u16string caption;
  int width = 0, height = 0;
  std::vector<ControlTemplate> controls;
};

// A tree item. Handles are never reused within a control.
using TreeHandle = int64_t;
constexpr TreeHandle kTreeRoot = 0;

struct TreeItem {
  TreeHandle handle = 0;
  TreeHandle parent = kTreeRoot;
  std::u16string text;
  int image = 0;           // index into the small images (node kinds)
  int selected_image = 0;  // shown while the item is selected
  int state_image = 0;     // check-box image 0..4 (0: none)
  bool has_children = false;  // the expand mark, before children exist
  bool expanded = false;
  uint64_t data = 0;       // the owner's value
  std::vector<TreeHandle> children;
};

struct TreeState {
  std::vector<TreeItem> items;  // indexed by handle - 1; removed items have handle 0
  std::vector<TreeHandle> roots;
  TreeHandle selected = 0;
};

// One cell as a list view's display callback gives it.
struct ListCell {
  std::u16string text;
  int image = -1;        // small image of column 0 (-1: none)
  int state_image = 0;   // 1-based list state of column 0 (0: none)
};

struct ListColumn {
  std::u16string header;
  int width_base_units = 10;  // horizontal dialog base units
  bool right_aligned = false;
};

struct ListRow {
  uint64_t data = 0;
  bool selected = false;
};

// Texts and images of list cells are computed on demand: a folder may hold
// 20,000 files, and only the rows in view are ever drawn.
using ListDisplay = std::function<ListCell(int row, int column, uint64_t data)>;

struct ListState {
  std::vector<ListColumn> columns;
  std::vector<ListRow> rows;
  ListDisplay display;
  int view_first = 0, view_count = 40;  // the rows the front end shows
};

struct ControlState {
  int id = 0;
  ControlKind kind = ControlKind::kStatic;
  int x = 0, y = 0, width = 0, height = 0;
  uint32_t style = kStyleNone;
  std::u16string text;
  bool enabled = true;
  bool visible = true;
  bool checked = false;        // check box, radio
  int range_low = 0, range_high = 100, position = 0;  // progress bar
  int animation = 0;           // animation resource shown (0: none)
  bool animation_playing = false;
  std::u16string icon;         // icon control: "warning", "question", "error",
                               // "information" or a file-type icon name
  std::vector<std::u16string> items;  // drop-down list lines
  int selected_item = -1;
  std::unique_ptr<TreeState> tree;  // tree view only
  std::unique_ptr<ListState> list;  // list view only
};

enum class WindowKind { kPanel, kDialog, kMessageBox };

struct Window {
  int id = 0;
  int parent = 0;
  WindowKind kind = WindowKind::kDialog;
  int resource_id = 0;
  std::u16string caption;
  int width = 0, height = 0;  // dialog units
  int shown_height = 0;       // dialog units; a dialog may hide its lower part
  bool modal = false;
  bool visible = false;
  bool flashed = false;       // the window-flash state
  int focus = 0;              // control id with the keyboard focus
  std::vector<ControlState> controls;

  ControlState* Find(int control_id);
  const ControlState* Find(int control_id) const;
  // The control id of the default button, 0 when there is none.
  int DefaultButton() const;
};

}  // namespace bexa::platform::ui
