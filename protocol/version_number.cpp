#include "protocol/version_number.h"

namespace bexa::protocol {
namespace {

int32_t LeadingNumber(std::u16string_view text) {
  int64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') break;
    value = value * 10 + (c - u'0');
    if (value > INT32_MAX) return INT32_MAX;  // a part too long to count saturates
  }
  return static_cast<int32_t>(value);
}

}  // namespace

VersionNumber::VersionNumber() : texts_{u"0", u"0", u"0", u"0"} {}

VersionNumber::VersionNumber(std::u16string_view text) {
  size_t start = 0;
  for (int i = 0; i < 4; ++i) {
    size_t dot = i < 3 ? text.find(u'.', start) : std::u16string_view::npos;
    if (dot == std::u16string_view::npos) {
      texts_[i] = std::u16string(text.substr(start));
      break;
    }
    texts_[i] = std::u16string(text.substr(start, dot - start));
    start = dot + 1;
  }
  for (int i = 0; i < 4; ++i) numbers_[i] = LeadingNumber(texts_[i]);
}

std::u16string VersionNumber::ToText() const {
  std::u16string out = texts_[0];
  for (int i = 1; i < 4; ++i) {
    if (texts_[i].empty()) continue;
    out += u'.';
    out += texts_[i];
  }
  return out;
}

}  // namespace bexa::protocol
