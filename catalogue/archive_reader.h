// Reads the object archive of catalogue files (archive_format.h) through a
// 4,096-byte buffer. Every read either delivers the item or throws
// ArchiveError; no read allocates more than the source still holds.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/archive_format.h"
#include "catalogue/byte_source.h"
#include "util/datetime.h"

namespace bexa {

class ArchiveObject;

struct ArchiveError {
  enum Kind {
    kFormat,  // the bytes do not form the item (also: the file ends inside it)
    kFile,    // reading the file failed
  };
  Kind kind;
};

class ArchiveReader {
 public:
  // The source must outlive the reader.
  explicit ArchiveReader(ByteSource& source) : source_(source) {}
  ArchiveReader(const ArchiveReader&) = delete;
  ArchiveReader& operator=(const ArchiveReader&) = delete;

  uint8_t ReadU8();
  uint16_t ReadU16();
  uint32_t ReadU32();
  int32_t ReadI32() { return static_cast<int32_t>(ReadU32()); }
  uint64_t ReadU64();
  int64_t ReadI64() { return static_cast<int64_t>(ReadU64()); }
  double ReadDouble();
  DateTime ReadDateTime();
  // One-byte texts are read in the ANSI code page.
  std::u16string ReadText();
  uint32_t ReadMapCount();

  // Reads a tagged object: a new record of a registered class with matching
  // schema (null for the "no object" tag), or a copy of an earlier object.
  // Objects returned must stay alive while the reader is used, because later
  // references are resolved against them.
  std::unique_ptr<ArchiveObject> ReadObject();

  // Throws kFormat unless `count` items of `item_bytes` each can still follow.
  void CheckCount(uint64_t count, uint64_t item_bytes);
  // Bytes still to come (buffered and not yet read from the source).
  uint64_t Remaining() const { return (end_ - pos_) + source_.Remaining(); }

 private:
  // Makes `n` (at most the buffer size) bytes available at pos_.
  void Need(size_t n);
  void ReadBytes(void* out, size_t n);

  ByteSource& source_;
  unsigned char buffer_[archive::kBufferSize];
  size_t pos_ = 0;
  size_t end_ = 0;

  // Index i (from 1) of the load table: a class (its registry entry) or an
  // object (not owned).
  struct Entry {
    const void* class_info;
    const ArchiveObject* object;
  };
  std::vector<Entry> table_{Entry{nullptr, nullptr}};
};

}  // namespace bexa
