// The browse model behind the main panel's tree and list: the desktop, the
// computer with its volumes, the network with its shares, the folders of a
// loaded volume, and the rows of the list for one tree node. Pure: the tree
// view hears of changes through BrowseView, catalogues and the server are
// reached through VolumeSource, so tests drive it without windows.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "control/browse_volumes.h"
#include "control/file_type_table.h"
#include "control/selection_set.h"
#include "control/version_record.h"
#include "util/datetime.h"
#include "util/text.h"

namespace bexa {

using NodeId = int32_t;
constexpr NodeId kNoNode = -1;

// What a tree node or a list row shows.
struct BrowseItem {
  int32_t kind = kKindFolder;
  std::u16string display_name;
  std::u16string path_part;  // the item's piece of its item path
  std::u16string sort_name;
  int64_t size = kNoSize;
  DateTime backup_date = DateTime::Null();
  DateTime modified_date = DateTime::Null();
  std::u16string type_name;
  int image = 0, selected_image = 0;
  bool checkable = false;
};

// The files directly in a folder or volume: exact file name -> its versions
// (owned by the volume's collection).
using FileList = std::map<std::u16string, const VersionRecord*>;

// Tree states of the check boxes: 0 none, 1 nothing selected, 2 or 4 part
// selected, 3 everything selected.
constexpr int kStateNone = 0, kStateEmpty = 1, kStatePart = 2, kStateAll = 3, kStateOther = 4;

struct BrowseNode {
  BrowseItem item;
  NodeId parent = kNoNode;
  std::vector<NodeId> children;
  int state = kStateNone;
  bool has_children = false;  // shown as expandable before children exist
  std::unique_ptr<FileList> files;
  bool live = false;  // false once deleted
};

// One row of the list: a copy of a child node's item, or a file's newest
// version.
struct ListEntry {
  BrowseItem item;
  NodeId node = kNoNode;    // the tree node of a folder-like row
  NodeId folder = kNoNode;  // the node whose list holds a file row
  const VersionRecord* record = nullptr;  // file rows only
};

// What the tree view is told; the model calls it after the change.
class BrowseView {
 public:
  virtual ~BrowseView() = default;
  virtual void TreeCleared() = 0;
  // The node is new; its parent is known to the view already.
  virtual void NodeInserted(NodeId node) = 0;
  // The node and everything below it are gone.
  virtual void NodeRemoved(NodeId node) = 0;
  // Its state or its expand mark changed.
  virtual void NodeChanged(NodeId node) = 0;
  virtual void ChildrenSorted(NodeId node) = 0;
  virtual void ExpandNode(NodeId node) = 0;
  virtual void SelectNode(NodeId node) = 0;
  // The list's rows were replaced or emptied.
  virtual void ListChanged() = 0;
};

// Where a volume's file histories come from.
class VolumeSource {
 public:
  virtual ~VolumeSource() = default;
  virtual bool CatalogueExists(const std::u16string& path) = 0;
  // Loads the catalogue into the collection; false when the file cannot be
  // read (the entries read stay in the collection).
  virtual bool LoadCatalogue(const std::u16string& path, VolumeCollection& collection) = 0;
  // Question 1158: fetch the volume's list from the server?
  virtual bool AskFetch() = 0;
  // The server's file histories of the volume; false on failure or cancel.
  virtual bool FetchFromServer(const std::u16string& volume_key, VolumeCollection& collection) = 0;
  // Lets queued window messages run.
  virtual void PumpMessages() {}
};

// The shell's names of the three roots.
struct TreeRootNames {
  std::u16string desktop = u"Desktop", computer = u"My Computer", network = u"My Network Places";
};

class BrowseModel {
 public:
  static constexpr size_t kVersionsOffered = 10;

  // The selection and the table are not owned and outlive the model.
  BrowseModel(SelectionSet& selection, FileTypeTable& types, TextById text);
  ~BrowseModel();
  BrowseModel(const BrowseModel&) = delete;
  BrowseModel& operator=(const BrowseModel&) = delete;

  void SetView(BrowseView* view) { view_ = view; }
  void SetSource(VolumeSource* source) { source_ = source; }
  void SetCutOffDate(const DateTime& date) { cut_off_ = date; }
  void SetThousandsSeparator(std::u16string separator) { thousands_ = std::move(separator); }
  // Runs after a volume's folder nodes are built (the states from the set).
  void SetBuiltHook(std::function<void(NodeId)> hook) { built_hook_ = std::move(hook); }

  // --- The tree

