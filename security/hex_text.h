// Hex texts, the form in which digests and encrypted texts travel: two
// lowercase digits per byte, high half first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace bexa {

// 2 * length lowercase digits from "0123456789abcdef".
std::u16string BytesToHex(const uint8_t* bytes, size_t length);

// Reads hex digits pairwise into `out`, high half first, and returns the
// number of bytes written. Each character is taken in its ANSI form with the
// top bit cleared; "0"-"9", "a"-"f" and "A"-"F" are digits, anything else
// counts as 0. An odd final digit is read as if a "0" followed it. Never
// writes more than `capacity` bytes: digits beyond them are ignored.
size_t HexToBytes(std::u16string_view hex, uint8_t* out, size_t capacity);

}  // namespace bexa
