#include "platform/profile.h"

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/codepage.h"

namespace bexa::platform {
namespace {

struct Line {
  std::u16string text;
};

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::u16string TrimBlanks(std::u16string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return std::u16string(s.substr(b, e - b));
}

char16_t Fold(char16_t c) {
  if (c >= u'a' && c <= u'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  return c;
}

bool SameNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

bool ReadAll(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  bytes = ss.str();
  return true;
}

std::u16string DecodeFile(const std::string& bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::u16string out;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return out;
  }
  std::string_view v(bytes);
  if (v.substr(0, 3) == "\xEF\xBB\xBF") v.remove_prefix(3);
  return Utf8ToWide(v);
}

std::vector<std::u16string> SplitLines(const std::u16string& text) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == u'\n') {
      std::u16string line = text.substr(start, i - start);
      if (!line.empty() && line.back() == u'\r') line.pop_back();
      if (i < text.size() || !line.empty()) lines.push_back(std::move(line));
      start = i + 1;
    }
  }
  return lines;
}

// Section header name of a line, or false when the line is no header.
bool SectionName(const std::u16string& line, std::u16string& name) {
  std::u16string t = TrimBlanks(line);
  if (t.size() < 2 || t.front() != u'[') return false;
  size_t close = t.find(u']');
  if (close == std::u16string::npos) return false;
  name = TrimBlanks(std::u16string_view(t).substr(1, close - 1));
  return true;
}

// Key and value of an entry line; false for comments and lines without "=".
bool Entry(const std::u16string& line, std::u16string& key, std::u16string& value) {
  std::u16string t = TrimBlanks(line);
  if (t.empty() || t.front() == u';') return false;
  size_t eq = t.find(u'=');
  if (eq == std::u16string::npos) return false;
  key = TrimBlanks(std::u16string_view(t).substr(0, eq));
  value = TrimBlanks(std::u16string_view(t).substr(eq + 1));
  if (value.size() >= 2 && ((value.front() == u'"' && value.back() == u'"') ||
                            (value.front() == u'\'' && value.back() == u'\''))) {
    value = value.substr(1, value.size() - 2);
  }
  return true;
}

bool FindValue(const std::u16string& section, const std::u16string& key,
               const std::string& host_path, std::u16string& value) {
  std::string bytes;
  if (!ReadAll(host_path, bytes)) return false;
  bool in_section = false;
  std::u16string name, k, v;
  for (const auto& line : SplitLines(DecodeFile(bytes))) {
    if (SectionName(line, name)) {
      in_section = SameNoCase(name, section);
      continue;
    }
    if (in_section && Entry(line, k, v) && SameNoCase(k, key)) {
      value = v;
      return true;
    }
  }
  return false;
}

}  // namespace

std::u16string GetProfileString(const std::u16string& section, const std::u16string& key,
                                 const std::u16string& fallback, size_t buffer_size,
                                 const std::string& host_path) {
  std::u16string value;
  if (!FindValue(section, key, host_path, value)) value = TrimBlanks(fallback);
  if (buffer_size == 0) return {};
  if (value.size() > buffer_size - 1) value.resize(buffer_size - 1);
  return value;
}

int GetProfileInt(const std::u16string& section, const std::u16string& key, int fallback,
                  const std::string& host_path) {
  std::u16string value;
  if (!FindValue(section, key, host_path, value)) return fallback;
  size_t i = 0;
  bool negative = false;
  if (i < value.size() && (value[i] == u'-' || value[i] == u'+')) negative = value[i++] == u'-';
  long long n = 0;
  for (; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i) {
    n = n * 10 + (value[i] - u'0');
    if (n > 0xFFFFFFFFLL) n = 0xFFFFFFFFLL;  // saturate instead of overflowing
  }
  return static_cast<int>(negative ? -n : n);
}

std::vector<std::pair<std::u16string, std::u16string>> GetProfileSection(
    const std::u16string& section, const std::string& host_path) {
  std::vector<std::pair<std::u16string, std::u16string>> out;
  std::string bytes;
  if (!ReadAll(host_path, bytes)) return out;
  bool in_section = false;
  std::u16string name, k, v;
  for (const auto& line : SplitLines(DecodeFile(bytes))) {
    if (SectionName(line, name)) {
      in_section = SameNoCase(name, section);
    } else if (in_section && Entry(line, k, v)) {
      out.emplace_back(k, v);
    }
  }
  return out;
}

bool WriteProfileString(const std::u16string& section, const std::u16string& key,
                        const std::u16string* value, const std::string& host_path) {
  std::string bytes;
  std::vector<std::u16string> lines;
  if (ReadAll(host_path, bytes)) lines = SplitLines(DecodeFile(bytes));

  bool in_section = false, section_seen = false, done = false;
  size_t section_end = lines.size();
  std::u16string name, k, v;
  for (size_t i = 0; i < lines.size() && !done; ++i) {
    if (SectionName(lines[i], name)) {
      if (in_section) {
        section_end = i;
        break;
      }
      in_section = SameNoCase(name, section);
      section_seen = section_seen || in_section;
      continue;
    }
    if (in_section && Entry(lines[i], k, v) && SameNoCase(k, key)) {
      if (value)
        lines[i] = k + u"=" + *value;
      else
        lines.erase(lines.begin() + static_cast<long>(i));
      done = true;
    }
  }
  if (!done && value) {
    if (!section_seen) {
      lines.push_back(u"[" + section + u"]");
      section_end = lines.size();
    }
    lines.insert(lines.begin() + static_cast<long>(section_end), key + u"=" + *value);
  }
  std::string out;
  for (const auto& line : lines) out += WideToUtf8(line) + "\r\n";
  FILE* f = std::fopen(host_path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  ok = (std::fclose(f) == 0) && ok;
  return ok;
}

long long FileModificationStamp(const std::string& host_path) {
  struct stat st;
  if (::stat(host_path.c_str(), &st) != 0) return -1;
  // The clock behind st_mtim moves in ticks of a few milliseconds, so two
  // writes in a row can leave the same time: the size and the file's identity
  // (a file replaced by rename is a new one) go into the stamp as well.
  const uint64_t time = static_cast<uint64_t>(st.st_mtim.tv_sec) * 1000000000ULL +
                        static_cast<uint64_t>(st.st_mtim.tv_nsec);
  const uint64_t mixed = time ^ (static_cast<uint64_t>(st.st_size) * 0x9E3779B97F4A7C15ULL) ^
                         (static_cast<uint64_t>(st.st_ino) << 17);
  return static_cast<long long>(mixed & 0x7FFFFFFFFFFFFFFFULL);
}

}  // namespace bexa::platform
