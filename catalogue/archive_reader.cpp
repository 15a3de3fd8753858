#include "catalogue/archive_reader.h"

#include <cstring>

#include "catalogue/records.h"
#include "platform/codepage.h"

namespace bexa {
namespace {

[[noreturn]] void FormatError() { throw ArchiveError{ArchiveError::kFormat}; }

}  // namespace

void ArchiveReader::Need(size_t n) {
  if (end_ - pos_ >= n) return;
  std::memmove(buffer_, buffer_ + pos_, end_ - pos_);
  end_ -= pos_;
  pos_ = 0;
  while (end_ < n) {
    size_t done = 0;
    if (!source_.Read(buffer_ + end_, sizeof(buffer_) - end_, done))
      throw ArchiveError{ArchiveError::kFile};
    if (done == 0) FormatError();
    end_ += done;
  }
}

void ArchiveReader::ReadBytes(void* out, size_t n) {
  auto* dst = static_cast<unsigned char*>(out);
  while (n > 0) {
    if (pos_ == end_) Need(1);
    const size_t take = std::min(n, end_ - pos_);
    std::memcpy(dst, buffer_ + pos_, take);
    pos_ += take;
    dst += take;
    n -= take;
  }
}

uint8_t ArchiveReader::ReadU8() {
  Need(1);
  return buffer_[pos_++];
}

uint16_t ArchiveReader::ReadU16() {
  Need(2);
  const uint16_t v = static_cast<uint16_t>(buffer_[pos_] | (buffer_[pos_ + 1] << 8));
  pos_ += 2;
  return v;
}

uint32_t ArchiveReader::ReadU32() {
  Need(4);
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | buffer_[pos_ + i];
  pos_ += 4;
  return v;
}

uint64_t ArchiveReader::ReadU64() {
  Need(8);
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | buffer_[pos_ + i];
  pos_ += 8;
  return v;
}

double ArchiveReader::ReadDouble() {
  const uint64_t bits = ReadU64();
  double d;
  std::memcpy(&d, &bits, sizeof(d));
  return d;
}

DateTime ArchiveReader::ReadDateTime() {
  const int32_t status = ReadI32();
  const double ole = ReadDouble();
  return DateTime::FromOle(ole, static_cast<DateTime::Status>(status));
}

void ArchiveReader::CheckCount(uint64_t count, uint64_t item_bytes) {
  if (item_bytes != 0 && count > Remaining() / item_bytes) FormatError();
}

std::u16string ArchiveReader::ReadText() {
  using namespace archive;
  bool wide = false;
  uint64_t length = ReadU8();
  if (length == kByteLengthEscape) {
    uint16_t word = ReadU16();
    if (word == kUnicodeMarker) {
      wide = true;
      length = ReadU8();
      if (length == kByteLengthEscape) word = ReadU16();
    }
    if (length == kByteLengthEscape) {
      length = word;
      if (word == kWordLengthEscape) {
        length = ReadU32();
        if (length == kDwordLengthEscape) {
          length = ReadU64();
          if (length > kMaxTextLength) FormatError();
        }
      }
    }
  }
  CheckCount(length, wide ? 2 : 1);
  std::u16string text(static_cast<size_t>(length), u'\0');
  if (wide) {
    for (char16_t& c : text) c = ReadU16();
    return text;
  }
  size_t i = 0;
  while (i < text.size()) {
    if (pos_ == end_) Need(1);
    const size_t take = std::min(text.size() - i, end_ - pos_);
    for (size_t k = 0; k < take; ++k) {
      const unsigned char b = buffer_[pos_ + k];
      text[i + k] = b < 0x80 ? char16_t{b} : platform::AnsiCharToWide(b);
    }
    pos_ += take;
    i += take;
  }
  return text;
}

uint32_t ArchiveReader::ReadMapCount() {
  const uint16_t count = ReadU16();
  return count == archive::kMapCountEscape ? ReadU32() : count;
}

std::unique_ptr<ArchiveObject> ArchiveReader::ReadObject() {
  using namespace archive;
  const uint16_t tag = ReadU16();
  uint32_t index;
  bool is_class;
  if (tag == kNullTag) return nullptr;
  if (tag == kNewClassTag) {
    const uint16_t schema = ReadU16();
    const uint16_t name_length = ReadU16();
    CheckCount(name_length, 1);
    std::string name(name_length, '\0');
    ReadBytes(name.data(), name.size());
    const RecordClass* record_class = FindRecordClass(name);
    if (record_class == nullptr || record_class->schema != schema) FormatError();
    table_.push_back(Entry{record_class, nullptr});
    index = static_cast<uint32_t>(table_.size() - 1);
    is_class = true;
  } else if (tag == kBigTag) {
    const uint32_t big = ReadU32();
    is_class = (big & kBigClassTagBit) != 0;
    index = big & ~kBigClassTagBit;
  } else {
    is_class = (tag & kClassTagBit) != 0;
    index = tag & ~kClassTagBit;
  }
  if (index == 0 || index >= table_.size()) FormatError();
  const Entry& entry = table_[index];
  if (!is_class) {
    if (entry.object == nullptr) FormatError();
    return entry.object->Clone();
  }
  if (entry.class_info == nullptr) FormatError();
  std::unique_ptr<ArchiveObject> object =
      static_cast<const RecordClass*>(entry.class_info)->create();
  table_.push_back(Entry{nullptr, object.get()});
  object->Read(*this);
  return object;
}

}  // namespace bexa
