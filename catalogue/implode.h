// The implode encoder: the server's side of the compressed file data, and a
// source of streams for the expander's tests and benchmarks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/implode_format.h"

namespace bexa {

// Compresses `data` into one implode stream with the given literal coding
// and dictionary bits (4 to 6). The stream ends with the end code, padded
// with zero bits to a whole byte, and has at least 5 bytes (the expander
// rejects a first read of 4 bytes or fewer), so an empty input gives 5 bytes.
// Returns the empty text when `dict_bits` or `coding` is out of range.
std::string Implode(std::string_view data, dcl::Coding coding, uint32_t dict_bits);

}  // namespace bexa
