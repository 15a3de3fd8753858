#include "control/panel_file_types.h"

namespace bexa {

std::u16string FileTypeKey(const std::u16string& file_name) {
  const size_t dot = file_name.rfind(u'.');
  return dot == std::u16string::npos ? file_name : file_name.substr(dot);
}

FileTypeTable& TheFileTypeTable() {
  static NoFileTypes source;
  static FileTypeTable table(source);
  return table;
}

}  // namespace bexa
