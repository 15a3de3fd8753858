#include "restore/selection_entry.h"

#include "util/text.h"

namespace bexa {

std::u16string SelectionEntry::Text() const { return Format(u"%s:%I64d:%d", key, size, flag); }

std::optional<SelectionEntry> SplitSelectionEntry(std::u16string_view text) {
  const size_t flag_colon = text.rfind(u':');
  if (flag_colon == std::u16string_view::npos || flag_colon == 0) return std::nullopt;
  const size_t size_colon = text.rfind(u':', flag_colon - 1);
  if (size_colon == std::u16string_view::npos) return std::nullopt;
  SelectionEntry e;
  e.key = std::u16string(text.substr(0, size_colon));
  const std::u16string_view size = text.substr(size_colon + 1, flag_colon - size_colon - 1);
  const std::u16string_view flag = text.substr(flag_colon + 1);
  bool negative = !size.empty() && size[0] == u'-';
  int64_t v = 0;
  for (size_t i = negative ? 1 : 0; i < size.size(); ++i) {
    if (size[i] < u'0' || size[i] > u'9') return std::nullopt;
    v = v * 10 + (size[i] - u'0');
  }
  e.size = negative ? -v : v;
  e.flag = (!flag.empty() && flag[0] >= u'0' && flag[0] <= u'9') ? flag[0] - u'0' : 0;
  return e;
}

}  // namespace bexa
