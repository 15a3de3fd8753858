// The table of type names and images of the browse items: the node kinds
// first, then the file types looked up on demand and cached when they gave
// an icon.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bexa {

// An image list of the panel (not owned by the table).
class ImageList {
 public:
  virtual ~ImageList() = default;
  virtual int Count() const = 0;
  // Appends the icon (a host path of an image); its index, or -1.
  virtual int Add(const std::string& icon) = 0;
};

// The system's registered file types.
class FileTypeSource {
 public:
  virtual ~FileTypeSource() = default;
  // The type (class) of a file-name key; false when there is none.
  virtual bool TypeClass(std::u16string_view key, std::u16string& type_class) = 0;
  // The class's description; false when it cannot be read.
  virtual bool ClassDescription(std::u16string_view type_class, std::u16string& description) = 0;
  // Extracts the class's icons; returns how many were extracted (0 to 2),
  // leaving an icon empty when it was not.
  virtual int ClassIcons(std::u16string_view type_class, std::string& large, std::string& small) = 0;
};

class FileTypeTable {
 public:
  static constexpr const char16_t* kDefaultTypeName = u"File";

  explicit FileTypeTable(FileTypeSource& source) : source_(source) {}

  // base = the small list's image count; default index = base - 1.
  void Attach(ImageList* small_list, ImageList* large_list);
  // Sets the names of entries kind and kind + 1.
  void SetKindName(int kind, const std::u16string& text);
  std::u16string TypeName(int index) const;
  // The small image index and type name of a file-name key (".doc", or a
  // whole name without a dot).
  int LookUp(std::u16string_view key, std::u16string& type_name);
  // The large image index for a path's type (0 = the default icon).
  int LargeIconIndex(std::u16string_view path);

  int base() const { return base_; }
  int default_index() const { return base_ - 1; }

 private:
  FileTypeSource& source_;
  ImageList* small_ = nullptr;
  ImageList* large_ = nullptr;
  int base_ = 0;
  std::vector<std::u16string> keys_;
  std::vector<std::u16string> names_;
};

}  // namespace bexa
