// One entry of the user's selection as the restore reads it: a key (an item
// path, for a file version followed by ":" and its backup date), a size
// (-1 for a folder) and a flag, written "%s:%I64d:%d".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bexa {

struct SelectionEntry {
  std::u16string key;
  int64_t size = -1;
  int flag = 0;

  // "%s:%I64d:%d"
  std::u16string Text() const;
  bool IsFolder() const { return size == -1; }
};

// Splits an entry text: the trailing flag, then the size after the last ":".
std::optional<SelectionEntry> SplitSelectionEntry(std::u16string_view text);

}  // namespace bexa
