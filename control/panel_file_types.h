// The process's file-type table as the browse model uses it: the key of a
// file name, and the table with the panel's image lists.
#pragma once

#include <string>

#include "catalogue/file_type_table.h"

namespace bexa {

// The key of a file name: from its last "." on, the dot included; the whole
// name when it has none.
std::u16string FileTypeKey(const std::u16string& file_name);

// The panel's small images: one per node kind and state (24), then one per
// cached file type. The page draws them by index, so the list only counts.
class CountingImageList : public ImageList {
 public:
  explicit CountingImageList(int count) : count_(count) {}
  int Count() const override { return count_; }
  int Add(const std::string&) override { return count_++; }

 private:
  int count_;
};

// A source that knows no file types: every file gets its fallback name
// ("DOC File") and the default image.
class NoFileTypes : public FileTypeSource {
 public:
  bool TypeClass(std::u16string_view, std::u16string&) override { return false; }
  bool ClassDescription(std::u16string_view, std::u16string&) override { return false; }
  int ClassIcons(std::u16string_view, std::string&, std::string&) override { return 0; }
};

// The process's table, held for the life of the process.
FileTypeTable& TheFileTypeTable();

}  // namespace bexa
