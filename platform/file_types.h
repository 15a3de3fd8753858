// The system's registered file types, answered from a shared-mime-info
// database folder (globs2, the per-type XML files, generic-icons) and an
// icon theme folder, in place of the registry's file-type keys.
#pragma once

#include <string>
#include <string_view>

namespace bexa::platform {

class MimeDatabase {
 public:
  // `mime_folder`: the database (usually the system's shared mime folder);
  // `icon_folder`: an icon theme with NNxNN/mimetypes/NAME.png (may be empty:
  // no icons).
  MimeDatabase(std::string mime_folder, std::string icon_folder);

  // The type registered for a file-name key (".doc", or a whole name such as
  // "README"): the pattern "*" + key or the key itself in globs2, letters
  // compared without case, the highest weight winning. False when none.
  bool TypeOf(std::u16string_view key, std::u16string& mime_type) const;
  // The type's comment (the one without a language); false when the type has
  // none or it is longer than `max_chars`.
  bool CommentOf(std::u16string_view mime_type, std::u16string& comment,
                 size_t max_chars = 129) const;
  // Host paths of the type's 32- and 16-pixel icons in the theme (its own
  // icon name, else its generic icon); empty when not there.
  void IconsOf(std::u16string_view mime_type, std::string& large, std::string& small) const;

 private:
  std::string mime_folder_;
  std::string icon_folder_;
};

}  // namespace bexa::platform
