// The main panel's side of the browse model: the tree view kept in step
// with the model's nodes, the catalogue and the server as the model's
// volume source, and the windows of a fetch.
#include <algorithm>

#include "control/main_panel.h"
#include "control/progress_dialog.h"
#include "control/secret_key_dialog.h"
#include "platform/drives.h"
#include "session/status_messages.h"
#include "util/file_system.h"

namespace bexa {

namespace ui = platform::ui;

std::vector<LocalDrive> ThisComputersDrives() {
  std::vector<LocalDrive> drives;
  for (const platform::Drive& d : platform::Drives()) {
    LocalDrive drive;
    drive.root = std::u16string(1, d.letter) + u":\\";
    drive.drive_type = platform::DriveTypeOf(drive.root);
    if (drive.drive_type == platform::kDriveRemote) {
      std::u16string universal;
      if (platform::UniversalNameOf(drive.root, universal)) {
        while (!universal.empty() && universal.back() == u'\\') universal.pop_back();
        drive.remote_name = universal;
      } else {
        drive.remote_name = d.remote_name;
      }
    }
    uint64_t free_bytes = 0;
    if (platform::FreeBytesAvailable(drive.root, free_bytes)) drive.free_bytes = free_bytes;
    drives.push_back(std::move(drive));
  }
  return drives;
}

ui::TreeHandle MainPanel::HandleOf(NodeId node) const {
  if (node < 0 || static_cast<size_t>(node) >= handles_.size()) return 0;
  return handles_[static_cast<size_t>(node)];
}

NodeId MainPanel::NodeOfHandle(ui::TreeHandle handle) const {
  const ui::TreeItem* item = ui_.Find(window_) ? const_cast<ui::WindowSystem&>(ui_).Item(
                                                     window_, kPanelTree, handle)
                                               : nullptr;
  if (!item) return kNoNode;
  const NodeId node = static_cast<NodeId>(item->data);
  return model_.IsLive(node) ? node : kNoNode;
}

// --- BrowseView ----------------------------------------------------------------

void MainPanel::TreeCleared() {
  for (ui::TreeHandle h : ui_.Children(window_, kPanelTree, ui::kTreeRoot))
    ui_.DeleteItem(window_, kPanelTree, h);
  handles_.clear();
}

void MainPanel::NodeInserted(NodeId node) {
  const BrowseNode& n = model_.node(node);
  ui::TreeItem item;
  item.text = n.item.display_name;
  item.image = n.item.image;
  item.selected_image = n.item.selected_image;
  item.state_image = n.state;
  item.has_children = n.has_children;
  item.data = static_cast<uint64_t>(node);
  const ui::TreeHandle parent = n.parent == kNoNode ? ui::kTreeRoot : HandleOf(n.parent);
  if (handles_.size() <= static_cast<size_t>(node)) handles_.resize(static_cast<size_t>(node) + 1, 0);
  handles_[static_cast<size_t>(node)] = ui_.InsertItem(window_, kPanelTree, parent, std::move(item));
}

void MainPanel::NodeRemoved(NodeId node) {
  ui_.DeleteItem(window_, kPanelTree, HandleOf(node));
}

void MainPanel::NodeChanged(NodeId node) {
  ui::TreeItem* item = ui_.Item(window_, kPanelTree, HandleOf(node));
  if (!item) return;
  const BrowseNode& n = model_.node(node);
  item->state_image = n.state;
  item->has_children = n.has_children || !n.children.empty();
  ui_.Touch(window_, kPanelTree);
}

void MainPanel::ChildrenSorted(NodeId node) {
  // The model's order is the order of its children.
  std::vector<size_t> position(handles_.size(), 0);
  const std::vector<NodeId>& children = model_.node(node).children;
  for (size_t i = 0; i < children.size(); ++i) position[static_cast<size_t>(children[i])] = i;
  ui_.SortChildren(window_, kPanelTree, HandleOf(node),
                   [&position](const ui::TreeItem& a, const ui::TreeItem& b) {
                     return position[static_cast<size_t>(a.data)] < position[static_cast<size_t>(b.data)];
                   });
}

void MainPanel::ExpandNode(NodeId node) { ui_.ExpandItem(window_, kPanelTree, HandleOf(node), true); }

void MainPanel::SelectNode(NodeId node) { ui_.SelectTreeItem(window_, kPanelTree, HandleOf(node)); }

void MainPanel::ListChanged() {
  ui_.ClearRows(window_, kPanelList);
  const size_t rows = model_.rows().size();
  for (size_t i = 0; i < rows; ++i) ui_.AddRow(window_, kPanelList, i);
  versions_row_ = -1;
  versions_.clear();
}

// --- VolumeSource ----------------------------------------------------------------

bool MainPanel::CatalogueExists(const std::u16string& path) {
  // Without a catalogue reader a catalogue cannot be used: the server is asked.
  return hooks_.load_catalogue && PathExists(path);
}

bool MainPanel::LoadCatalogue(const std::u16string& path, VolumeCollection& collection) {
  return hooks_.load_catalogue && hooks_.load_catalogue(path, collection);
}

bool MainPanel::AskFetch() {
  return ui_.MessageBox(T(1158), session_.display_name(), ui::kMbYesNo | ui::kMbIconQuestion,
                        window_) == ui::kIdYes;
}

bool MainPanel::FetchFromServer(const std::u16string& volume_key, VolumeCollection& collection) {
  return FetchVolumeFileList(session_, volume_key, restore_state_.key_list, *this, collection);
}

void MainPanel::PumpMessages() { ui_.PumpPendingMessages(); }

// --- FetchUi -------------------------------------------------------------------

void MainPanel::EnableRestoreNow(bool enable) { ui_.Enable(window_, kPanelRestoreNow, enable); }

void MainPanel::ProgressOpen(const std::u16string& phase_text) {
  fetch_progress_ =
      std::make_unique<ProgressDialog>(ui_, texts_, LanguageOffset(), session_.display_name());
  fetch_progress_->Create(window_);
  fetch_progress_->SetOperationKind(kOperationVolume);
  fetch_progress_->StartPhase(phase_text, 100);
  ui_.Flush();
}

void MainPanel::ProgressPhase(const std::u16string& phase_text, int64_t range) {
  if (!fetch_progress_) return;
  fetch_progress_->StartPhase(phase_text, static_cast<int>(std::min<int64_t>(range, 0x7FFFFFFF)));
}

void MainPanel::ProgressStep() {
  if (fetch_progress_) fetch_progress_->Step(u"");
}

void MainPanel::ProgressClose() {
  if (fetch_progress_) fetch_progress_->Destroy();
  fetch_progress_.reset();
}

bool MainPanel::Cancelled() { return fetch_progress_ && fetch_progress_->cancelled(); }

std::optional<std::u16string> MainPanel::AskSecretKey(const std::u16string& hint) {
  return bexa::AskSecretKey(ui_, texts_, LanguageOffset(), hint, window_);
}

void MainPanel::ReportError(const CBackupException& error) {
  bexa::ReportError(error, session_.texts());
}

}  // namespace bexa
