#include "control/browse_model.h"

#include <algorithm>
#include <unordered_map>

#include "util/dates.h"

namespace bexa {

namespace {

constexpr char16_t kCatalogueName[] = u"filelist.vdb";

bool NodeOrder(const BrowseItem& a, const BrowseItem& b) {
  return BrowseOrder(a.kind, a.sort_name, b.kind, b.sort_name);
}

std::u16string DateText(const DateTime& date) {
  return date.IsValid() ? ShortDateTimeText(date, false) : std::u16string();
}

}  // namespace

BrowseModel::BrowseModel(SelectionSet& selection, FileTypeTable& types, TextById text)
    : selection_(selection), types_(types), text_(std::move(text)) {}

BrowseModel::~BrowseModel() = default;

bool BrowseModel::IsVolumeKind(int32_t kind) {
  return kind >= kKindRemovable && kind <= kKindNetworkComputer;
}

bool BrowseModel::IsLoadableKind(int32_t kind) {
  return (kind >= kKindRemovable && kind <= kKindMissingDrive) || kind == kKindNetworkShare;
}

bool BrowseModel::IsLive(NodeId id) const {
  return id >= 0 && static_cast<size_t>(id) < nodes_.size() && nodes_[static_cast<size_t>(id)].live;
}

NodeId BrowseModel::FindChild(NodeId parent, std::u16string_view path_part) const {
  for (NodeId c : node(parent).children)
    if (EqualsNoCase(node(c).item.path_part, path_part)) return c;
  return kNoNode;
}

// --- The tree -----------------------------------------------------------

bool BrowseModel::NeedsBuild(const std::u16string& root) const {
  return !(built_ && root == catalogue_folder_);
}

NodeId BrowseModel::NewNode(NodeId parent, BrowseItem item, int state, bool has_children) {
  const NodeId id = static_cast<NodeId>(nodes_.size());
  BrowseNode& n = nodes_.emplace_back();
  n.item = std::move(item);
  n.parent = parent;
  n.state = state;
  n.has_children = has_children;
  n.live = true;
  if (parent != kNoNode) {
    BrowseNode& p = nodes_[static_cast<size_t>(parent)];
    p.children.push_back(id);
    p.has_children = true;
  }
  if (view_) view_->NodeInserted(id);
  return id;
}

void BrowseModel::DeleteChildren(NodeId id) {
  std::vector<NodeId> pending = node(id).children;
  const std::vector<NodeId> direct = pending;
  while (!pending.empty()) {
    const NodeId c = pending.back();
    pending.pop_back();
    BrowseNode& n = nodes_[static_cast<size_t>(c)];
    pending.insert(pending.end(), n.children.begin(), n.children.end());
    n.live = false;
    n.children.clear();
    n.files.reset();
  }
  nodes_[static_cast<size_t>(id)].children.clear();
  if (view_)
    for (NodeId c : direct) view_->NodeRemoved(c);
}

void BrowseModel::SortChildren(NodeId id) {
  std::vector<NodeId>& children = nodes_[static_cast<size_t>(id)].children;
  std::stable_sort(children.begin(), children.end(),
                   [this](NodeId a, NodeId b) { return NodeOrder(node(a).item, node(b).item); });
  if (view_) view_->ChildrenSorted(id);
}

void BrowseModel::BuildTree(const std::u16string& root, bool reset_selection,
                            const TreeRootNames& names, const VolumePlan& plan) {
  ClearList();
  nodes_.clear();
  files_below_.clear();
  if (view_) view_->TreeCleared();
  if (reset_selection) selection_.Clear();
  catalogue_folder_ = root;
  built_ = true;

  auto root_item = [&](int32_t kind, const std::u16string& name) {
    types_.SetKindName(kind, name);
    BrowseItem item;
    item.kind = kind;
    item.display_name = item.path_part = item.sort_name = name;
    item.type_name = name;
    item.image = kind;
    item.selected_image = kind + 1;
    return item;
  };
  desktop_ = NewNode(kNoNode, root_item(kKindDesktop, names.desktop), kStateNone, false);
  computer_ = NewNode(desktop_, root_item(kKindComputer, names.computer), kStateNone, false);
  network_ = NewNode(desktop_, root_item(kKindNetwork, names.network), kStateNone, false);

  auto volume_item = [&](const VolumeNode& v) {
    BrowseItem item;
    item.kind = v.kind;
    item.display_name = v.label;
    item.path_part = v.path_part;
    item.sort_name = v.sort_name;
    item.size = v.size;
    item.type_name = types_.TypeName(v.kind);
    item.image = v.kind;
    item.selected_image = v.kind + 1;
    item.checkable = true;
    return item;
  };
  auto volume_state = [&](const VolumeNode& v) {
    return selection_.ContainsBelow(v.path_part) ? kStatePart : kStateEmpty;
  };
  for (const VolumeNode& v : plan.computer) NewNode(computer_, volume_item(v), volume_state(v), true);
  for (const VolumeNode& pc : plan.network) {
    const NodeId pc_node = NewNode(network_, volume_item(pc), volume_state(pc), true);
    for (const VolumeNode& share : pc.children) {
      // A share's state comes from its whole volume path (\\PC2\D).
      VolumeNode full = share;
      full.path_part = pc.path_part + u"\\" + share.path_part;
      NewNode(pc_node, volume_item(share), volume_state(full), true);
    }
  }
  SortChildren(computer_);
  SortChildren(network_);
  if (view_) {
    view_->ExpandNode(desktop_);
    if (!node(network_).children.empty()) view_->ExpandNode(network_);
    view_->ExpandNode(computer_);
    view_->SelectNode(computer_);
  }
}

// --- Paths --------------------------------------------------------------

std::u16string BrowseModel::ItemPath(NodeId id) const {
  std::vector<const std::u16string*> parts;
  for (NodeId n = id; n != kNoNode; n = node(n).parent) {
    parts.push_back(&node(n).item.path_part);
    if (IsVolumeKind(node(n).item.kind)) break;
  }
  std::u16string path;
  for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
    if (!path.empty() && path.back() != u'\\') path += u'\\';
    path += **it;
  }
  return path;
}

