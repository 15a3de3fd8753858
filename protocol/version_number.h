// A four-part version (major, minor, build, revision), each part kept as the
// text it was written with and as the number of its leading digits, so that
// "7.0.0.0KVO" prints back unchanged while ordering numerically.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

namespace bexa::protocol {

class VersionNumber {
 public:
  // All four parts "0".
  VersionNumber();
  // Split at "." into at most four parts (the fourth keeps any further dots);
  // missing parts are empty texts with the number 0.
  explicit VersionNumber(std::u16string_view text);

  // Major text, then "." and each further part whose text is not empty.
  std::u16string ToText() const;

  const std::u16string& PartText(int i) const { return texts_[i]; }
  int32_t Part(int i) const { return numbers_[i]; }
  int32_t Major() const { return numbers_[0]; }

  // Numeric order of the four parts, major first.
  friend std::strong_ordering operator<=>(const VersionNumber& a, const VersionNumber& b) {
    return a.numbers_ <=> b.numbers_;
  }
  friend bool operator==(const VersionNumber& a, const VersionNumber& b) {
    return a.numbers_ == b.numbers_;
  }

 private:
  std::array<std::u16string, 4> texts_;
  std::array<int32_t, 4> numbers_{};
};

}  // namespace bexa::protocol
