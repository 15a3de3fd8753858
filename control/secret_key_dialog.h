// The Secret Key Entry dialog (130): asks for the secret key after the
// server rejected the keys offered, showing the key's hint.
#pragma once

#include <optional>
#include <string>

#include "control/dialog_texts.h"
#include "platform/ui/window_system.h"

namespace bexa {

constexpr int kSecretKeyDialogId = 130;

// Shows the dialog modally; the typed key on OK (possibly empty), nothing
// on Cancel.
std::optional<std::u16string> AskSecretKey(platform::ui::WindowSystem& ui, const TextLookup& texts,
                                           int32_t language_offset, const std::u16string& hint,
                                           int parent = 0);

}  // namespace bexa
