// Writes the object archive of catalogue files (archive_format.h), for tools,
// tests and the reference server; the restore client itself never writes
// catalogues.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "util/datetime.h"

namespace bexa {

class ArchiveObject;

class ArchiveWriter {
 public:
  // How texts are stored: one byte per character in the ANSI code page
  // (characters without a code become "?"), or UTF-16 after the marker.
  enum class TextForm { kAnsi, kUnicode };

  // Keeps all bytes in memory (see bytes()).
  explicit ArchiveWriter(TextForm form = TextForm::kUnicode) : form_(form) {}
  // Hands the bytes to `sink` in pieces as they accumulate, and the rest on
  // Flush().
  ArchiveWriter(TextForm form, std::function<void(std::string_view)> sink)
      : form_(form), sink_(std::move(sink)) {}

  void WriteU8(uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
  void WriteU16(uint16_t v);
  void WriteU32(uint32_t v);
  void WriteI32(int32_t v) { WriteU32(static_cast<uint32_t>(v)); }
  void WriteU64(uint64_t v);
  void WriteI64(int64_t v) { WriteU64(static_cast<uint64_t>(v)); }
  void WriteDouble(double v);
  void WriteDateTime(const DateTime& date);
  void WriteText(std::u16string_view text) { WriteText(text, form_); }
  void WriteText(std::u16string_view text, TextForm form);
  void WriteMapCount(uint32_t count);
  // Writes the object with its tag (the class on its first use); null writes
  // the "no object" tag. Every object written gets a new index: references
  // to earlier objects are not produced.
  void WriteObject(ArchiveObject* object);

  // The bytes not yet handed to a sink.
  const std::string& bytes() const { return bytes_; }
  void Flush();

 private:
  void WriteIndexTag(uint32_t index, bool is_class);
  void MaybeFlush() {
    if (sink_ && bytes_.size() >= 1 << 16) Flush();
  }

  TextForm form_;
  std::function<void(std::string_view)> sink_;
  std::string bytes_;
  std::map<std::string, uint32_t> class_index_;
  uint32_t next_index_ = 1;
};

}  // namespace bexa
