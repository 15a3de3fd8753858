// The expander of compressed file data as a file transfer runs it.
#pragma once

#include "restore/file_transfer.h"

namespace bexa {

// Runs the implode-format expander with the transfer's read and write
// steps; its result code (0 success) is the function's result.
ExpandFunction DclExpander();

}  // namespace bexa
