// The padding of texts that carry keys, passwords or user names to the
// server.
#pragma once

#include <string>
#include <string_view>

namespace bexa {

// A text of n > 0 characters followed by (n mod 8) + 8 spaces: "abc" gets
// 11, an 8-character text 8. The empty text stays empty. The count does not
// round to a multiple of 8.
std::u16string PadCredential(std::u16string_view text);

}  // namespace bexa