std::u16string BrowseModel::FilePath(NodeId folder, const std::u16string& file_name) const {
  std::u16string path = ItemPath(folder);
  if (!path.empty() && path.back() != u'\\') path += u'\\';
  return path + file_name;
}

std::u16string BrowseModel::VersionKey(const std::u16string& path, const DateTime& backup_date) {
  return path + u":" + FormatProtocolDate(backup_date);
}

std::u16string BrowseModel::CataloguePath(const std::u16string& volume_key) const {
  std::u16string path = catalogue_folder_ + (volume_key.empty() ? u"" : volume_key.substr(1));
  if (!path.empty() && path.back() == u'\\') return path + kCatalogueName;
  return path + u"\\" + kCatalogueName;
}

// --- Volumes ------------------------------------------------------------

bool BrowseModel::IsLoaded(NodeId volume) const {
  return !node(volume).children.empty() || node(volume).files != nullptr;
}

size_t BrowseModel::FilesBelow(NodeId volume) const {
  auto it = files_below_.find(volume);
  return it == files_below_.end() ? 0 : it->second;
}

bool BrowseModel::IsBelowOrSelf(NodeId id, NodeId top) const {
  for (NodeId n = id; n != kNoNode; n = node(n).parent)
    if (n == top) return true;
  return false;
}

void BrowseModel::ForgetListRowsBelow(NodeId volume) {
  // The rows point at the nodes and records about to be replaced.
  if (list_node_ != kNoNode && IsLive(list_node_) && IsBelowOrSelf(list_node_, volume) &&
      list_node_ != volume)
    ClearList();
}

