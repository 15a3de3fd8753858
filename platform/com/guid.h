// Globally unique ids of classes, interfaces, type libraries and
// categories, with their registry text form "{6B29FC40-CA47-1067-B31D-00DD010662DA}".
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bexa::platform::com {

struct Guid {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  std::array<uint8_t, 8> data4{};

  friend constexpr bool operator==(const Guid&, const Guid&) = default;
  friend constexpr auto operator<=>(const Guid&, const Guid&) = default;
};

using Clsid = Guid;
using Iid = Guid;

namespace guid_detail {

constexpr int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// The text form with braces, 38 characters, hex digits of either case.
template <typename Char>
constexpr std::optional<Guid> Parse(std::basic_string_view<Char> text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
  uint8_t bytes[16] = {};
  size_t at = 1;
  for (int b = 0; b < 16; ++b) {
    // The dashes stand before bytes 4, 6, 8 and 10.
    if (b == 4 || b == 6 || b == 8 || b == 10) {
      if (text[at] != '-') return std::nullopt;
      ++at;
    }
    const int hi = HexValue(static_cast<char16_t>(text[at]));
    const int lo = HexValue(static_cast<char16_t>(text[at + 1]));
    if (hi < 0 || lo < 0) return std::nullopt;
    bytes[b] = static_cast<uint8_t>(hi * 16 + lo);
    at += 2;
  }
  Guid g;
  g.data1 = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) |
            bytes[3];
  g.data2 = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
  g.data3 = static_cast<uint16_t>((bytes[6] << 8) | bytes[7]);
  for (int i = 0; i < 8; ++i) g.data4[i] = bytes[8 + i];
  return g;
}

}  // namespace guid_detail

// A GUID from its text form, checked when the program is compiled.
consteval Guid GuidOf(std::string_view text) {
  auto g = guid_detail::Parse(text);
  if (!g) throw "malformed GUID text";  // a compile-time error
  return *g;
}

// The text form, upper case, with braces.
std::u16string GuidText(const Guid& guid);
std::string GuidTextUtf8(const Guid& guid);

// Parses the text form (either case); nothing for any other text.
std::optional<Guid> ParseGuid(std::u16string_view text);

}  // namespace bexa::platform::com
