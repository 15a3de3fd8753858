#include "util/text.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace bexa {

int64_t FormatArg::AsSigned() const {
  switch (kind_) {
    case Kind::kSigned: return i_;
    case Kind::kUnsigned: return static_cast<int64_t>(u_);
    case Kind::kDouble: return static_cast<int64_t>(d_);
    case Kind::kChar: return c_;
    case Kind::kText: return 0;
  }
  return 0;
}

uint64_t FormatArg::AsUnsigned() const {
  switch (kind_) {
    case Kind::kSigned: return static_cast<uint64_t>(i_);
    case Kind::kUnsigned: return u_;
    case Kind::kDouble: return static_cast<uint64_t>(static_cast<int64_t>(d_));
    case Kind::kChar: return c_;
    case Kind::kText: return 0;
  }
  return 0;
}

double FormatArg::AsDouble() const {
  switch (kind_) {
    case Kind::kSigned: return static_cast<double>(i_);
    case Kind::kUnsigned: return static_cast<double>(u_);
    case Kind::kDouble: return d_;
    case Kind::kChar: return c_;
    case Kind::kText: return 0;
  }
  return 0;
}

namespace {

struct Conversion {
  bool left = false, zero = false, plus = false, space = false, alt = false;
  int width = -1, precision = -1;
  int length = 0;  // 0 int, 1 short (h), 2 long long (ll, I64)
  char16_t conversion = 0;
};

constexpr int kMaxWidth = 4096;  // keeps a damaged format from asking for huge padding

void Pad(std::u16string& out, const std::u16string& body, const Conversion& s, bool numeric) {
  int pad = s.width > static_cast<int>(body.size()) ? s.width - static_cast<int>(body.size()) : 0;
  if (s.left) {
    out += body;
    out.append(static_cast<size_t>(pad), u' ');
  } else if (s.zero && numeric && s.precision < 0) {
    // Zeros go after the sign.
    size_t sign = (!body.empty() && (body[0] == u'-' || body[0] == u'+' || body[0] == u' ')) ? 1 : 0;
    out += body.substr(0, sign);
    out.append(static_cast<size_t>(pad), u'0');
    out += body.substr(sign);
  } else {
    out.append(static_cast<size_t>(pad), u' ');
    out += body;
  }
}

std::u16string Digits(uint64_t v, unsigned base, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::u16string s;
  do {
    s.insert(s.begin(), static_cast<char16_t>(digits[v % base]));
    v /= base;
  } while (v);
  return s;
}

std::u16string FormatInteger(const FormatArg& a, const Conversion& s) {
  const char16_t conv = s.conversion;
  bool negative = false;
  uint64_t magnitude;
  if (conv == u'd' || conv == u'i') {
    int64_t v = a.AsSigned();
    if (s.length == 0) v = static_cast<int32_t>(v);
    if (s.length == 1) v = static_cast<int16_t>(v);
    negative = v < 0;
    magnitude = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  } else {
    magnitude = a.AsUnsigned();
    if (s.length == 0) magnitude = static_cast<uint32_t>(magnitude);
    if (s.length == 1) magnitude = static_cast<uint16_t>(magnitude);
  }
  unsigned base = (conv == u'x' || conv == u'X') ? 16 : conv == u'o' ? 8 : 10;
  std::u16string digits = Digits(magnitude, base, conv == u'X');
  if (s.precision >= 0) {
    if (s.precision == 0 && magnitude == 0) digits.clear();
    while (static_cast<int>(digits.size()) < s.precision) digits.insert(digits.begin(), u'0');
  }
  std::u16string prefix;
  if (negative)
    prefix = u"-";
  else if ((conv == u'd' || conv == u'i') && s.plus)
    prefix = u"+";
  else if ((conv == u'd' || conv == u'i') && s.space)
    prefix = u" ";
  if (s.alt && magnitude != 0) {
    if (base == 16) prefix += conv == u'X' ? u"0X" : u"0x";
    if (base == 8) prefix += u"0";
  }
  return prefix + digits;
}

std::u16string FormatFloating(double v, const Conversion& s) {
  char fmt[16];
  int p = 0;
  fmt[p++] = '%';
  if (s.plus) fmt[p++] = '+';
  if (s.space) fmt[p++] = ' ';
  if (s.alt) fmt[p++] = '#';
  fmt[p++] = '.';
  fmt[p++] = '*';
  fmt[p++] = static_cast<char>(s.conversion);
  fmt[p] = 0;
  int precision = s.precision < 0 ? 6 : (s.precision > 60 ? 60 : s.precision);
  char buf[512];
  int n = std::snprintf(buf, sizeof(buf), fmt, precision, v);
  if (n < 0) return {};
  if (n >= static_cast<int>(sizeof(buf))) n = sizeof(buf) - 1;
  return AnsiToWide(std::string_view(buf, static_cast<size_t>(n)));
}

}  // namespace

