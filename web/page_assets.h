// The page's static files (HTML, CSS, JavaScript), built into the library
// from web/assets so that the program serves exactly what it was built with.
#pragma once

#include <cstddef>
#include <string_view>

namespace bexa::web {

struct PageAsset {
  const char* path;          // "/index.html"
  const char* content_type;
  const unsigned char* data;
  size_t size;
};

// The asset served at a path, or null.
const PageAsset* FindPageAsset(std::string_view path);

}  // namespace bexa::web
