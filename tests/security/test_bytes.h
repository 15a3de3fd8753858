// Hex helpers for the security tests (ASCII hex, as the vector documents
// write it).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bexa::test {

inline std::vector<uint8_t> Bytes(std::string_view hex) {
  auto nibble = [](char c) -> uint8_t {
    return static_cast<uint8_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
  };
  std::vector<uint8_t> out(hex.size() / 2);
  for (size_t i = 0; i < out.size(); ++i) out[i] = nibble(hex[2 * i]) << 4 | nibble(hex[2 * i + 1]);
  return out;
}

inline std::string Hex(const uint8_t* bytes, size_t length) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < length; ++i) {
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 15];
  }
  return out;
}

inline std::string Hex(const std::vector<uint8_t>& bytes) { return Hex(bytes.data(), bytes.size()); }

}  // namespace bexa::test