std::u16string FormatList(std::u16string_view f, std::initializer_list<FormatArg> list) {
  std::vector<const FormatArg*> args;
  args.reserve(list.size());
  for (const auto& a : list) args.push_back(&a);
  size_t next = 0;
  std::u16string out;
  out.reserve(f.size() + 16);
  const size_t n = f.size();
  size_t i = 0;
  while (i < n) {
    char16_t c = f[i];
    if (c != u'%') {
      out += c;
      ++i;
      continue;
    }
    size_t start = i++;
    if (i < n && f[i] == u'%') {
      out += u'%';
      ++i;
      continue;
    }
    Conversion s;
    for (; i < n; ++i) {
      if (f[i] == u'-') s.left = true;
      else if (f[i] == u'0') s.zero = true;
      else if (f[i] == u'+') s.plus = true;
      else if (f[i] == u' ') s.space = true;
      else if (f[i] == u'#') s.alt = true;
      else break;
    }
    auto read_number = [&](int& value) {
      value = 0;
      bool any = false;
      while (i < n && f[i] >= u'0' && f[i] <= u'9') {
        if (value < kMaxWidth) value = value * 10 + (f[i] - u'0');
        any = true;
        ++i;
      }
      if (value > kMaxWidth) value = kMaxWidth;
      return any;
    };
    if (!read_number(s.width)) s.width = -1;
    if (i < n && f[i] == u'.') {
      ++i;
      read_number(s.precision);
    }
    if (f.substr(i, 3) == u"I64") {
      s.length = 2;
      i += 3;
    } else if (f.substr(i, 3) == u"I32") {
      i += 3;
    } else if (f.substr(i, 2) == u"ll") {
      s.length = 2;
      i += 2;
    } else if (i < n && (f[i] == u'l' || f[i] == u'w')) {
      ++i;
    } else if (i < n && f[i] == u'h') {
      s.length = 1;
      ++i;
    }
    if (i >= n) {
      out += f.substr(start);  // an unfinished conversion is printed as it stands
      break;
    }
    s.conversion = f[i++];
    const FormatArg* a = next < args.size() ? args[next] : nullptr;
    switch (s.conversion) {
      case u's':
      case u'S': {
        ++next;
        std::u16string body(a ? a->AsText() : std::u16string_view());
        if (s.precision >= 0 && body.size() > static_cast<size_t>(s.precision))
          body.resize(static_cast<size_t>(s.precision));
        Pad(out, body, s, false);
        break;
      }
      case u'c':
      case u'C': {
        ++next;
        std::u16string body;
        if (a) body.push_back(a->AsChar());
        Pad(out, body, s, false);
        break;
      }
      case u'd': case u'i': case u'u': case u'x': case u'X': case u'o':
        ++next;
        if (a) Pad(out, FormatInteger(*a, s), s, true);
        break;
      case u'f': case u'F': case u'e': case u'E': case u'g': case u'G':
        ++next;
        if (a) Pad(out, FormatFloating(a->AsDouble(), s), s, true);
        break;
      default:
        // Not a conversion: keep the text as written.
        out += f.substr(start, i - start);
        break;
    }
  }
  return out;
}

std::u16string GroupDigits(std::u16string_view digits, std::u16string_view separator) {
  std::u16string_view sign;
  if (!digits.empty() && digits[0] == u'-') {
    sign = digits.substr(0, 1);
    digits.remove_prefix(1);
  }
  std::u16string out(sign);
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
    out += digits[i];
  }
  return out;
}

namespace {
bool IsTrimmed(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
}  // namespace

std::u16string Trim(std::u16string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsTrimmed(s[b])) ++b;
  while (e > b && IsTrimmed(s[e - 1])) --e;
  return std::u16string(s.substr(b, e - b));
}

std::string TrimAscii(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsTrimmed(static_cast<char16_t>(s[b]))) ++b;
  while (e > b && IsTrimmed(static_cast<char16_t>(s[e - 1]))) --e;
  return std::string(s.substr(b, e - b));
}

char16_t ToUpperChar(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? c - 32 : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  if (c == 0xFF) return 0x178;
  if (c == 0xB5) return 0x39C;
  // Latin Extended-A: pairs of upper then lower, in two runs.
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return (c & 1) ? c - 1 : c;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 32;  // Greek
  if (c >= 0x430 && c <= 0x44F) return c - 32;                // Cyrillic
  if (c >= 0x450 && c <= 0x45F) return c - 80;
  return c;
}

char16_t ToLowerChar(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? c + 32 : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  if (c == 0x178) return 0xFF;
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return (c & 1) ? c : c + 1;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  return c;
}

std::u16string ToUpper(std::u16string_view text) {
  std::u16string out(text);
  for (auto& c : out) c = ToUpperChar(c);
  return out;
}

std::u16string ToLower(std::u16string_view text) {
  std::u16string out(text);
  for (auto& c : out) c = ToLowerChar(c);
  return out;
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    char16_t x = ToUpperChar(a[i]), y = ToUpperChar(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::u16string ToText(int64_t value) { return Format(u"%I64d", value); }

}  // namespace bexa
