// The restore's dialogs on a terminal: the destination comes from the
// options, questions are asked on the terminal (or answered by the
// options), progress and errors go to standard error.
#pragma once

#include <string>

#include "apps/restore_cli/options.h"
#include "restore/restore_engine.h"
#include "security/secret_key_check.h"
#include "session/texts.h"

namespace bexa::cli {

class ConsoleUi : public RestoreUi, public ConfirmReplacePrompt, public SecretKeyDialog {
 public:
  ConsoleUi(const Options& options, SessionTexts& texts, DestinationChoice destination);

  std::optional<DestinationChoice> AskDestination(const DestinationChoice&) override {
    return destination_;
  }
  void ProgressOpen(int64_t total_files) override;
  void ProgressCaption(const std::u16string&) override {}
  void ProgressStatus(const std::u16string&) override {}
  void ProgressFileLine(const std::u16string& text) override;
  void ProgressAnimation(int) override {}
  void ProgressAdvance() override;
  bool ProgressCancelled() override { return false; }
  void ProgressClose() override;
  void PumpMessages() override {}
  void PanelStatus(const std::u16string& text) override;
  std::optional<std::u16string> AskSecretKey(const std::u16string& hint) override;
  void Message(const std::u16string& text, StatusIcon icon) override;
  void ReportError(const CBackupException& e) override;
  void ShowStatus(const std::u16string& text, StatusIcon icon, const std::u16string& details,
                  bool flash) override;
  ConfirmReplacePrompt& ReplacePrompt() override { return *this; }

  // ConfirmReplacePrompt
  int32_t Ask(const std::u16string& path, int64_t existing_size, const DateTime& existing_write,
              int64_t new_size, const DateTime& new_write, int32_t& dialog_state) override;
  // SecretKeyDialog (the logon's secret-key check)
  std::optional<std::u16string> AskSecretKey(std::u16string_view hint) override;

  const std::u16string& final_message() const { return final_message_; }

 private:
  void ClearProgressLine();

  const Options& options_;
  SessionTexts& texts_;
  DestinationChoice destination_;
  bool secret_key_offered_ = false;
  int64_t total_ = 0, done_ = 0;
  std::u16string current_;
  bool progress_line_ = false;
  std::u16string final_message_;
};

}  // namespace bexa::cli
