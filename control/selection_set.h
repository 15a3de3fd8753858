// The user's selection: a sorted set of entries "%s:%I64d:%d" (key, size,
// flag) searched by bisection, with the count and byte total of the entries
// that have a valid size. A key is an item path: a folder path, or a file
// path, ":" and the version's backup date (14 digits). Folders have size -1.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "restore/selection_entry.h"
#include "util/text.h"

namespace bexa {

class SelectionSet {
 public:
  // Inserts the entry at its place. An entry of the same key is replaced
  // only when flag is non-zero and size valid; otherwise it stays.
  void Add(const std::u16string& key, int64_t size, int flag);
  // Removes the entry of exactly this key.
  void Remove(const std::u16string& key);
  // Add and Remove of many entries at once, in one merge: a whole volume
  // is selected or deselected without moving the set once per file.
  void AddAll(std::vector<SelectionEntry> entries);
  void RemoveAll(std::vector<std::u16string> keys);
  // An entry's key equals the key or begins with the key and ":".
  bool Contains(std::u16string_view key) const;
  // Exactly this key.
  bool ContainsKey(std::u16string_view key) const;
  // Some entry's key and the path agree over the shorter of their lengths.
  bool ContainsBelow(std::u16string_view path) const;
  void Clear();

  // Entries with a valid size, and the sum of their sizes.
  int64_t Count() const { return count_; }
  int64_t TotalBytes() const { return total_bytes_; }
  // All entries, folders included.
  size_t EntryCount() const { return entries_.size(); }

  const std::vector<SelectionEntry>& Entries() const { return entries_; }
  // Keys of the entries whose key, cut at its last ":", is the path.
  std::vector<std::u16string> VersionsOf(std::u16string_view path) const;

 private:
  std::vector<SelectionEntry>::const_iterator LowerBound(std::u16string_view key) const;

  std::vector<SelectionEntry> entries_;  // sorted by key, unique keys
  int64_t count_ = 0;
  int64_t total_bytes_ = 0;
};

// The status line: control 1051 and 1052 texts from the count and bytes.
struct SelectionStatusTexts {
  std::u16string files, kilobytes;
};
SelectionStatusTexts SelectionStatus(int64_t count, int64_t bytes, const TextById& text,
                                     std::u16string_view thousands);

}  // namespace bexa
