// A restore run started by the panel's "Restore Now": the restore engine
// with the panel's dialogs (Restore Destination, progress, Secret Key
// Entry, Confirm File Replace, Backup Status) and its own connection over
// the session.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "control/backup_status_window.h"
#include "control/dialog_texts.h"
#include "control/selection_set.h"
#include "platform/ui/folder_picker.h"
#include "platform/ui/window_system.h"
#include "restore/destination.h"
#include "restore/restore_engine.h"
#include "session/session.h"

namespace bexa {

class ProgressDialog;

// The implode expander as the file transfer runs it.
ExpandFunction ImplodeExpander();

class PanelRestoreRun : public RestoreUi, public CancelSource, private ConfirmReplacePrompt {
 public:
  // Empty picker or expander: the system's folder picker, the implode
  // expander. panel_status sets the panel's status line; enable_restore_now
  // the "Restore Now" button.
  PanelRestoreRun(platform::ui::WindowSystem& ui, Session& session, TextLookup texts, int parent,
                  platform::ui::FolderPicker picker, ExpandFunction expander,
                  std::function<void(const std::u16string&)> panel_status,
                  std::function<void(bool)> enable_restore_now);
  ~PanelRestoreRun() override;

  // Runs the engine on the selection as it stands.
  RestoreOutcome Run(const SelectionSet& selection, RestorePanelState& state,
                     ShareAvailability& shares);
  const BackupStatusWindow& status_window() const { return status_window_; }

  // RestoreUi
  std::optional<DestinationChoice> AskDestination(const DestinationChoice& initial) override;
  void ProgressOpen(int64_t total_files) override;
  void ProgressCaption(const std::u16string& text) override;
  void ProgressStatus(const std::u16string& text) override;
  void ProgressFileLine(const std::u16string& text) override;
  void ProgressAnimation(int kind) override;
  void ProgressAdvance() override;
  bool ProgressCancelled() override;
  void ProgressClose() override;
  void PumpMessages() override;
  void PanelStatus(const std::u16string& text) override;
  std::optional<std::u16string> AskSecretKey(const std::u16string& hint) override;
  void Message(const std::u16string& text, StatusIcon icon) override;
  void ReportError(const CBackupException& e) override;
  void ShowStatus(const std::u16string& text, StatusIcon icon, const std::u16string& details,
                  bool flash) override;
  ConfirmReplacePrompt& ReplacePrompt() override { return *this; }

  // CancelSource: the progress dialog's Cancel.
  bool Cancelled() override { return ProgressCancelled(); }

 private:
  int32_t Ask(const std::u16string& path, int64_t existing_size, const DateTime& existing_write,
              int64_t new_size, const DateTime& new_write, int32_t& dialog_state) override;
  int32_t LanguageOffset() const { return session_.parameters().language_offset; }

  platform::ui::WindowSystem& ui_;
  Session& session_;
  TextLookup texts_;
  int parent_;
  platform::ui::FolderPicker picker_;
  ExpandFunction expander_;
  std::function<void(const std::u16string&)> panel_status_;
  std::function<void(bool)> enable_restore_now_;
  std::unique_ptr<ProgressDialog> progress_;
  bool cancelled_ = false;  // the last progress dialog's Cancel, kept after it closed
  BackupStatusWindow status_window_;
};

}  // namespace bexa
