// The Manual Settings dialog (211): user, password and server typed by the
// user when neither the cookie nor the handoff file gave them.
#pragma once

#include <optional>

#include "control/dialog_texts.h"
#include "control/session_parameters.h"
#include "platform/ui/window_system.h"

namespace bexa {

constexpr int kManualSettingsDialogId = 211;

class ManualSettingsDialog : public ManualSettingsPrompt {
 public:
  // The window system and the texts must outlive the prompt.
  ManualSettingsDialog(platform::ui::WindowSystem& ui, TextLookup texts, int parent = 0);

  // Shows the dialog modally with empty fields; the three values on OK
  // (empty ones too), nothing on Cancel.
  std::optional<ManualSettings> Ask(int32_t language_offset) override;

 private:
  platform::ui::WindowSystem& ui_;
  TextLookup texts_;
  int parent_;
};

}  // namespace bexa