bool BrowseModel::ExpandVolume(NodeId volume) {
  const std::u16string key = ItemPath(volume);
  const std::u16string catalogue = CataloguePath(key);
  ForgetListRowsBelow(volume);
  DeleteChildren(volume);
  nodes_[static_cast<size_t>(volume)].files.reset();

  if (auto it = loaded_.find(key); it != loaded_.end()) {
    BuildFolders(volume, *it->second);
    return true;
  }
  if (!source_) return false;

  auto collection = std::make_unique<VolumeCollection>();
  if (source_->CatalogueExists(catalogue)) {
    if (!source_->LoadCatalogue(catalogue, *collection)) return false;
    // Versions older than the cut-off are gone from the server; one stays.
    if (cut_off_.IsValid()) {
      for (auto& [path, record] : *collection)
        while (VersionCount(*record) >= 2 && OldestBackupDate(*record) < cut_off_)
          DropOldestVersion(*record);
    }
  } else {
    if (ask_before_fetch_ && !source_->AskFetch()) return false;
    if (!source_->FetchFromServer(key, *collection)) return false;
    ask_before_fetch_ = false;
  }
  const VolumeCollection* added = collection.get();
  loaded_[key] = std::move(collection);
  if (!Accept(added)) {
    if (!added->empty()) loaded_.erase(key);
    return false;
  }
  BuildFolders(volume, *added);
  return true;
}

bool BrowseModel::Accept(const VolumeCollection* added) {
  backup_dates_.clear();
  for (const auto& [key, collection] : loaded_) {
    for (const auto& [path, record] : *collection)
      for (const DateTime& d : record->backup_dates) backup_dates_.insert(d.ole());
    if (source_) source_->PumpMessages();
  }
  (void)added;
  return !backup_dates_.empty();
}

void BrowseModel::BuildFolders(NodeId volume, const VolumeCollection& collection) {
  const std::u16string key = ItemPath(volume);
  // Children by upper-case path part, for the nodes this build touches.
  std::unordered_map<NodeId, std::unordered_map<std::u16string, NodeId>> index;
  std::set<NodeId> to_sort;
  std::u16string last_folder;
  NodeId last_node = kNoNode;
  const std::u16string folder_type = types_.TypeName(kKindFolder);
  const int folder_image = kKindFolder;

  for (const auto& [path, record] : collection) {
    if (!IsPresent(*record)) continue;
    const size_t at = path.find(key);
    if (at == std::u16string::npos) continue;  // not a path of this volume
    std::u16string_view rest = std::u16string_view(path).substr(at + key.size());
    if (!rest.empty() && rest.front() == u'\\') rest.remove_prefix(1);
    const size_t cut = rest.rfind(u'\\');
    const std::u16string_view folder = cut == std::u16string_view::npos ? u"" : rest.substr(0, cut);
    const std::u16string_view name = cut == std::u16string_view::npos ? rest : rest.substr(cut + 1);
    if (name.empty()) continue;

    NodeId current;
    if (last_node != kNoNode && folder == last_folder) {
      current = last_node;  // catalogues list a folder's files together
    } else {
      current = volume;
      size_t start = 0;
      while (start <= folder.size() && !folder.empty()) {
        size_t end = folder.find(u'\\', start);
        if (end == std::u16string_view::npos) end = folder.size();
        const std::u16string_view piece = folder.substr(start, end - start);
        start = end + 1;
        if (piece.empty()) continue;
        auto& children = index[current];
        const std::u16string upper = ToUpper(piece);
        auto found = children.find(upper);
        if (found != children.end()) {
          current = found->second;
          continue;
        }
        BrowseItem item;
        item.kind = kKindFolder;
        item.display_name = item.path_part = item.sort_name = std::u16string(piece);
        item.type_name = folder_type;
        item.image = folder_image;
        item.selected_image = folder_image < 21 ? folder_image + 1 : folder_image;
        item.checkable = true;
        const NodeId created = NewNode(current, std::move(item), kStateEmpty, false);
        if (view_) view_->NodeChanged(current);
        to_sort.insert(current);
        children.emplace(upper, created);
        current = created;
      }
      last_folder.assign(folder);
      last_node = current;
    }
    BrowseNode& n = nodes_[static_cast<size_t>(current)];
    if (!n.files) n.files = std::make_unique<FileList>();
    (*n.files)[std::u16string(name)] = record.get();
  }
  for (NodeId id : to_sort) SortChildren(id);

  // Count the files below the volume.
  size_t files = 0;
  std::vector<NodeId> pending = {volume};
  while (!pending.empty()) {
    const NodeId id = pending.back();
    pending.pop_back();
    if (node(id).files) files += node(id).files->size();
    pending.insert(pending.end(), node(id).children.begin(), node(id).children.end());
  }
  files_below_[volume] = files;
  nodes_[static_cast<size_t>(volume)].has_children = !node(volume).children.empty();
  if (view_) view_->NodeChanged(volume);
  if (built_hook_) built_hook_(volume);
}

