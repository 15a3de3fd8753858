# Writes OUT, a C++ file holding every file of DIR as a byte array.
file(GLOB files ${DIR}/*)
list(SORT files)
set(arrays "")
set(table "")
set(i 0)
foreach(f ${files})
  get_filename_component(name ${f} NAME)
  get_filename_component(ext ${f} LAST_EXT)
  set(type "application/octet-stream")
  if(ext STREQUAL ".html")
    set(type "text/html; charset=utf-8")
  elseif(ext STREQUAL ".css")
    set(type "text/css; charset=utf-8")
  elseif(ext STREQUAL ".js")
    set(type "text/javascript; charset=utf-8")
  elseif(ext STREQUAL ".svg")
    set(type "image/svg+xml")
  endif()
  file(READ ${f} hex HEX)
  string(LENGTH "${hex}" len)
  math(EXPR size "${len} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND arrays "const unsigned char kAsset${i}[] = {${bytes}0};\n")
  string(APPEND table "    {\"/${name}\", \"${type}\", kAsset${i}, ${size}},\n")
  math(EXPR i "${i} + 1")
endforeach()
file(WRITE ${OUT} "// Generated from web/assets by embed_assets.cmake.
#include \"web/page_assets.h\"

namespace bexa::web {
namespace {
${arrays}
const PageAsset kAssets[] = {
${table}};
}  // namespace

const PageAsset* FindPageAsset(std::string_view path) {
  for (const PageAsset& a : kAssets)
    if (path == a.path) return &a;
  return nullptr;
}

}  // namespace bexa::web
")
