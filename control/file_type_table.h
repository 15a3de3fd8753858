// The file-type table: the type names and small images of the browse
// model's node kinds, then the file types looked up by extension and cached.
// This platform has no registry of file types with icons, so a file type
// never gets an icon of its own: every look-up answers the fallback name
// ("DOC File" for .doc) with the default image, and, as only look-ups that
// produced an icon are cached, nothing is cached.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bexa {

class FileTypeTable {
 public:
  struct Type {
    int image = 0;
    std::u16string name;
  };

  // base: the number of node-kind images of the small list (24 for the
  // panel's list). The default index is base - 1.
  void Attach(int base);
  // Sets the names of entries kind and kind + 1.
  void SetKindName(int kind, const std::u16string& name);
  // The name of an entry, empty beyond the table.
  std::u16string TypeName(int index) const;
  // The type of a key: a file name from its last "." on, or the whole name.
  Type LookUp(const std::u16string& key) const;
  int default_index() const { return base_ - 1; }
  int base() const { return base_; }

 private:
  int base_ = 24;
  std::vector<std::u16string> names_ = std::vector<std::u16string>(24);
};

// The key of a file name: from its last "." on, the dot included; the whole
// name when it has none.
std::u16string FileTypeKey(const std::u16string& file_name);

// The process's table.
FileTypeTable& TheFileTypeTable();

}  // namespace bexa