  // False when the tree has nodes built from this root text already.
  bool NeedsBuild(const std::u16string& root) const;
  // Clears tree and list (and the selection when asked), inserts desktop,
  // computer and network, the planned volumes below them, expands the
  // desktop (and the network when it has shares) and selects the computer.
  void BuildTree(const std::u16string& root, bool reset_selection, const TreeRootNames& names,
                 const VolumePlan& plan);

  NodeId desktop() const { return desktop_; }
  NodeId computer() const { return computer_; }
  NodeId network() const { return network_; }
  const BrowseNode& node(NodeId id) const { return nodes_[static_cast<size_t>(id)]; }
  bool IsLive(NodeId id) const;
  // A child whose path part equals the text (letter case ignored), or kNoNode.
  NodeId FindChild(NodeId parent, std::u16string_view path_part) const;

  // Kinds 6 to 16: the nodes an item path starts at.
  static bool IsVolumeKind(int32_t kind);
  // Kinds 6 to 14 and 18: the nodes whose contents are loaded.
  static bool IsLoadableKind(int32_t kind);

  // The item path of a node: path parts from its volume down, joined by "\".
  std::u16string ItemPath(NodeId id) const;
  std::u16string FilePath(NodeId folder, const std::u16string& file_name) const;
  // "%s:%s": a path and a backup date of fourteen digits.
  static std::u16string VersionKey(const std::u16string& path, const DateTime& backup_date);
  // The catalogue folder, the key without its first character, "\filelist.vdb".
  std::u16string CataloguePath(const std::u16string& volume_key) const;

  // --- Volumes

  // Loads (from the loaded-volume map, the catalogue or the server) and
  // builds the volume's folder nodes. False when nothing was loaded.
  bool ExpandVolume(NodeId volume);
  // The volume has children or a file list.
  bool IsLoaded(NodeId volume) const;
  bool ask_before_fetch() const { return ask_before_fetch_; }
  size_t LoadedVolumeCount() const { return loaded_.size(); }
  size_t BackupDateCount() const { return backup_dates_.size(); }
  // Files below the volume when it was last built.
  size_t FilesBelow(NodeId volume) const;

  // --- State images

  // Sets a node's tree state (telling the view when it changes).
  void SetState(NodeId id, int state);

  // --- The list

  // Replaces the rows by those of the node, sorted; a volume not loaded yet
  // is expanded first.
  void FillList(NodeId id);
  void ClearList();
  NodeId list_node() const { return list_node_; }
  const std::vector<ListEntry>& rows() const { return rows_; }
  // Column texts 0 to 4 of a row.
  std::u16string CellText(int row, int column) const;
  // The row's 1-based list state image.
  int ListState(int row) const;
  // The item path of a row: a file's path, or its node's path.
  std::u16string RowPath(int row) const;

  // --- Versions

  // The newest versions of a file row (at most 10), newest first; empty for
  // any other row.
  std::vector<FileVersion> RowVersions(int row) const;
  // Text 1137 for each version.
  std::vector<std::u16string> VersionLines(const std::vector<FileVersion>& versions) const;

  std::u16string SizeTextOf(int64_t bytes) const { return SizeText(bytes, thousands_); }

 private:
  NodeId NewNode(NodeId parent, BrowseItem item, int state, bool has_children);
  void DeleteChildren(NodeId id);
  void SortChildren(NodeId id);
  bool Accept(const VolumeCollection* added);
  void BuildFolders(NodeId volume, const VolumeCollection& collection);
  void ForgetListRowsBelow(NodeId volume);
  bool IsBelowOrSelf(NodeId id, NodeId top) const;

  SelectionSet& selection_;
  FileTypeTable& types_;
  TextById text_;
  BrowseView* view_ = nullptr;
  std::function<void(NodeId)> built_hook_;
  VolumeSource* source_ = nullptr;
  DateTime cut_off_ = DateTime::Null();
  std::u16string thousands_ = u",";

  std::vector<BrowseNode> nodes_;  // indexed by NodeId; deleted nodes stay dead
  NodeId desktop_ = kNoNode, computer_ = kNoNode, network_ = kNoNode;
  std::u16string catalogue_folder_;
  bool built_ = false;

  std::map<std::u16string, std::unique_ptr<VolumeCollection>> loaded_;  // volume key -> contents
  std::set<double> backup_dates_;  // every distinct backup date of the loaded collections
  std::map<NodeId, size_t> files_below_;
  bool ask_before_fetch_ = true;

  NodeId list_node_ = kNoNode;
  std::vector<ListEntry> rows_;
};

}  // namespace bexa
