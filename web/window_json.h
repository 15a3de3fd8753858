// The messages between the C++ side and the page, as JSON texts.
//   to the page:  {"t":"reset"}  {"t":"window","window":{...}}
//                 {"t":"patch","id":W,"fields":{...}|null,"controls":[...]}
//                 {"t":"gone","id":W}  {"t":"beep","icon":N}
//   from the page: {"t":"event","kind":"command","window":W,"control":C,...}
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/ui/events.h"
#include "platform/ui/window.h"

namespace bexa::web {

// The whole window, controls included.
std::string WindowMessage(const platform::ui::Window& window);
// Some controls of a window, and with fields its own fields too.
std::string PatchMessage(const platform::ui::Window& window, const std::vector<int>& controls,
                         bool fields);
std::string GoneMessage(int window_id);
std::string BeepMessage(unsigned icon);
std::string ResetMessage();

// An event from a page; nothing when the text is not a well-formed event.
std::optional<platform::ui::UiEvent> ParseEventMessage(const std::string& text);

}  // namespace bexa::web
