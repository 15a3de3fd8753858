#include "catalogue/archive_writer.h"

#include <cstring>

#include "catalogue/archive_format.h"
#include "catalogue/records.h"
#include "platform/codepage.h"

namespace bexa {

void ArchiveWriter::WriteU16(uint16_t v) {
  WriteU8(static_cast<uint8_t>(v));
  WriteU8(static_cast<uint8_t>(v >> 8));
}

void ArchiveWriter::WriteU32(uint32_t v) {
  for (int i = 0; i < 4; ++i) WriteU8(static_cast<uint8_t>(v >> (8 * i)));
}

void ArchiveWriter::WriteU64(uint64_t v) {
  for (int i = 0; i < 8; ++i) WriteU8(static_cast<uint8_t>(v >> (8 * i)));
}

void ArchiveWriter::WriteDouble(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof(bits));
  WriteU64(bits);
}

void ArchiveWriter::WriteDateTime(const DateTime& date) {
  WriteI32(static_cast<int32_t>(date.status()));
  WriteDouble(date.ole());
}

void ArchiveWriter::WriteText(std::u16string_view text, TextForm form) {
  using namespace archive;
  if (form == TextForm::kUnicode) {
    WriteU8(kByteLengthEscape);
    WriteU16(kUnicodeMarker);
  }
  const std::string ansi = form == TextForm::kAnsi ? platform::WideToAnsi(text) : std::string();
  const uint64_t length = form == TextForm::kAnsi ? ansi.size() : text.size();
  if (length < kByteLengthEscape) {
    WriteU8(static_cast<uint8_t>(length));
  } else {
    WriteU8(kByteLengthEscape);
    if (length < kUnicodeMarker) {
      WriteU16(static_cast<uint16_t>(length));
    } else {
      WriteU16(kWordLengthEscape);
      if (length < kDwordLengthEscape) {
        WriteU32(static_cast<uint32_t>(length));
      } else {
        WriteU32(kDwordLengthEscape);
        WriteU64(length);
      }
    }
  }
  if (form == TextForm::kAnsi) {
    bytes_ += ansi;
  } else {
    for (char16_t c : text) WriteU16(c);
  }
  MaybeFlush();
}

void ArchiveWriter::WriteMapCount(uint32_t count) {
  if (count < archive::kMapCountEscape) {
    WriteU16(static_cast<uint16_t>(count));
  } else {
    WriteU16(archive::kMapCountEscape);
    WriteU32(count);
  }
}

void ArchiveWriter::WriteIndexTag(uint32_t index, bool is_class) {
  using namespace archive;
  if (index <= kMaxSmallIndex) {
    WriteU16(static_cast<uint16_t>(index | (is_class ? kClassTagBit : 0)));
  } else {
    WriteU16(kBigTag);
    WriteU32(index | (is_class ? kBigClassTagBit : 0));
  }
}

void ArchiveWriter::WriteObject(ArchiveObject* object) {
  if (object == nullptr) {
    WriteU16(archive::kNullTag);
    return;
  }
  const std::string name = object->ClassName();
  auto it = class_index_.find(name);
  if (it == class_index_.end()) {
    WriteU16(archive::kNewClassTag);
    WriteU16(object->Schema());
    WriteU16(static_cast<uint16_t>(name.size()));
    bytes_ += name;
    class_index_.emplace(name, next_index_++);
  } else {
    WriteIndexTag(it->second, true);
  }
  ++next_index_;
  object->Write(*this);
  MaybeFlush();
}

void ArchiveWriter::Flush() {
  if (sink_ && !bytes_.empty()) {
    sink_(bytes_);
    bytes_.clear();
  }
}

}  // namespace bexa
