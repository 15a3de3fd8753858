// The control operations of WindowSystem: each changes the model and marks
// the control for the front ends.
#include <algorithm>

#include "platform/ui/window_system.h"

namespace bexa::platform::ui {

ControlState* Window::Find(int control_id) {
  for (ControlState& c : controls)
    if (c.id == control_id) return &c;
  return nullptr;
}

const ControlState* Window::Find(int control_id) const {
  for (const ControlState& c : controls)
    if (c.id == control_id) return &c;
  return nullptr;
}

int Window::DefaultButton() const {
  for (const ControlState& c : controls)
    if (c.kind == ControlKind::kDefaultButton && c.visible) return c.id;
  return 0;
}

ControlState* WindowSystem::Control(int window, int control) {
  Window* w = Find(window);
  return w ? w->Find(control) : nullptr;
}

void WindowSystem::SetText(int window, int control, std::u16string text) {
  if (ControlState* c = Control(window, control)) {
    if (c->text == text) return;
    c->text = std::move(text);
    MarkDirty(window, control);
  }
}

std::u16string WindowSystem::Text(int window, int control) const {
  const Window* w = Find(window);
  const ControlState* c = w ? w->Find(control) : nullptr;
  return c ? c->text : std::u16string();
}

void WindowSystem::Enable(int window, int control, bool enable) {
  if (ControlState* c = Control(window, control); c && c->enabled != enable)
    c->enabled = enable, MarkDirty(window, control);
}

void WindowSystem::Show(int window, int control, bool show) {
  if (ControlState* c = Control(window, control); c && c->visible != show)
    c->visible = show, MarkDirty(window, control);
}

void WindowSystem::SetCheck(int window, int control, bool checked) {
  if (ControlState* c = Control(window, control); c && c->checked != checked)
    c->checked = checked, MarkDirty(window, control);
}

bool WindowSystem::IsChecked(int window, int control) const {
  const Window* w = Find(window);
  const ControlState* c = w ? w->Find(control) : nullptr;
  return c && c->checked;
}

void WindowSystem::SetIcon(int window, int control, std::u16string icon) {
  if (ControlState* c = Control(window, control)) c->icon = std::move(icon), MarkDirty(window, control);
}

void WindowSystem::SetRange(int window, int control, int low, int high) {
  if (ControlState* c = Control(window, control)) {
    c->range_low = low;
    c->range_high = high;
    c->position = std::clamp(c->position, low, std::max(low, high));
    MarkDirty(window, control);
  }
}

void WindowSystem::SetPosition(int window, int control, int position) {
  if (ControlState* c = Control(window, control)) {
    position = std::clamp(position, c->range_low, std::max(c->range_low, c->range_high));
    if (c->position != position) c->position = position, MarkDirty(window, control);
  }
}

void WindowSystem::SetAnimation(int window, int control, int resource, bool playing) {
  if (ControlState* c = Control(window, control)) {
    c->animation = resource;
    c->animation_playing = resource != 0 && playing;
    MarkDirty(window, control);
  }
}

void WindowSystem::ResetItems(int window, int control) {
  if (ControlState* c = Control(window, control)) {
    c->items.clear();
    c->selected_item = -1;
    MarkDirty(window, control);
  }
}

int WindowSystem::AddItem(int window, int control, std::u16string text) {
  ControlState* c = Control(window, control);
  if (!c) return -1;
  c->items.push_back(std::move(text));
  MarkDirty(window, control);
  return static_cast<int>(c->items.size()) - 1;
}

void WindowSystem::SelectItem(int window, int control, int index) {
  if (ControlState* c = Control(window, control)) {
    if (index < -1 || index >= static_cast<int>(c->items.size())) index = -1;
    c->selected_item = index;
    MarkDirty(window, control);
  }
}

TreeState* WindowSystem::Tree(int window, int control) {
  ControlState* c = Control(window, control);
  return c ? c->tree.get() : nullptr;
}

const TreeState* WindowSystem::Tree(int window, int control) const {
  const Window* w = Find(window);
  const ControlState* c = w ? w->Find(control) : nullptr;
  return c ? c->tree.get() : nullptr;
}

TreeHandle WindowSystem::InsertItem(int window, int control, TreeHandle parent, TreeItem item) {
  TreeState* tree = Tree(window, control);
  if (!tree) return 0;
  if (parent != kTreeRoot && !Item(window, control, parent)) return 0;
  item.handle = static_cast<TreeHandle>(tree->items.size()) + 1;
  item.parent = parent;
  item.children.clear();
  item.expanded = false;
  tree->items.push_back(std::move(item));
  TreeHandle handle = tree->items.back().handle;
  if (parent == kTreeRoot)
    tree->roots.push_back(handle);
  else
    tree->items[parent - 1].children.push_back(handle);
  MarkDirty(window, control);
  return handle;
}

TreeItem* WindowSystem::Item(int window, int control, TreeHandle item) {
  TreeState* tree = Tree(window, control);
  if (!tree || item <= 0 || item > static_cast<TreeHandle>(tree->items.size())) return nullptr;
  TreeItem& found = tree->items[item - 1];
  return found.handle == 0 ? nullptr : &found;
}

void WindowSystem::DeleteChildren(int window, int control, TreeHandle item) {
  TreeState* tree = Tree(window, control);
  if (!tree) return;
  std::vector<TreeHandle> doomed =
      item == kTreeRoot ? tree->roots : (Item(window, control, item) ? tree->items[item - 1].children
                                                                     : std::vector<TreeHandle>());
  for (TreeHandle child : doomed) DeleteItem(window, control, child);
}

void WindowSystem::DeleteItem(int window, int control, TreeHandle item) {
  TreeState* tree = Tree(window, control);
  TreeItem* found = Item(window, control, item);
  if (!tree || !found) return;
  TreeHandle parent = found->parent;
  std::vector<TreeHandle> pending{item};
  while (!pending.empty()) {
    TreeHandle h = pending.back();
    pending.pop_back();
    TreeItem& it = tree->items[h - 1];
    pending.insert(pending.end(), it.children.begin(), it.children.end());
    if (tree->selected == h) tree->selected = 0;
    it = TreeItem{};
  }
  auto unlink = [&](std::vector<TreeHandle>& list) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
  };
  unlink(parent == kTreeRoot ? tree->roots : tree->items[parent - 1].children);
  MarkDirty(window, control);
}

