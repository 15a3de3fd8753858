// Where the running program lies.
#pragma once

#include <string>

namespace bexa::platform {

// The host folder of the main program's executable (no trailing "/"); the
// current folder when it cannot be told.
std::string MainModuleFolder();

}  // namespace bexa::platform
