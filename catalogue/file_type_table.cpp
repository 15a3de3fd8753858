#include "catalogue/file_type_table.h"

#include <algorithm>

#include "util/text.h"

namespace bexa {

void FileTypeTable::Attach(ImageList* small_list, ImageList* large_list) {
  small_ = small_list;
  large_ = large_list;
  base_ = small_ ? small_->Count() : 0;
  keys_.assign(static_cast<size_t>(base_), std::u16string());
  names_.assign(static_cast<size_t>(base_), std::u16string());
}

void FileTypeTable::SetKindName(int kind, const std::u16string& text) {
  for (int i : {kind, kind + 1}) {
    if (i >= 0 && static_cast<size_t>(i) < names_.size()) names_[static_cast<size_t>(i)] = text;
  }
}

std::u16string FileTypeTable::TypeName(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= names_.size()) return {};
  return names_[static_cast<size_t>(index)];
}

int FileTypeTable::LookUp(std::u16string_view key, std::u16string& type_name) {
  type_name.clear();
  if (key.empty()) {
    type_name = kDefaultTypeName;
    return default_index();
  }
  for (size_t i = static_cast<size_t>(std::max(base_, 0)); i < keys_.size(); ++i) {
    if (keys_[i] == key) {
      type_name = names_[i];
      return static_cast<int>(i);
    }
  }
  const size_t dot = key.find(u'.');
  const std::u16string fallback =
      ToUpper(dot == std::u16string_view::npos ? std::u16string_view() : key.substr(dot + 1)) + u" " +
      kDefaultTypeName;
  std::u16string type_class, description;
  if (!source_.TypeClass(key, type_class) || !source_.ClassDescription(type_class, description)) {
    type_name = fallback;
    return default_index();
  }
  type_name = description.empty() ? fallback : description;
  std::string large, small;
  if (source_.ClassIcons(type_class, large, small) <= 1) return default_index();
  if (!large.empty() && large_) large_->Add(large);
  if (small.empty() || !small_) return default_index();
  const int j = small_->Add(small);
  if (j < 0) return default_index();
  // Keys and names grow with the small list, so entry j belongs to image j.
  if (keys_.size() < static_cast<size_t>(j) + 1) {
    keys_.resize(static_cast<size_t>(j) + 1);
    names_.resize(static_cast<size_t>(j) + 1);
  }
  keys_[static_cast<size_t>(j)] = std::u16string(key);
  names_[static_cast<size_t>(j)] = type_name;
  return j;
}

int FileTypeTable::LargeIconIndex(std::u16string_view path) {
  const size_t dot = path.rfind(u'.');
  const std::u16string key =
      u"." + std::u16string(dot == std::u16string_view::npos ? path : path.substr(dot + 1));
  for (size_t i = static_cast<size_t>(std::max(base_, 0)); i < keys_.size(); ++i) {
    if (keys_[i] == key) return static_cast<int>(i) - base_ + 1;
  }
  std::u16string name;
  return LookUp(key, name) - base_ + 1;
}

}  // namespace bexa
