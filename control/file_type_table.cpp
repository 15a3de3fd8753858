#include "control/file_type_table.h"

#include "util/text.h"

namespace bexa {

void FileTypeTable::Attach(int base) {
  base_ = base < 1 ? 1 : base;
  names_.assign(static_cast<size_t>(base_), std::u16string());
}

void FileTypeTable::SetKindName(int kind, const std::u16string& name) {
  for (int i : {kind, kind + 1})
    if (i >= 0 && i < static_cast<int>(names_.size())) names_[static_cast<size_t>(i)] = name;
}

std::u16string FileTypeTable::TypeName(int index) const {
  if (index < 0 || index >= static_cast<int>(names_.size())) return {};
  return names_[static_cast<size_t>(index)];
}

FileTypeTable::Type FileTypeTable::LookUp(const std::u16string& key) const {
  if (key.empty()) return {default_index(), u"File"};
  const size_t dot = key.find(u'.');
  const std::u16string after = dot == std::u16string::npos ? u"" : key.substr(dot + 1);
  return {default_index(), ToUpper(after) + u" File"};
}

std::u16string FileTypeKey(const std::u16string& file_name) {
  const size_t dot = file_name.rfind(u'.');
  return dot == std::u16string::npos ? file_name : file_name.substr(dot);
}

FileTypeTable& TheFileTypeTable() {
  static FileTypeTable table;
  return table;
}

}  // namespace bexa
