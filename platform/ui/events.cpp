#include "platform/ui/events.h"

#include <cstring>

namespace bexa::platform::ui {
namespace {

struct KindName {
  EventKind kind;
  const char* name;
};

constexpr KindName kKindNames[] = {
    {EventKind::kCommand, "command"},         {EventKind::kClose, "close"},
    {EventKind::kEditChanged, "edit"},        {EventKind::kTreeClick, "treeClick"},
    {EventKind::kTreeSelect, "treeSelect"},   {EventKind::kTreeExpanding, "treeExpanding"},
    {EventKind::kListClick, "listClick"},     {EventKind::kListDoubleClick, "listDoubleClick"},
    {EventKind::kListRightClick, "listRightClick"}, {EventKind::kListSelect, "listSelect"},
    {EventKind::kListViewport, "listViewport"}, {EventKind::kHeaderResized, "headerResized"},
    {EventKind::kComboSelect, "comboSelect"}, {EventKind::kTimer, "timer"},
};

}  // namespace

const char* EventKindName(EventKind kind) {
  for (const KindName& k : kKindNames)
    if (k.kind == kind) return k.name;
  return "";
}

bool EventKindFromName(const std::string& name, EventKind& kind) {
  for (const KindName& k : kKindNames)
    if (name == k.name) {
      kind = k.kind;
      return true;
    }
  return false;
}

}  // namespace bexa::platform::ui