void BrowseModel::SetState(NodeId id, int state) {
  BrowseNode& n = nodes_[static_cast<size_t>(id)];
  if (n.state == state) return;
  n.state = state;
  if (view_) view_->NodeChanged(id);
}

// --- The list -------------------------------------------------------------

void BrowseModel::ClearList() {
  rows_.clear();
  list_node_ = kNoNode;
  if (view_) view_->ListChanged();
}

void BrowseModel::FillList(NodeId id) {
  ClearList();
  if (!IsLive(id)) return;
  if (IsLoadableKind(node(id).item.kind) && !IsLoaded(id)) {
    if (!ExpandVolume(id)) return;
  }
  list_node_ = id;
  const BrowseNode& n = node(id);
  rows_.reserve(n.children.size() + (n.files ? n.files->size() : 0));
  for (NodeId c : n.children) {
    ListEntry row;
    row.item = node(c).item;
    row.node = c;
    row.folder = id;
    rows_.push_back(std::move(row));
  }
  if (n.files) {
    for (const auto& [name, record] : *n.files) {
      const std::optional<FileVersion> newest = NewestVersion(*record);
      if (!newest) continue;
      ListEntry row;
      row.item.kind = kKindFile;
      row.item.display_name = row.item.path_part = row.item.sort_name = name;
      row.item.size = newest->size;
      row.item.backup_date = newest->backup_date;
      row.item.modified_date = newest->modified_date;
      const FileTypeTable::Type type = types_.LookUp(FileTypeKey(name));
      row.item.type_name = type.name;
      row.item.image = row.item.selected_image = type.image;
      row.item.checkable = true;
      row.folder = id;
      row.record = record;
      rows_.push_back(std::move(row));
    }
  }
  std::stable_sort(rows_.begin(), rows_.end(), [](const ListEntry& a, const ListEntry& b) {
    return NodeOrder(a.item, b.item);
  });
  if (view_) view_->ListChanged();
}

std::u16string BrowseModel::CellText(int row, int column) const {
  if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return {};
  const BrowseItem& item = rows_[static_cast<size_t>(row)].item;
  switch (column) {
    case 0:
      return item.display_name;
    case 1:
      if (item.kind == kKindFolder || (item.size & 0xFFFFFFFFLL) == 0xFFFFFFFFLL) return {};
      return SizeText(item.size, thousands_);
    case 2:
      return item.type_name;
    case 3:
      return DateText(item.backup_date);
    case 4:
      return DateText(item.modified_date);
    default:
      return {};
  }
}

std::u16string BrowseModel::RowPath(int row) const {
  const ListEntry& r = rows_[static_cast<size_t>(row)];
  if (r.item.kind == kKindFile) return FilePath(r.folder, r.item.display_name);
  return ItemPath(r.node);
}

int BrowseModel::ListState(int row) const {
  if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return 0;
  const ListEntry& r = rows_[static_cast<size_t>(row)];
  const int32_t kind = r.item.kind;
  if (kind == kKindDesktop || kind == kKindComputer || kind == kKindNetwork) return 1;
  if (kind == kKindFile) return selection_.Contains(RowPath(row)) ? 4 : 2;
  if (selection_.ContainsKey(RowPath(row))) return 4;
  return IsLive(r.node) ? node(r.node).state + 1 : 2;
}

// --- Versions -------------------------------------------------------------

std::vector<FileVersion> BrowseModel::RowVersions(int row) const {
  if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return {};
  const ListEntry& r = rows_[static_cast<size_t>(row)];
  if (r.item.kind != kKindFile || !r.record) return {};
  return NewestVersions(*r.record, kVersionsOffered);
}

std::vector<std::u16string> BrowseModel::VersionLines(const std::vector<FileVersion>& versions) const {
  std::vector<std::u16string> lines;
  const std::u16string format = text_(1137);
  for (const FileVersion& v : versions)
    lines.push_back(Format(format, DateText(v.backup_date), DateText(v.modified_date)));
  return lines;
}

}  // namespace bexa
