// How clicks change the selection: folder walks, toggles of tree nodes and
// list rows, the choice of a version, and the check-box states of the tree
// derived from the set. Pure, over the browse model and the selection set.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "control/browse_model.h"
#include "control/selection_set.h"

namespace bexa {

enum class ToggleMode { kToggle, kSelect, kDeselect };

class BrowseSelection {
 public:
  // Both outlive this object. Installs the refresh of a volume's subtree
  // after its folders are built.
  BrowseSelection(BrowseModel& model, SelectionSet& selection);

  // Called after every change of the set (the panel's status line).
  void SetChangedHook(std::function<void()> changed) { changed_ = std::move(changed); }

  // Adds the folder (size -1) and the newest version of each file, down
  // through every child folder, then refreshes the states up to the root.
  // A volume not loaded yet is loaded first; false when it cannot be.
  bool SelectFolder(NodeId folder);
  // The same walk with Remove; only nodes in state 3 or 2 are deselected.
  void DeselectFolder(NodeId folder);

  // A click on a tree node's check box. Returns true when the node was
  // selected (the panel then expands it).
  bool ToggleTreeNode(NodeId node, ToggleMode mode = ToggleMode::kToggle);
  // A click on a list row's check box; with several rows selected in the
  // list, the clicked row's mode applies to each of them.
  void ToggleListRows(int clicked_row, const std::vector<int>& selected_rows);
  // A file row's line of the version box: that version replaces any other
  // selected version of the file.
  void ChooseVersion(int row, const FileVersion& version);

  // The states of the node and of its ancestors, from the set.
  void RefreshStates(NodeId node);
  // The states of every node below the volume (and the volume's ancestors).
  void RefreshSubtree(NodeId volume);

  // Whether some of the file's 10 newest versions is in the set; `selected`
  // gets the key of the one that is.
  bool FileSelected(const std::u16string& file_path, const VersionRecord& record,
                    std::u16string* selected = nullptr) const;

 private:
  // One node's state by the rules table; changes its folder entry.
  void RefreshOne(NodeId node);
  void Walk(NodeId top, bool select);
  void Changed();

  BrowseModel& model_;
  SelectionSet& selection_;
  std::function<void()> changed_;
};

}  // namespace bexa
