// The main panel (101): the one window the user sees inside the page. It
// gathers the session parameters when it is created, logs on at its first
// show, builds the browse tree, routes the tree and list notifications to
// the browse and selection models, and starts the restore run.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/browse_model.h"
#include "control/browse_selection.h"
#include "control/browse_volumes.h"
#include "control/dialog_texts.h"
#include "control/server_file_list.h"
#include "control/session_parameters.h"
#include "platform/ui/folder_picker.h"
#include "platform/ui/window_system.h"
#include "restore/destination.h"
#include "restore/file_transfer.h"
#include "restore/restore_engine.h"
#include "session/session.h"

namespace bexa {

class PanelRestoreRun;
class ProgressDialog;

constexpr int kMainPanelId = 101;

// Control ids of the panel.
enum MainPanelControl : int {
  kPanelStatusLine = 1000,
  kPanelRestoreNow = 1035,
  kPanelTree = 1029,
  kPanelList = 1030,
  kPanelStorageLine = 1053,
  kPanelSelectedFiles = 1051,
  kPanelSelectedKilobytes = 1052,
  kPanelVersionHint = 1037,
  kPanelVersionBox = 1036,
};

// The layout in dialog units.
platform::ui::DialogTemplate MainPanelTemplate();

// The root text of every tree build: the catalogue folder.
inline constexpr char16_t kCatalogueFolder[] = u"C:\\Temp";

// What the panel takes from its host; each empty member has a default.
struct MainPanelHooks {
  // This computer's drives (default: the platform's drive table).
  std::function<std::vector<LocalDrive>()> drives;
  // Reads a catalogue file (default: none, so volumes come from the server).
  std::function<bool(const std::u16string& path, VolumeCollection& collection)> load_catalogue;
  // The Manual Settings dialog (default: the window system's dialog).
  ManualSettingsPrompt* settings_prompt = nullptr;
  // Browse in the Restore Destination dialog (default: the system picker).
  platform::ui::FolderPicker folder_picker;
  // Expands compressed file data (default: the implode expander).
  ExpandFunction expander;
};

// This computer's drives as the platform's drive table describes them.
std::vector<LocalDrive> ThisComputersDrives();

class MainPanel : public platform::ui::WindowHandler,
                  private BrowseView,
                  private VolumeSource,
                  private FetchUi {
 public:
  // texts: full ids (English id plus the language offset). The window
  // system and the session outlive the panel.
  MainPanel(platform::ui::WindowSystem& ui, Session& session, TextLookup texts,
            MainPanelHooks hooks = {});
  ~MainPanel() override;
  MainPanel(const MainPanel&) = delete;
  MainPanel& operator=(const MainPanel&) = delete;

  // Creates the hidden window (a child of parent) and initialises it:
  // parameters, display name, columns, file-type names, hidden version box.
  void Create(int parent = 0);
  // Shows or hides it; the first show after a cleared logon-started flag
  // logs on and builds the tree.
  void Show(bool show);
  int window_id() const { return window_; }
  bool logon_started() const { return logon_started_; }

  BrowseModel& model() { return model_; }
  SelectionSet& selection() { return selection_; }
  BrowseSelection& browse_selection() { return browse_selection_; }
  std::vector<std::u16string>& key_list() { return restore_state_.key_list; }
  // The tree view's handle of a node (0 when it has none).
  platform::ui::TreeHandle HandleOf(NodeId node) const;

  // Builds the browse tree (requesting the volume list while the session's
  // volume map is empty).
  void BuildBrowseTree(const std::u16string& root, bool reset_selection);
  void UpdateSelectionCounters();
  // From the session's storage figures; unchanged while the used figure is 0.
  void UpdateStorageLine();
  // Control 1000: the text of an id, or the stored status text.
  void SetStatus(std::optional<int> text_id = std::nullopt);
  void SetStatusText(const std::u16string& text);
  void RestoreNow();

  bool OnEvent(const platform::ui::UiEvent& event) override;

 private:

  std::u16string T(int english_id) const;
  int32_t LanguageOffset() const;
  void Initialise();
  void LogOnAtFirstShow();
  void OnTreeClick(const platform::ui::UiEvent& event);
  void OnListClick(const platform::ui::UiEvent& event);
  bool OnTreeExpanding(const platform::ui::UiEvent& event);
  void ShowVersions(int row);
  void HideVersions();
  void OnVersionChosen(int line);
  platform::ui::ListCell Cell(int row, int column) const;
  NodeId NodeOfHandle(platform::ui::TreeHandle handle) const;

  // BrowseView
  void TreeCleared() override;
  void NodeInserted(NodeId node) override;
  void NodeRemoved(NodeId node) override;
  void NodeChanged(NodeId node) override;
  void ChildrenSorted(NodeId node) override;
  void ExpandNode(NodeId node) override;
  void SelectNode(NodeId node) override;
  void ListChanged() override;

  // VolumeSource
  bool CatalogueExists(const std::u16string& path) override;
  bool LoadCatalogue(const std::u16string& path, VolumeCollection& collection) override;
  bool AskFetch() override;
  bool FetchFromServer(const std::u16string& volume_key, VolumeCollection& collection) override;
  void PumpMessages() override;

  // FetchUi
  void EnableRestoreNow(bool enable) override;
  void ProgressOpen(const std::u16string& phase_text) override;
  void ProgressPhase(const std::u16string& phase_text, int64_t range) override;
  void ProgressStep() override;
  void ProgressClose() override;
  bool Cancelled() override;
  std::optional<std::u16string> AskSecretKey(const std::u16string& hint) override;
  void ReportError(const CBackupException& error) override;

  platform::ui::WindowSystem& ui_;
  Session& session_;
  TextLookup texts_;
  MainPanelHooks hooks_;
  int window_ = 0;

  SelectionSet selection_;
  BrowseModel model_;
  BrowseSelection browse_selection_;
  std::vector<platform::ui::TreeHandle> handles_;  // by NodeId

  bool initialised_ = false;
  bool parameters_cancelled_ = false;
  bool logon_started_ = false;
  std::u16string status_text_;
  int notification_depth_ = 0;
  bool version_list_shown_ = false;
  int versions_row_ = -1;
  std::vector<FileVersion> versions_;
  int last_row_ = -1;  // the row under the mouse at the last click

  std::unique_ptr<ProgressDialog> fetch_progress_;
  RestorePanelState restore_state_;
  ShareAvailability shares_;
  std::unique_ptr<PanelRestoreRun> restore_run_;
};

}  // namespace bexa
