// Text helpers on the system's text type, std::u16string (UTF-16).
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/codepage.h"

namespace bexa {

using platform::AnsiToWide;
using platform::Utf8ToWide;
using platform::WideToAnsi;
using platform::WideToUtf8;

// One argument of Format. Built implicitly from integers, floating point
// numbers, characters and texts; a text argument refers to the caller's text,
// which must outlive the Format call.
class FormatArg {
 public:
  enum class Kind { kSigned, kUnsigned, kDouble, kText, kChar };

  template <typename T, std::enable_if_t<std::is_integral_v<T> && std::is_signed_v<T> &&
                                             !std::is_same_v<T, char>,
                                         int> = 0>
  FormatArg(T v) : kind_(Kind::kSigned), i_(v) {}
  template <typename T, std::enable_if_t<std::is_integral_v<T> && std::is_unsigned_v<T> &&
                                             !std::is_same_v<T, bool> &&
                                             !std::is_same_v<T, char16_t>,
                                         int> = 0>
  FormatArg(T v) : kind_(Kind::kUnsigned), u_(v) {}
  FormatArg(bool v) : kind_(Kind::kSigned), i_(v ? 1 : 0) {}
  FormatArg(double v) : kind_(Kind::kDouble), d_(v) {}
  FormatArg(char16_t c) : kind_(Kind::kChar), c_(c) {}
  FormatArg(std::u16string_view s) : kind_(Kind::kText), s_(s) {}
  FormatArg(const std::u16string& s) : kind_(Kind::kText), s_(s) {}
  FormatArg(const char16_t* s) : kind_(Kind::kText), s_(s ? s : u"(null)") {}

  Kind kind() const { return kind_; }
  int64_t AsSigned() const;
  uint64_t AsUnsigned() const;
  double AsDouble() const;
  std::u16string_view AsText() const { return kind_ == Kind::kText ? s_ : std::u16string_view(); }
  char16_t AsChar() const { return kind_ == Kind::kChar ? c_ : static_cast<char16_t>(AsUnsigned()); }

 private:
  Kind kind_;
  union {
    int64_t i_;
    uint64_t u_;
    double d_;
    char16_t c_;
  };
  std::u16string_view s_;
};

// printf-style formatting on a UTF-16 format text. Understands flags "-0+ #",
// a width and a precision (numbers or "*" is not supported), the length
// prefixes h, l, ll, I64 and I32, and the conversions s S d i u x X o c C f e
// g and %%. A conversion without a matching argument, or of the wrong kind,
// prints what the argument can give (a missing argument prints nothing), so
// a translated text with a wrong placeholder never reads outside the list.
std::u16string FormatList(std::u16string_view format, std::initializer_list<FormatArg> args);

template <typename... A>
std::u16string Format(std::u16string_view format, const A&... args) {
  return FormatList(format, {FormatArg(args)...});
}

// Inserts the separator between groups of three digits, counted from the
// right: "1234567" -> "1,234,567". A leading "-" stays in front; the text is
// otherwise expected to hold decimal digits only.
std::u16string GroupDigits(std::u16string_view digits, std::u16string_view separator);

// Removes spaces, tabs, carriage returns and line feeds at both ends.
std::u16string Trim(std::u16string_view text);
std::string TrimAscii(std::string_view text);

// Upper and lower case of letters in the Latin ranges (ASCII, Latin-1,
// Latin Extended-A) and Greek/Cyrillic basics; other characters unchanged.
char16_t ToUpperChar(char16_t c);
char16_t ToLowerChar(char16_t c);
std::u16string ToUpper(std::u16string_view text);
std::u16string ToLower(std::u16string_view text);

// Case-insensitive comparison by ToUpperChar, as the INI functions compare
// sections and keys. Returns <0, 0 or >0.
int CompareNoCase(std::u16string_view a, std::u16string_view b);
inline bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  return CompareNoCase(a, b) == 0;
}

// ASCII convenience: a UTF-16 text of an ASCII/UTF-8 literal.
inline std::u16string W(std::string_view utf8) { return Utf8ToWide(utf8); }

// A localised text by its English id; the language offset is the
// provider's business.
using TextById = std::function<std::u16string(int english_id)>;

// Decimal text of a number, without grouping.
std::u16string ToText(int64_t value);

}  // namespace bexa
