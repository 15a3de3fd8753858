#include "security/hex_text.h"

#include <algorithm>

#include "platform/codepage.h"

namespace bexa {
namespace {

constexpr char16_t kDigits[] = u"0123456789abcdef";

uint8_t DigitValue(unsigned char c) {
  c &= 0x7F;
  if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<uint8_t>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<uint8_t>(c - 'A' + 10);
  return 0;
}

}  // namespace

std::u16string BytesToHex(const uint8_t* bytes, size_t length) {
  std::u16string hex(2 * length, u'0');
  for (size_t i = 0; i < length; ++i) {
    hex[2 * i] = kDigits[bytes[i] >> 4];
    hex[2 * i + 1] = kDigits[bytes[i] & 0x0F];
  }
  return hex;
}

size_t HexToBytes(std::u16string_view hex, uint8_t* out, size_t capacity) {
  std::string ansi = platform::WideToAnsi(hex);
  size_t count = std::min(capacity, (ansi.size() + 1) / 2);
  for (size_t i = 0; i < count; ++i) {
    uint8_t high = DigitValue(static_cast<unsigned char>(ansi[2 * i]));
    uint8_t low = 2 * i + 1 < ansi.size() ? DigitValue(static_cast<unsigned char>(ansi[2 * i + 1])) : 0;
    out[i] = static_cast<uint8_t>(high << 4 | low);
  }
  return count;
}

}  // namespace bexa
