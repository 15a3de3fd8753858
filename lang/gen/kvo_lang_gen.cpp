// Build-time generator of the language library's sources.
//
//   kvo_lang_gen ids OUT.h
//       writes the declarations of the exported IDS_KVOL_* integers;
//   kvo_lang_gen tables OUT.cpp ENG.txt ESP.txt CAT.txt EUQ.txt GLL.txt
//       reads the five string files (blocks 1 to 5, in that order; format in
//       lang/strings/eng.txt) and writes the text pool, its index and the
//       definitions of the exported integers.
//
// A malformed file stops the build with "file:line: reason" on stderr, so a
// mistake in a translation is found where it was made.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "lang/string_table.h"

namespace {

using bexa::lang::kBlockCount;
using bexa::lang::kIdsPerBlock;
using bexa::lang::kMaxTextLength;

struct ParseError {
  std::string what;
};

// Decodes UTF-8 strictly (no overlong forms, no surrogates) and appends the
// UTF-16 code units to out.
void AppendUtf8AsUtf16(const std::string& s, std::vector<char16_t>& out) {
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    uint32_t cp = 0;
    int extra = 0;
    if (c < 0x80) {
      cp = c;
    } else if (c >= 0xC2 && c <= 0xDF) {
      cp = c & 0x1F, extra = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      cp = c & 0x0F, extra = 2;
    } else if (c >= 0xF0 && c <= 0xF4) {
      cp = c & 0x07, extra = 3;
    } else {
      throw ParseError{"invalid UTF-8"};
    }
    for (int k = 1; k <= extra; ++k) {
      if (i + k >= s.size()) throw ParseError{"truncated UTF-8"};
      const unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) throw ParseError{"invalid UTF-8"};
      cp = (cp << 6) | (cc & 0x3F);
    }
    static const uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      throw ParseError{"invalid UTF-8"};
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += extra + 1;
  }
}

// One line `<id> "<text>" [# comment]`: the id and the text with its
// escapes resolved, still in UTF-8.
std::pair<int, std::string> ParseEntry(const std::string& line) {
  size_t pos = 0;
  int id = 0;
  while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9') {
    id = id * 10 + (line[pos] - '0');
    if (++pos > 5) throw ParseError{"id too long"};
  }
  if (pos == 0) throw ParseError{"a line must start with an id"};
  if (pos >= line.size() || line[pos] != ' ') throw ParseError{"expected one space after the id"};
  ++pos;
  if (pos >= line.size() || line[pos] != '"') throw ParseError{"expected a text in double quotes"};
  ++pos;
  std::string text;
  for (;;) {
    if (pos >= line.size()) throw ParseError{"text without its closing quote"};
    const char c = line[pos++];
    if (c == '"') break;
    if (c != '\\') {
      text.push_back(c);
      continue;
    }
    if (pos >= line.size()) throw ParseError{"lone backslash at the end of the line"};
    switch (line[pos++]) {
      case 'n': text.push_back('\n'); break;
      case '"': text.push_back('"'); break;
      case '\\': text.push_back('\\'); break;
      default: throw ParseError{"unknown escape (only \\n, \\\" and \\\\)"};
    }
  }
  while (pos < line.size() && line[pos] == ' ') ++pos;
  if (pos < line.size() && line[pos] != '#') throw ParseError{"unexpected text after the closing quote"};
  return {id, text};
}

// The texts of one block by id; an id of the block missing from the file, an
// id of another block, b100 and duplicates are errors.
std::map<int, std::vector<char16_t>> ReadBlock(const std::string& path, int block) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ParseError{path + ": cannot be read"};
  std::map<int, std::vector<char16_t>> texts;
  const int first = block * 1000;
  std::string line;
  int line_number = 0;
  while (std::getline(in, line)) {
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    try {
      auto [id, utf8] = ParseEntry(line);
      if (id == first + 100) {
        throw ParseError{"id " + std::to_string(id) + " has no text of its own (its text is under " +
                         std::to_string(first) + ")"};
      }
      if (id < first || id >= first + kIdsPerBlock) {
        throw ParseError{"id " + std::to_string(id) + " is not in block " + std::to_string(block)};
      }
      std::vector<char16_t> wide;
      AppendUtf8AsUtf16(utf8, wide);
      if (wide.size() > static_cast<size_t>(kMaxTextLength)) {
        throw ParseError{"text longer than the caller's buffer allows"};
      }
      if (!texts.emplace(id, std::move(wide)).second) {
        throw ParseError{"id " + std::to_string(id) + " appears twice"};
      }
    } catch (const ParseError& e) {
      throw ParseError{path + ":" + std::to_string(line_number) + ": " + e.what};
    }
  }
  for (int id = first; id <= first + kIdsPerBlock - 1; ++id) {
    if (id != first + 100 && !texts.count(id)) {
      throw ParseError{path + ": id " + std::to_string(id) + " is missing"};
    }
  }
  return texts;
}

