// Where an archive reader takes its bytes from: a file or memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "util/file_system.h"

namespace bexa {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `n` bytes; `done` is 0 at the end. False when reading fails.
  virtual bool Read(void* data, size_t n, size_t& done) = 0;
  // The bytes not yet read, as far as known (a file that changes while it is
  // read may end sooner).
  virtual uint64_t Remaining() const = 0;
};

// Bytes held by the caller, who keeps them alive while the source is used.
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  bool Read(void* data, size_t n, size_t& done) override;
  uint64_t Remaining() const override { return bytes_.size() - pos_; }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

// A file opened read-only by its Windows path.
class FileSource : public ByteSource {
 public:
  // False when the file cannot be opened or its length cannot be read.
  bool Open(std::u16string_view path);
  bool Read(void* data, size_t n, size_t& done) override;
  uint64_t Remaining() const override { return length_ > read_ ? length_ - read_ : 0; }

 private:
  NS_File file_;
  uint64_t length_ = 0;
  uint64_t read_ = 0;
};

}  // namespace bexa
