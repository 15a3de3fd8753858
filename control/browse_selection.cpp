#include "control/browse_selection.h"

#include <algorithm>

namespace bexa {

namespace {

bool HasBox(int32_t kind) {
  return kind != kKindDesktop && kind != kKindComputer && kind != kKindNetwork;
}

std::u16string JoinPath(const std::u16string& folder, const std::u16string& name) {
  if (!folder.empty() && folder.back() != u'\\') return folder + u"\\" + name;
  return folder + name;
}

// The newest version, when it has a valid backup date (only such a version
// can be selected).
std::optional<FileVersion> SelectableNewest(const VersionRecord& record) {
  std::optional<FileVersion> v = NewestVersion(record);
  if (v && !v->backup_date.IsValid()) return std::nullopt;
  return v;
}

}  // namespace

BrowseSelection::BrowseSelection(BrowseModel& model, SelectionSet& selection)
    : model_(model), selection_(selection) {
  model_.SetBuiltHook([this](NodeId volume) { RefreshSubtree(volume); });
}

void BrowseSelection::Changed() {
  if (changed_) changed_();
}

bool BrowseSelection::FileSelected(const std::u16string& file_path, const VersionRecord& record,
                                   std::u16string* selected) const {
  for (const FileVersion& v : NewestVersions(record, BrowseModel::kVersionsOffered)) {
    std::u16string key = BrowseModel::VersionKey(file_path, v.backup_date);
    if (selection_.ContainsKey(key)) {
      if (selected) *selected = std::move(key);
      return true;
    }
  }
  return false;
}

void BrowseSelection::Walk(NodeId top, bool select) {
  std::vector<SelectionEntry> adds;
  std::vector<std::u16string> removes;
  std::vector<NodeId> pending = {top};
  while (!pending.empty()) {
    const NodeId id = pending.back();
    pending.pop_back();
    const BrowseNode& n = model_.node(id);
    if (!select && n.state != kStateAll && n.state != kStatePart) continue;
    const std::u16string path = model_.ItemPath(id);
    if (select) {
      adds.push_back({path, -1, 0});
    } else {
      removes.push_back(path);
    }
    if (n.files) {
      for (const auto& [name, record] : *n.files) {
        const std::optional<FileVersion> newest = SelectableNewest(*record);
        if (!newest) continue;
        const std::u16string file_path = JoinPath(path, name);
        const std::u16string key = BrowseModel::VersionKey(file_path, newest->backup_date);
        // One version of a file at most: a whole folder means its newest
        // versions, and unticking it leaves no version of its files.
        for (std::u16string& other : selection_.VersionsOf(file_path))
          if (!select || other != key) removes.push_back(std::move(other));
        if (select) adds.push_back({key, newest->size, 0});
        else removes.push_back(key);
      }
    }
    model_.SetState(id, select ? kStateAll : kStateEmpty);
    // Depth first, in the tree's order.
    for (auto it = n.children.rbegin(); it != n.children.rend(); ++it) pending.push_back(*it);
  }
  std::sort(removes.begin(), removes.end());
  removes.erase(std::unique(removes.begin(), removes.end()), removes.end());
  selection_.RemoveAll(std::move(removes));
  selection_.AddAll(std::move(adds));
}

bool BrowseSelection::SelectFolder(NodeId folder) {
  const int32_t kind = model_.node(folder).item.kind;
  if (!HasBox(kind)) return false;
  if (BrowseModel::IsLoadableKind(kind) && !model_.IsLoaded(folder)) {
    if (!model_.ExpandVolume(folder)) return false;
  }
  if (kind == kKindNetworkComputer) {
    // A network computer's shares are loaded first, the same way; a share
    // that cannot be loaded stays out of the selection.
    const std::vector<NodeId> shares = model_.node(folder).children;
    for (NodeId share : shares)
      if (!model_.IsLoaded(share)) model_.ExpandVolume(share);
  }
  Walk(folder, true);
  RefreshStates(folder);
  Changed();
  return true;
}

void BrowseSelection::DeselectFolder(NodeId folder) {
  const BrowseNode& n = model_.node(folder);
  if (!HasBox(n.item.kind) || (n.state != kStateAll && n.state != kStatePart)) return;
  Walk(folder, false);
  RefreshStates(folder);
  Changed();
}

bool BrowseSelection::ToggleTreeNode(NodeId node, ToggleMode mode) {
  const BrowseNode& n = model_.node(node);
  if (!HasBox(n.item.kind) || !n.item.checkable) return false;
  if (mode == ToggleMode::kToggle)
    mode = n.state == kStateAll ? ToggleMode::kDeselect : ToggleMode::kSelect;
  if (mode == ToggleMode::kSelect) return SelectFolder(node);
  DeselectFolder(node);
  return false;
}

void BrowseSelection::ToggleListRows(int clicked_row, const std::vector<int>& selected_rows) {
  const std::vector<ListEntry>& rows = model_.rows();
  if (clicked_row < 0 || static_cast<size_t>(clicked_row) >= rows.size()) return;
  const ListEntry& clicked = rows[static_cast<size_t>(clicked_row)];
  if (!HasBox(clicked.item.kind) || !clicked.item.checkable) return;

  bool select;
  if (clicked.item.kind == kKindFile) {
    select = !FileSelected(model_.RowPath(clicked_row), *clicked.record);
  } else {
    select = model_.node(clicked.node).state != kStateAll;
  }
  std::vector<int> targets = {clicked_row};
  if (selected_rows.size() > 1 &&
      std::find(selected_rows.begin(), selected_rows.end(), clicked_row) != selected_rows.end())
    targets = selected_rows;

  const NodeId folder = model_.list_node();
  for (int row : targets) {
    if (row < 0 || static_cast<size_t>(row) >= model_.rows().size()) continue;
    // Copied: loading a volume below may add rows' nodes, never rows.
    const ListEntry entry = model_.rows()[static_cast<size_t>(row)];
    if (!HasBox(entry.item.kind) || !entry.item.checkable) continue;
    if (entry.item.kind != kKindFile) {
      if (select) {
        SelectFolder(entry.node);
      } else {
        DeselectFolder(entry.node);
      }
      continue;
    }
    const std::u16string path = model_.RowPath(row);
    std::u16string selected;
    const bool is_selected = FileSelected(path, *entry.record, &selected);
    if (select && !is_selected) {
      if (std::optional<FileVersion> newest = SelectableNewest(*entry.record))
        selection_.Add(BrowseModel::VersionKey(path, newest->backup_date), newest->size, 0);
    } else if (!select && is_selected) {
      selection_.Remove(selected);
    }
  }
  if (folder != kNoNode && model_.IsLive(folder)) RefreshStates(folder);
  Changed();
}

void BrowseSelection::ChooseVersion(int row, const FileVersion& version) {
  const std::vector<ListEntry>& rows = model_.rows();
  if (row < 0 || static_cast<size_t>(row) >= rows.size()) return;
  const ListEntry& entry = rows[static_cast<size_t>(row)];
  if (entry.item.kind != kKindFile || !entry.record || !version.backup_date.IsValid()) return;
  const std::u16string path = model_.RowPath(row);
  for (const FileVersion& v : NewestVersions(*entry.record, BrowseModel::kVersionsOffered))
    selection_.Remove(BrowseModel::VersionKey(path, v.backup_date));
  selection_.Add(BrowseModel::VersionKey(path, version.backup_date), version.size, 0);
  RefreshStates(entry.folder);
  Changed();
}

void BrowseSelection::RefreshOne(NodeId id) {
  const BrowseNode& n = model_.node(id);
  if (!HasBox(n.item.kind)) return;

  int c = 0;
  if (!n.children.empty()) {
    size_t all = 0, part = 0, other = 0;
    for (NodeId child : n.children) {
      const int s = model_.node(child).state;
      if (s == kStateAll) ++all;
      if (s == kStatePart || s == kStateAll) ++part;
      if (s == kStateOther) ++other;
    }
    c = all == n.children.size() ? 3 : part > 0 ? 2 : other > 0 ? 4 : 1;
  }

  const std::u16string path = model_.ItemPath(id);
  int f = 0;
  if (n.files && !n.files->empty()) {
    size_t files = 0, in_set = 0;
    bool other_version = false;
    for (const auto& [name, record] : *n.files) {
      const std::optional<FileVersion> newest = SelectableNewest(*record);
      if (!newest) continue;
      ++files;
      const std::u16string file_path = JoinPath(path, name);
      if (selection_.ContainsKey(BrowseModel::VersionKey(file_path, newest->backup_date))) {
        ++in_set;
      } else if (!other_version && !selection_.VersionsOf(file_path).empty()) {
        other_version = true;
      }
    }
    if (files > 0)
      f = in_set == files ? 3 : in_set > 0 ? 2 : other_version ? 4 : 1;
  }

  enum class Entry { kAdd, kRemove, kKeep };
  int state;
  Entry entry;
  if (c == 1 && f == 1) {
    state = 1, entry = Entry::kRemove;
  } else if (c == 3 && f == 3) {
    state = 3, entry = Entry::kAdd;
  } else if (c == 0 && f == 0) {
    state = selection_.ContainsKey(path) ? 3 : 1, entry = Entry::kKeep;
  } else if (c == 3 && f == 0) {
    state = 3, entry = Entry::kAdd;
  } else if (c == 0) {
    state = f, entry = f == 3 ? Entry::kAdd : Entry::kRemove;
  } else if (c == 2 && f == 0) {
    state = 2, entry = Entry::kRemove;
  } else if (c == 4 || f == 4) {
    state = 4, entry = Entry::kKeep;
  } else if (f == 0) {
    state = 1, entry = Entry::kRemove;
  } else {
    state = 2, entry = Entry::kRemove;
  }
  if (entry == Entry::kAdd) selection_.Add(path, -1, 0);
  if (entry == Entry::kRemove) selection_.Remove(path);
  model_.SetState(id, state);
}

void BrowseSelection::RefreshStates(NodeId node) {
  for (NodeId n = node; n != kNoNode && model_.IsLive(n); n = model_.node(n).parent) RefreshOne(n);
}

void BrowseSelection::RefreshSubtree(NodeId volume) {
  // Children before their parents.
  std::vector<NodeId> order;
  std::vector<NodeId> pending(model_.node(volume).children.begin(),
                              model_.node(volume).children.end());
  while (!pending.empty()) {
    const NodeId id = pending.back();
    pending.pop_back();
    order.push_back(id);
    const auto& children = model_.node(id).children;
    pending.insert(pending.end(), children.begin(), children.end());
  }
  for (auto it = order.rbegin(); it != order.rend(); ++it) RefreshOne(*it);
  RefreshStates(volume);
  Changed();
}

}  // namespace bexa
