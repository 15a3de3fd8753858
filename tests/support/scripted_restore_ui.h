// The restore's dialogs and progress window answered by a script, for tests
// of the restore engine.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "restore/restore_engine.h"
#include "util/text.h"

namespace bexa::testing {

class ScriptedUi : public RestoreUi, public ConfirmReplacePrompt {
 public:
  std::optional<DestinationChoice> destination = DestinationChoice{};
  std::deque<std::optional<std::u16string>> secret_keys;
  std::deque<int32_t> replace_answers;
  std::vector<std::u16string> panel_status, messages, errors;
  std::u16string status_text, status_details;
  bool status_shown = false, flash = false, cancel = false;
  int advanced = 0;
  int cancel_after = -1;  // the Cancel button is pressed once this many files are done

  std::optional<DestinationChoice> AskDestination(const DestinationChoice&) override { return destination; }
  void ProgressOpen(int64_t) override {}
  void ProgressCaption(const std::u16string&) override {}
  void ProgressStatus(const std::u16string&) override {}
  void ProgressFileLine(const std::u16string&) override {}
  void ProgressAnimation(int) override {}
  void ProgressAdvance() override { ++advanced; }
  bool ProgressCancelled() override { return cancel || (cancel_after >= 0 && advanced >= cancel_after); }
  void ProgressClose() override {}
  void PumpMessages() override {}
  void PanelStatus(const std::u16string& t) override { panel_status.push_back(t); }
  std::optional<std::u16string> AskSecretKey(const std::u16string&) override {
    if (secret_keys.empty()) return std::nullopt;
    auto k = secret_keys.front();
    secret_keys.pop_front();
    return k;
  }
  void Message(const std::u16string& t, StatusIcon) override { messages.push_back(t); }
  void ReportError(const CBackupException& e) override { errors.push_back(ToText(e.Code())); }
  void ShowStatus(const std::u16string& t, StatusIcon, const std::u16string& d, bool f) override {
    status_shown = true;
    status_text = t;
    status_details = d;
    flash = f;
  }
  ConfirmReplacePrompt& ReplacePrompt() override { return *this; }
  int32_t Ask(const std::u16string&, int64_t, const DateTime&, int64_t, const DateTime&, int32_t&) override {
    auto a = replace_answers.front();
    replace_answers.pop_front();
    return a;
  }
};

}  // namespace bexa::testing
