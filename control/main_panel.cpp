#include "control/main_panel.h"

#include <algorithm>

#include "control/manual_settings_dialog.h"
#include "control/panel_restore_ui.h"
#include "control/progress_dialog.h"
#include "platform/locale.h"
#include "session/status_messages.h"
#include "util/text.h"

namespace bexa {

namespace ui = platform::ui;

namespace {

// The node kinds' type names: English first, then the localised id.
struct KindName {
  int32_t kind;
  const char16_t* english;
  int text_id;  // 0: no localised text
};
constexpr KindName kKindNames[] = {
    {kKindDesktop, u"Desktop", 1115},         {kKindComputer, u"System Folder", 1116},
    {kKindNetwork, u"System Folder", 1116},   {kKindRemovable, u"Removable Disk", 1117},
    {kKindLocalDisk, u"Local Disk", 1118},    {kKindCdrom, u"CD-ROM Disk", 1119},
    {kKindMappedDrive, u"Network Connection", 1120}, {kKindMissingDrive, u"Missing Drive", 1121},
    {kKindNetworkComputer, u"", 0},           {kKindNetworkShare, u"Network Share", 1122},
    {kKindFolder, u"Folder", 1123},           {kKindFile, u"File", 1124},
};

// The panel's small image list holds one image per node kind and state.
constexpr int kNodeKindImages = 24;

}  // namespace

ui::DialogTemplate MainPanelTemplate() {
  ui::DialogTemplate t;
  t.resource_id = kMainPanelId;
  t.width = 445;
  t.height = 195;
  using K = ui::ControlKind;
  t.controls = {
      {kPanelStatusLine, K::kStatic, 10, 10, 350, 13, ui::kStyleSunken, u""},
      {kPanelRestoreNow, K::kButton, 365, 10, 70, 13, ui::kStyleNone, u"Restore Now"},
      {kPanelTree, K::kTreeView, 10, 25, 150, 127, ui::kStyleBorder, u""},
      {kPanelList, K::kListView, 165, 25, 270, 127, ui::kStyleBorder | ui::kStyleMultiSelect, u""},
      {kPanelStorageLine, K::kStatic, 10, 155, 160, 10, ui::kStyleNone, u""},
      {kPanelSelectedFiles, K::kStatic, 225, 155, 100, 10, ui::kStyleSunken, u""},
      {kPanelSelectedKilobytes, K::kStatic, 335, 155, 101, 10, ui::kStyleSunken | ui::kStyleRight,
       u""},
      {kPanelVersionHint, K::kStatic, 9, 170, 428, 10, ui::kStyleCentre, u""},
      {kPanelVersionBox, K::kDropDownList, 65, 180, 320, 55, ui::kStyleNone, u""},
  };
  return t;
}

MainPanel::MainPanel(ui::WindowSystem& ui, Session& session, TextLookup texts,
                     MainPanelHooks hooks)
    : ui_(ui),
      session_(session),
      texts_(std::move(texts)),
      hooks_(std::move(hooks)),
      model_(selection_, TheFileTypeTable(), [this](int id) { return T(id); }),
      browse_selection_(model_, selection_) {
  if (!hooks_.drives) hooks_.drives = ThisComputersDrives;
  model_.SetView(this);
  model_.SetSource(this);
  browse_selection_.SetChangedHook([this] { UpdateSelectionCounters(); });
}

MainPanel::~MainPanel() {
  model_.SetView(nullptr);
  if (window_) ui_.DestroyWindow(window_);
}

int32_t MainPanel::LanguageOffset() const { return session_.parameters().language_offset; }

std::u16string MainPanel::T(int english_id) const { return texts_(english_id + LanguageOffset()); }

// --- Initialisation and first show -----------------------------------------

void MainPanel::Create(int parent) {
  window_ = ui_.CreateFromTemplate(MainPanelTemplate(), ui::WindowKind::kPanel, this, parent);
  Initialise();
}

void MainPanel::Initialise() {
  initialised_ = true;
  session_.SetMessagePump([this] { ui_.PumpPendingMessages(); });

  std::unique_ptr<ManualSettingsPrompt> own_prompt;
  ManualSettingsPrompt* prompt = hooks_.settings_prompt;
  if (!prompt) {
    own_prompt = std::make_unique<ManualSettingsDialog>(ui_, texts_, window_);
    prompt = own_prompt.get();
  }
  SessionParameters params = session_.parameters();
  if (GatherSessionParameters(params, *prompt) == GatherResult::kStop) {
    session_.SetParameters(params);
    parameters_cancelled_ = true;
    SetStatus(1125);
    return;
  }
  session_.SetParameters(params);

  session_.display_name() = T(1096);
  ui_.SetText(window_, kPanelRestoreNow, T(1003));
  logon_started_ = false;

  ui_.SetColumns(window_, kPanelList,
                 {{T(1111), 17, false}, {T(1053), 8, true}, {T(1112), 15, false},
                  {T(1113), 12, false}, {T(1114), 12, false}});
  FileTypeTable& types = TheFileTypeTable();
  types.Attach(kNodeKindImages);
  for (const KindName& k : kKindNames) types.SetKindName(k.kind, k.english);
  for (const KindName& k : kKindNames)
    if (k.text_id) types.SetKindName(k.kind, T(k.text_id));

  model_.SetThousandsSeparator(platform::ThousandSeparator());
  ui_.SetListDisplay(window_, kPanelList,
                     [this](int row, int column, uint64_t) { return Cell(row, column); });
  ui_.Show(window_, kPanelVersionBox, false);
  ui_.Show(window_, kPanelVersionHint, false);
  version_list_shown_ = false;
}

void MainPanel::Show(bool show) {
  ui_.ShowWindow(window_, show);
  if (show) LogOnAtFirstShow();
}

void MainPanel::LogOnAtFirstShow() {
  if (logon_started_) return;
  logon_started_ = true;
  SetStatus(1126);
  ui_.Flush();
  if (!session_.LogOnCheck()) {
    SetStatus(1125);
    logon_started_ = false;
    return;
  }
  SetStatus(1127);
  model_.SetCutOffDate(session_.cut_off_date());
  BuildBrowseTree(kCatalogueFolder, true);
  UpdateSelectionCounters();
  UpdateStorageLine();
}

void MainPanel::BuildBrowseTree(const std::u16string& root, bool reset_selection) {
  if (!model_.NeedsBuild(root)) return;
  const std::vector<LocalDrive> drives = hooks_.drives();
  const std::u16string computer = session_.ComputerName();
  if (session_.volume_map().empty()) {
    std::vector<std::u16string> volumes;
    try {
      volumes = RequestVolumeList(session_);
    } catch (const CBackupException& e) {
      bexa::ReportError(e, session_.texts());
    }
    session_.volume_map() =
        BuildSessionVolumeMap(volumes, drives, computer, session_.volume_to_computer());
  }
  const VolumePlan plan = PlanVolumes(session_.volume_map(), drives, computer,
                                      session_.DomainName(), session_.volume_to_computer(),
                                      [this](int id) { return T(id); });
  TreeRootNames names;
  names.desktop = T(1115);
  names.computer = u"Computer";
  names.network = u"Network";
  model_.BuildTree(root, reset_selection, names, plan);
  UpdateSelectionCounters();
  model_.FillList(model_.computer());
}

// --- Status lines ------------------------------------------------------------

void MainPanel::SetStatus(std::optional<int> text_id) {
  ui_.SetText(window_, kPanelStatusLine, text_id ? T(*text_id) : status_text_);
}

void MainPanel::SetStatusText(const std::u16string& text) {
  ui_.SetText(window_, kPanelStatusLine, text);
}

void MainPanel::UpdateSelectionCounters() {
  const SelectionStatusTexts t =
      SelectionStatus(selection_.Count(), selection_.TotalBytes(), [this](int id) { return T(id); },
                      platform::ThousandSeparator());
  ui_.SetText(window_, kPanelSelectedFiles, t.files);
  ui_.SetText(window_, kPanelSelectedKilobytes, t.kilobytes);
}

void MainPanel::UpdateStorageLine() {
  // No message of the protocol carries the account's storage figures, so
  // they stay as the host set them in the session (0 until known); while
  // the used figure is 0 the line is left as it is.
  const StorageFigures& figures = session_.storage();
  if (figures.used_kb == 0) return;
  const int64_t used = figures.used_kb * 1024;
  const int64_t allowed = figures.allowed_kb * 1024;
  const std::u16string used_text = model_.SizeTextOf(used);
  if (allowed == 0) {
    ui_.SetText(window_, kPanelStorageLine, Format(T(1133), used_text));
    return;
  }
  const double percent = static_cast<double>(used) / static_cast<double>(allowed) * 100.0;
  ui_.SetText(window_, kPanelStorageLine,
              Format(T(1134), percent, used_text, model_.SizeTextOf(allowed)));
}

// --- Events ------------------------------------------------------------------

bool MainPanel::OnEvent(const ui::UiEvent& event) {
  using ui::EventKind;
  if (event.kind == EventKind::kCommand && event.control == kPanelRestoreNow) {
    RestoreNow();
    return true;
  }
  if (event.kind == EventKind::kComboSelect && event.control == kPanelVersionBox) {
    OnVersionChosen(event.value);
    return true;
  }
  if (event.control != kPanelTree && event.control != kPanelList) return false;

  // Counts nested notifications: a click that arrives while a fetch or a
  // restore lets messages run must not start a second selection change.
  struct Depth {
    int& d;
    explicit Depth(int& depth) : d(depth) { ++d; }
    ~Depth() { --d; }
  } depth(notification_depth_);

  switch (event.kind) {
    case EventKind::kTreeClick:
      OnTreeClick(event);
      return true;
    case EventKind::kTreeSelect: {
      const NodeId node = NodeOfHandle(event.item);
      if (node != kNoNode) model_.FillList(node);
      return true;
    }
    case EventKind::kTreeExpanding:
      return OnTreeExpanding(event);
    case EventKind::kListClick:
      OnListClick(event);
      return true;
    case EventKind::kListDoubleClick:
    case EventKind::kListRightClick:
      last_row_ = event.row;
      ShowVersions(event.row);
      return true;
    case EventKind::kHeaderResized:
      HideVersions();
      return true;
    default:
      return false;
  }
}

void MainPanel::OnTreeClick(const ui::UiEvent& event) {
  if (!event.on_state_image || notification_depth_ != 1) return;
  const NodeId node = NodeOfHandle(event.item);
  if (node == kNoNode) return;
  if (browse_selection_.ToggleTreeNode(node) && model_.IsLive(node)) {
    ui_.ExpandItem(window_, kPanelTree, HandleOf(node), true);
  }
  ui_.RedrawRows(window_, kPanelList);
  UpdateSelectionCounters();
}

void MainPanel::OnListClick(const ui::UiEvent& event) {
  last_row_ = event.row;
  if (!event.on_state_image || notification_depth_ != 1) return;
  HideVersions();
  browse_selection_.ToggleListRows(event.row, ui_.SelectedRows(window_, kPanelList));
  ui_.RedrawRows(window_, kPanelList);
  UpdateSelectionCounters();
}

bool MainPanel::OnTreeExpanding(const ui::UiEvent& event) {
  const NodeId node = NodeOfHandle(event.item);
  if (event.value == 0 || node == kNoNode) return false;
  const BrowseNode& n = model_.node(node);
  if (BrowseModel::IsLoadableKind(n.item.kind) && n.children.empty() && !n.files) {
    // A volume that cannot be loaded does not open.
    if (!model_.ExpandVolume(node)) return true;
  }
  return false;
}

void MainPanel::HideVersions() {
  ui_.Show(window_, kPanelVersionBox, false);
  ui_.SetText(window_, kPanelVersionHint, T(1138));
  ui_.Show(window_, kPanelVersionHint, true);
}

void MainPanel::ShowVersions(int row) {
  if (row < 0 || static_cast<size_t>(row) >= model_.rows().size()) return;
  if (model_.rows()[static_cast<size_t>(row)].item.kind != kKindFile) return;
  versions_ = model_.RowVersions(row);
  versions_row_ = row;
  ui_.ResetItems(window_, kPanelVersionBox);
  const std::vector<std::u16string> lines = model_.VersionLines(versions_);
  for (const std::u16string& line : lines) ui_.AddItem(window_, kPanelVersionBox, line);
  if (lines.size() > 1) {
    ui_.Show(window_, kPanelVersionBox, true);
    ui_.SetText(window_, kPanelVersionHint, T(1135));
  } else {
    // A single line offers no choice; the box stays out of view.
    ui_.Show(window_, kPanelVersionBox, false);
    ui_.SetText(window_, kPanelVersionHint, T(1136));
  }
  ui_.Show(window_, kPanelVersionHint, true);
  version_list_shown_ = true;
}

void MainPanel::OnVersionChosen(int line) {
  if (line < 0 || static_cast<size_t>(line) >= versions_.size()) return;
  if (versions_row_ < 0 || static_cast<size_t>(versions_row_) >= model_.rows().size()) return;
  browse_selection_.ChooseVersion(versions_row_, versions_[static_cast<size_t>(line)]);
  ui_.RedrawRows(window_, kPanelList);
  UpdateSelectionCounters();
}

ui::ListCell MainPanel::Cell(int row, int column) const {
  ui::ListCell cell;
  cell.text = model_.CellText(row, column);
  if (column == 0 && row >= 0 && static_cast<size_t>(row) < model_.rows().size()) {
    cell.image = model_.rows()[static_cast<size_t>(row)].item.image;
    cell.state_image = model_.ListState(row);
  }
  return cell;
}

// --- Restore Now ---------------------------------------------------------------

void MainPanel::RestoreNow() {
  SetStatus(1139);
  status_text_.clear();
  if (!restore_run_)
    restore_run_ = std::make_unique<PanelRestoreRun>(
        ui_, session_, texts_, window_, hooks_.folder_picker, hooks_.expander,
        [this](const std::u16string& text) { SetStatusText(text); },
        [this](bool enable) { EnableRestoreNow(enable); });
  restore_run_->Run(selection_, restore_state_, shares_);
}

}  // namespace bexa
