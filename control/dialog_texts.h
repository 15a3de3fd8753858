// How the dialogs of the control get their texts: by full id (the English
// id plus the session's languageOffset), as the language library numbers
// them. The program passes the language library's getter; tests pass fixed
// texts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace bexa {

using TextLookup = std::function<std::u16string(int32_t id)>;

}  // namespace bexa
