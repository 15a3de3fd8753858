// Text conversions at the boundary of the system: UTF-8 (the host's paths,
// console, JSON) and the ANSI code page (Windows-1252) that the wire protocol,
// digests and catalogue files use.
#pragma once

#include <string>
#include <string_view>

namespace bexa::platform {

// UTF-8 to UTF-16. Malformed sequences become U+FFFD; never throws.
std::u16string Utf8ToWide(std::string_view utf8);

// UTF-16 to UTF-8. An unpaired surrogate becomes U+FFFD; never throws.
std::string WideToUtf8(std::u16string_view wide);

// UTF-16 to Windows-1252. A character without a code in the page (including
// each half of a surrogate pair) becomes "?".
std::string WideToAnsi(std::u16string_view wide);

// Windows-1252 to UTF-16. Total: the five unassigned bytes 0x81, 0x8D, 0x8F,
// 0x90 and 0x9D map to the C1 controls of the same value, as Windows does.
std::u16string AnsiToWide(std::string_view ansi);

// The UTF-16 code unit of one Windows-1252 byte.
char16_t AnsiCharToWide(unsigned char c);

}  // namespace bexa::platform
