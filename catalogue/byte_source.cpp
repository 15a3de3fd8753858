#include "catalogue/byte_source.h"

#include <algorithm>
#include <cstring>

namespace bexa {

bool MemorySource::Read(void* data, size_t n, size_t& done) {
  done = std::min(n, bytes_.size() - pos_);
  std::memcpy(data, bytes_.data() + pos_, done);
  pos_ += done;
  return true;
}

bool FileSource::Open(std::u16string_view path) {
  if (!file_.Open(path, NS_File::modeRead | NS_File::shareDenyWrite)) return false;
  return file_.Length(length_);
}

bool FileSource::Read(void* data, size_t n, size_t& done) {
  done = 0;
  if (!file_.Read(data, n, done)) return false;
  read_ += done;
  return true;
}

}  // namespace bexa
