// Deterministic sample data for the expander and encoder tests and benchmarks.
#pragma once

#include <cstdint>
#include <string>

namespace bexa::testing {

// English-like text: words of a small vocabulary in sentences and lines.
inline std::string SampleText(size_t size, uint32_t seed = 1) {
  static const char* const kWords[] = {
      "the",     "of",      "and",     "to",       "in",     "a",       "is",      "that",
      "for",     "it",      "as",      "was",      "with",   "be",      "by",      "on",
      "not",     "he",      "this",    "are",      "or",     "his",     "from",    "at",
      "which",   "but",     "have",    "an",       "had",    "they",    "you",     "were",
      "their",   "one",     "all",     "we",       "can",    "her",     "has",     "there",
      "been",    "if",      "more",    "when",     "will",   "would",   "who",     "so",
      "backup",  "server",  "restore", "volume",   "file",   "folder",  "version", "catalogue",
      "program", "licence", "source",  "copy",     "modify", "terms",   "work",    "rights",
      "distribute", "conditions", "permission", "warranty", "software", "General", "Public"};
  constexpr size_t kCount = sizeof(kWords) / sizeof(kWords[0]);
  std::string s;
  s.reserve(size + 16);
  uint32_t x = seed * 2654435761u + 12345;
  size_t line = 0;
  bool capital = true;
  while (s.size() < size) {
    x = x * 1103515245u + 12345u;
    // Skewed choice: frequent words come up more often.
    const uint32_t r = (x >> 8) % 1024;
    const size_t w = (r * r / 1024) * kCount / 1024;
    std::string word = kWords[w];
    if (capital && !word.empty()) word[0] = static_cast<char>(toupper(word[0]));
    capital = false;
    s += word;
    line += word.size();
    const uint32_t p = (x >> 20) % 16;
    if (p == 0) {
      s += ".";
      capital = true;
    } else if (p == 1) {
      s += ",";
    }
    if (line > 70) {
      s += "\n";
      line = 0;
    } else {
      s += " ";
      ++line;
    }
  }
  s.resize(size);
  return s;
}

// Binary data: records of counters, small integers and random bytes, as in
// executables and databases.
inline std::string SampleBinary(size_t size, uint32_t seed = 7) {
  std::string s;
  s.reserve(size + 32);
  uint32_t x = seed;
  uint32_t counter = 0;
  while (s.size() < size) {
    x = x * 1664525u + 1013904223u;
    switch ((x >> 28) % 4) {
      case 0:  // a record with a counter and flags
        for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>(counter >> (8 * i)));
        s.push_back(static_cast<char>((x >> 8) & 3));
        s.append(3, '\0');
        ++counter;
        break;
      case 1:  // random bytes
        for (int i = 0; i < 8; ++i) {
          x = x * 1664525u + 1013904223u;
          s.push_back(static_cast<char>(x >> 24));
        }
        break;
      case 2:  // a repeat of something recent
        if (s.size() > 64) {
          const size_t from = s.size() - 1 - ((x >> 4) % 64);
          for (int i = 0; i < 12; ++i) s.push_back(s[from + i]);
        }
        break;
      default:  // small numbers
        for (int i = 0; i < 8; ++i) s.push_back(static_cast<char>((x >> (i * 3)) & 7));
        break;
    }
  }
  s.resize(size);
  return s;
}

// Uniformly random bytes (incompressible).
inline std::string SampleRandom(size_t size, uint32_t seed = 3) {
  std::string s(size, '\0');
  uint64_t x = seed;
  for (auto& c : s) {
    x = x * 6364136223846793005ull + 1442695040888963407ull;
    c = static_cast<char>(x >> 56);
  }
  return s;
}

}  // namespace bexa::testing