std::vector<TreeHandle> WindowSystem::Children(int window, int control, TreeHandle item) const {
  const TreeState* tree = Tree(window, control);
  if (!tree) return {};
  if (item == kTreeRoot) return tree->roots;
  if (item <= 0 || item > static_cast<TreeHandle>(tree->items.size())) return {};
  return tree->items[item - 1].children;
}

void WindowSystem::SelectTreeItem(int window, int control, TreeHandle item) {
  TreeState* tree = Tree(window, control);
  if (!tree || (item != 0 && !Item(window, control, item))) return;
  tree->selected = item;
  MarkDirty(window, control);
}

void WindowSystem::ExpandItem(int window, int control, TreeHandle item, bool expand) {
  if (TreeItem* it = Item(window, control, item)) {
    it->expanded = expand;
    MarkDirty(window, control);
  }
}

void WindowSystem::SortChildren(int window, int control, TreeHandle item,
                                const std::function<bool(const TreeItem&, const TreeItem&)>& less) {
  TreeState* tree = Tree(window, control);
  if (!tree) return;
  std::vector<TreeHandle>* list = &tree->roots;
  if (item != kTreeRoot) {
    TreeItem* it = Item(window, control, item);
    if (!it) return;
    list = &it->children;
  }
  std::stable_sort(list->begin(), list->end(), [&](TreeHandle a, TreeHandle b) {
    return less(tree->items[a - 1], tree->items[b - 1]);
  });
  MarkDirty(window, control);
}

ListState* WindowSystem::List(int window, int control) {
  ControlState* c = Control(window, control);
  return c ? c->list.get() : nullptr;
}

const ListState* WindowSystem::List(int window, int control) const {
  const Window* w = Find(window);
  const ControlState* c = w ? w->Find(control) : nullptr;
  return c ? c->list.get() : nullptr;
}

void WindowSystem::SetColumns(int window, int control, std::vector<ListColumn> columns) {
  if (ListState* list = List(window, control)) list->columns = std::move(columns), MarkDirty(window, control);
}

void WindowSystem::SetListDisplay(int window, int control, ListDisplay display) {
  if (ListState* list = List(window, control)) list->display = std::move(display), MarkDirty(window, control);
}

int WindowSystem::AddRow(int window, int control, uint64_t data) {
  ListState* list = List(window, control);
  if (!list) return -1;
  list->rows.push_back(ListRow{data, false});
  MarkDirty(window, control);
  return static_cast<int>(list->rows.size()) - 1;
}

void WindowSystem::ClearRows(int window, int control) {
  if (ListState* list = List(window, control)) {
    list->rows.clear();
    list->view_first = 0;
    MarkDirty(window, control);
  }
}

void WindowSystem::SortRows(int window, int control, const std::function<bool(uint64_t, uint64_t)>& less) {
  if (ListState* list = List(window, control)) {
    std::stable_sort(list->rows.begin(), list->rows.end(),
                     [&](const ListRow& a, const ListRow& b) { return less(a.data, b.data); });
    MarkDirty(window, control);
  }
}

std::vector<int> WindowSystem::SelectedRows(int window, int control) const {
  std::vector<int> out;
  if (const ListState* list = List(window, control))
    for (size_t i = 0; i < list->rows.size(); ++i)
      if (list->rows[i].selected) out.push_back(static_cast<int>(i));
  return out;
}

}  // namespace bexa::platform::ui
