// File types of the shared-mime-info database for the file-type table.
#pragma once

#include "catalogue/file_type_table.h"
#include "platform/file_types.h"

namespace bexa {

class MimeFileTypeSource : public FileTypeSource {
 public:
  explicit MimeFileTypeSource(const platform::MimeDatabase& db) : db_(db) {}
  bool TypeClass(std::u16string_view key, std::u16string& type_class) override {
    return db_.TypeOf(key, type_class);
  }
  bool ClassDescription(std::u16string_view type_class, std::u16string& description) override {
    return db_.CommentOf(type_class, description);
  }
  int ClassIcons(std::u16string_view type_class, std::string& large, std::string& small) override {
    db_.IconsOf(type_class, large, small);
    return (large.empty() ? 0 : 1) + (small.empty() ? 0 : 1);
  }

 private:
  const platform::MimeDatabase& db_;
};

}  // namespace bexa