// Name and value of every exported integer: b001..b193, b100 holding b000.
template <typename F>
void ForEachExport(F f) {
  for (int block = 1; block <= kBlockCount; ++block) {
    for (int n = 1; n <= 193; ++n) {
      const int id = block * 1000 + n;
      f(id, n == 100 ? block * 1000 : id);
    }
  }
}

void WriteIfChanged(const std::string& path, const std::string& content) {
  {
    std::ifstream old(path, std::ios::binary);
    if (old) {
      std::ostringstream existing;
      existing << old.rdbuf();
      if (existing.str() == content) return;
    }
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw ParseError{path + ": cannot be written"};
}

std::string IdsHeader() {
  std::ostringstream h;
  h << "// Generated by kvo_lang_gen; do not edit.\n"
       "// The exported string numbers: IDS_KVOL_<n> holds n, except IDS_KVOL_<b>100,\n"
       "// which holds <b>000.\n"
       "#pragma once\n\n"
       "#include \"lang/kvo_lang_api.h\"\n\n"
       "extern \"C\" {\n";
  ForEachExport([&](int id, int) { h << "KVO_LANG_API extern const int IDS_KVOL_" << id << ";\n"; });
  h << "}\n";
  return h.str();
}

std::string TablesSource(const std::vector<std::map<int, std::vector<char16_t>>>& blocks) {
  std::ostringstream c;
  c << "// Generated by kvo_lang_gen from lang/strings/*.txt; do not edit.\n"
       "#include \"lang/kvo_lang_ids.h\"\n"
       "#include \"lang/string_table.h\"\n\n"
       "extern \"C\" {\n";
  ForEachExport([&](int id, int value) {
    c << "const int IDS_KVOL_" << id << " = " << value << ";\n";
  });
  c << "}\n\nnamespace bexa::lang {\n\n";
  std::vector<uint32_t> starts(kBlockCount * kIdsPerBlock, bexa::lang::kNoText);
  std::ostringstream pool;
  uint32_t size = 0;
  int column = 0;
  for (int b = 0; b < kBlockCount; ++b) {
    for (const auto& [id, text] : blocks[b]) {
      if (text.empty()) continue;  // an empty text is no text
      starts[b * kIdsPerBlock + (id - (b + 1) * 1000)] = size;
      auto put = [&](char16_t u) {
        pool << "0x" << std::hex << static_cast<unsigned>(u) << std::dec << ",";
        if (++column == 16) pool << "\n", column = 0;
        ++size;
      };
      for (char16_t u : text) put(u);
      put(0);
    }
  }
  c << "const char16_t kTextPool[] = {\n" << pool.str() << "};\n\n";
  c << "const uint32_t kTextStart[kBlockCount * kIdsPerBlock] = {\n";
  for (size_t i = 0; i < starts.size(); ++i) {
    c << starts[i] << "u," << ((i + 1) % kIdsPerBlock == 0 ? "\n" : "");
  }
  c << "};\n\n}  // namespace bexa::lang\n";
  return c.str();
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::string mode = argc > 2 ? argv[1] : "";
    if (mode == "ids" && argc == 3) {
      WriteIfChanged(argv[2], IdsHeader());
      return 0;
    }
    if (mode == "tables" && argc == 3 + kBlockCount) {
      std::vector<std::map<int, std::vector<char16_t>>> blocks;
      for (int b = 1; b <= kBlockCount; ++b) blocks.push_back(ReadBlock(argv[2 + b], b));
      WriteIfChanged(argv[2], TablesSource(blocks));
      return 0;
    }
    std::cerr << "usage: kvo_lang_gen ids OUT.h | tables OUT.cpp ENG ESP CAT EUQ GLL\n";
    return 2;
  } catch (const ParseError& e) {
    std::cerr << "kvo_lang_gen: " << e.what << "\n";
    return 1;
  }
}
