// The user's actions as the front ends report them, and the messages that
// carry them to the user-interface thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/window.h"

namespace bexa::platform::ui {

enum class EventKind {
  kCommand,         // a button, check box or radio button was pressed
  kClose,           // Escape or the window's close box
  kEditChanged,     // text = the edit's new text
  kTreeClick,       // item, on_state_image
  kTreeSelect,      // item
  kTreeExpanding,   // item; value = 1 expand, 0 collapse
  kListClick,       // row, on_state_image
  kListDoubleClick, // row
  kListRightClick,  // row
  kListSelect,      // rows = the selected rows
  kListViewport,    // row = first row in view, value = rows in view
  kHeaderResized,   // value = column, row = new width in pixels
  kComboSelect,     // value = chosen line
  kTimer,           // value = timer id
};

struct UiEvent {
  EventKind kind = EventKind::kCommand;
  int window = 0;
  int control = 0;
  int value = 0;
  int row = -1;
  TreeHandle item = 0;
  bool on_state_image = false;
  std::u16string text;
  std::vector<int> rows;
};

// Text of an event kind ("command", "close", ...) and back; false when the
// name is unknown.
const char* EventKindName(EventKind kind);
bool EventKindFromName(const std::string& name, EventKind& kind);

}  // namespace bexa::platform::ui
