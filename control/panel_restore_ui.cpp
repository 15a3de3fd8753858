#include "control/panel_restore_ui.h"

#include <vector>

#include "catalogue/explode.h"
#include "control/confirm_replace_dialog.h"
#include "control/file_type_table.h"
#include "control/progress_dialog.h"
#include "control/restore_destination_dialog.h"
#include "control/secret_key_dialog.h"
#include "platform/locale.h"
#include "restore/session_restore_connection.h"
#include "session/status_messages.h"

namespace bexa {

namespace ui = platform::ui;

namespace {

struct ExpandCalls {
  const ReadFunction* read;
  const WriteFunction* write;
  bool stopped = false;
};

unsigned ReadForExplode(char* buffer, unsigned* size, void* param) {
  auto* calls = static_cast<ExpandCalls*>(param);
  if (calls->stopped) return 0;
  return static_cast<unsigned>((*calls->read)(reinterpret_cast<uint8_t*>(buffer), *size));
}

void WriteForExplode(char* buffer, unsigned* size, void* param) {
  auto* calls = static_cast<ExpandCalls*>(param);
  if (calls->stopped || *size == 0) return;
  if (!(*calls->write)(reinterpret_cast<const uint8_t*>(buffer), *size)) calls->stopped = true;
}

}  // namespace

ExpandFunction ImplodeExpander() {
  return [](const ReadFunction& read, const WriteFunction& write) -> int {
    ExpandCalls calls{&read, &write};
    auto work = std::make_unique<ExplodeWorkArea>();
    const uint32_t result = Explode(ReadForExplode, WriteForExplode, work.get(), &calls);
    // A writer that stopped ends the expansion as a failure, never as success.
    if (calls.stopped && result == kExplodeOk) return static_cast<int>(kExplodeBadData);
    return static_cast<int>(result);
  };
}

PanelRestoreRun::PanelRestoreRun(ui::WindowSystem& ui, Session& session, TextLookup texts,
                                 int parent, ui::FolderPicker picker, ExpandFunction expander,
                                 std::function<void(const std::u16string&)> panel_status,
                                 std::function<void(bool)> enable_restore_now)
    : ui_(ui),
      session_(session),
      texts_(texts),
      parent_(parent),
      picker_(picker ? std::move(picker) : ui::SystemFolderPicker(ui)),
      expander_(expander ? std::move(expander) : ImplodeExpander()),
      panel_status_(std::move(panel_status)),
      enable_restore_now_(std::move(enable_restore_now)),
      status_window_(ui, texts) {}

PanelRestoreRun::~PanelRestoreRun() = default;

RestoreOutcome PanelRestoreRun::Run(const SelectionSet& selection, RestorePanelState& state,
                                    ShareAvailability& shares) {
  const SessionParameters& p = session_.parameters();
  RestoreContext context;
  context.user = p.user;
  context.password = p.password;
  context.server = p.server;
  context.port = p.port;
  context.firewall_enabled = p.firewall_enabled;
  context.firewall_server = p.firewall_server;
  context.firewall_port = p.firewall_port;
  context.secret_key = session_.security().secretKey;
  context.computer_name = session_.ComputerName();
  context.domain_name = session_.DomainName();
  context.volume_computers = session_.volume_to_computer();
  context.thousands = platform::ThousandSeparator();
  context.text = [this](int id) { return texts_(id + LanguageOffset()); };

  cancelled_ = false;
  SessionRestoreConnection connection(session_, this, expander_);
  if (enable_restore_now_) enable_restore_now_(false);
  RestoreOutcome outcome =
      RunRestore(selection.Entries(), selection.Count(), context, state, connection, *this, shares);
  if (enable_restore_now_) enable_restore_now_(true);
  return outcome;
}

std::optional<DestinationChoice> PanelRestoreRun::AskDestination(const DestinationChoice& initial) {
  RestoreDestinationRequest request;
  request.values.mode = initial.mode;
  request.values.restore_folder = initial.folder;
  request.values.rebuild = initial.rebuild_hierarchy;
  request.language_offset = LanguageOffset();
  request.display_name = session_.display_name();
  request.parent = parent_;
  RestoreDestination result;
  if (!AskRestoreDestination(ui_, texts_, request, picker_, result)) return std::nullopt;
  DestinationChoice choice;
  choice.mode = result.mode;
  choice.folder = result.restore_folder;
  choice.rebuild_hierarchy = result.rebuild;
  return choice;
}

void PanelRestoreRun::ProgressOpen(int64_t total_files) {
  progress_ = std::make_unique<ProgressDialog>(ui_, texts_, LanguageOffset(), session_.display_name());
  progress_->Create(parent_);
  progress_->SetTaskCount(total_files);
  ui_.Flush();
}

void PanelRestoreRun::ProgressCaption(const std::u16string& text) {
  if (progress_) progress_->StartPhase(text, 100);
}

void PanelRestoreRun::ProgressStatus(const std::u16string& text) {
  if (progress_) progress_->Step(text);
}

void PanelRestoreRun::ProgressFileLine(const std::u16string& text) {
  if (progress_) progress_->SetExtraLine(text);
}

void PanelRestoreRun::ProgressAnimation(int kind) {
  if (!progress_) return;
  if (kind == 0) {
    progress_->StopAnimation();
  } else {
    progress_->SetOperationKind(kind);
  }
}

void PanelRestoreRun::ProgressAdvance() {
  if (progress_) progress_->TaskDone();
}

bool PanelRestoreRun::ProgressCancelled() {
  if (progress_ && progress_->cancelled()) cancelled_ = true;
  return cancelled_;
}

void PanelRestoreRun::ProgressClose() {
  if (!progress_) return;
  if (progress_->cancelled()) cancelled_ = true;
  progress_->Destroy();
  progress_.reset();
}

void PanelRestoreRun::PumpMessages() { ui_.PumpPendingMessages(); }

void PanelRestoreRun::PanelStatus(const std::u16string& text) {
  if (panel_status_) panel_status_(text);
}

std::optional<std::u16string> PanelRestoreRun::AskSecretKey(const std::u16string& hint) {
  return bexa::AskSecretKey(ui_, texts_, LanguageOffset(), hint, parent_);
}

void PanelRestoreRun::Message(const std::u16string& text, StatusIcon icon) {
  const uint32_t flags = ui::kMbOk | (icon == StatusIcon::kExclamation ? ui::kMbIconExclamation
                                                                        : ui::kMbIconInformation);
  ui_.MessageBox(text, session_.display_name(), flags, parent_);
}

void PanelRestoreRun::ReportError(const CBackupException& e) {
  bexa::ReportError(e, session_.texts());
}

void PanelRestoreRun::ShowStatus(const std::u16string& text, StatusIcon icon,
                                 const std::u16string& details, bool flash) {
  status_window_.Show(text, icon == StatusIcon::kExclamation, details, flash, LanguageOffset(),
                      session_.display_name(), parent_);
}

int32_t PanelRestoreRun::Ask(const std::u16string& path, int64_t existing_size,
                             const DateTime& existing_write, int64_t new_size,
                             const DateTime& new_write, int32_t& dialog_state) {
  ReplaceQuestion question;
  question.existing_path = path;
  question.existing_size = existing_size;
  question.existing_modified = existing_write;
  question.backup_size = new_size;
  question.backup_date = new_write;
  const size_t slash = path.rfind(u'\\');
  question.icon = TheFileTypeTable().LookUp(FileTypeKey(
                      slash == std::u16string::npos ? path : path.substr(slash + 1))).name;
  question.details = dialog_state;
  question.language_offset = LanguageOffset();
  question.parent = parent_;
  const ReplaceAnswer answer = AskReplace(ui_, texts_, question);
  dialog_state = answer.details;
  return answer.result;
}

}  // namespace bexa
