#include "protocol/pdu_fields.h"

#include <algorithm>
#include <cstring>

#include "platform/codepage.h"
#include "protocol/pdu_format.h"

namespace bexa::protocol {

bool VersionAtLeast(std::u16string_view version, std::u16string_view gate) {
  return version.compare(gate) >= 0;
}

bool UsesWideText(std::u16string_view version) {
  return VersionAtLeast(version, kWideTextFromVersion);
}

// ---- PduWriter

PduWriter::PduWriter(PduChain& chain, size_t capacity) : chain_(chain), capacity_(capacity) {
  chain_.Clear();
  PduBuffer first;
  ok_ = first.Allocate(capacity_, kFrameHeaderSize);
  if (ok_) chain_.Append(std::move(first));
}

bool PduWriter::NextBuffer() {
  PduBuffer next;
  if (!next.Allocate(capacity_)) return ok_ = false;
  chain_.Append(std::move(next));
  return true;
}

bool PduWriter::WriteByte(uint8_t b) {
  if (!ok_) return false;
  if (chain_.Back().Full() && !NextBuffer()) return false;
  chain_.Back().AppendByte(b);
  return true;
}

bool PduWriter::WriteRaw(const uint8_t* bytes, size_t n) {
  if (!ok_) return false;
  while (n > 0) {
    if (chain_.Back().Full() && !NextBuffer()) return false;
    size_t part = std::min(n, chain_.Back().Room());
    chain_.Back().Append(bytes, part);
    bytes += part;
    n -= part;
  }
  return true;
}

bool PduWriter::WriteLength(uint32_t n) {
  uint8_t b[5];
  size_t count;
  if (n <= kOneByteLengthUpTo) {
    return WriteByte(static_cast<uint8_t>(n));
  } else if (n <= 0xFF) {
    count = 1;
  } else if (n <= 0xFFFF) {
    count = 2;
  } else if (n < kFourByteLengthFrom) {
    count = 3;
  } else {
    count = 4;
  }
  b[0] = static_cast<uint8_t>(0x80 + count);
  for (size_t i = 0; i < count; ++i) b[1 + i] = static_cast<uint8_t>(n >> (8 * (count - 1 - i)));
  return WriteRaw(b, count + 1);
}

bool PduWriter::WriteIndefiniteLength() { return WriteByte(kIndefiniteLength); }

bool PduWriter::WriteInt(uint8_t tag, int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  const uint8_t b[6] = {tag, 4, uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
  return WriteRaw(b, sizeof b);
}

bool PduWriter::WriteWide(uint8_t tag, int64_t value) {
  const uint64_t v = static_cast<uint64_t>(value);
  uint8_t b[10] = {tag, 8};
  for (int i = 0; i < 8; ++i) b[2 + i] = static_cast<uint8_t>(v >> (56 - 8 * i));
  return WriteRaw(b, sizeof b);
}

bool PduWriter::WriteText(uint8_t tag, std::u16string_view version, std::u16string_view text) {
  const bool wide = UsesWideText(version);
  // Each code unit becomes two bytes, or one byte of the code page (an
  // unmappable unit, each surrogate half included, becomes "?").
  const uint64_t length = wide ? 2 * uint64_t(text.size()) : text.size();
  if (length > kMaxBodyLength) return ok_ = false;
  if (!WriteTag(tag) || !WriteLength(static_cast<uint32_t>(length))) return false;
  if (wide) {
    uint8_t chunk[256];
    while (!text.empty()) {
      size_t n = std::min(text.size(), sizeof chunk / 2);
      for (size_t i = 0; i < n; ++i) {
        chunk[2 * i] = static_cast<uint8_t>(text[i]);
        chunk[2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
      }
      if (!WriteRaw(chunk, 2 * n)) return false;
      text.remove_prefix(n);
    }
    return true;
  }
  // Pieces short enough to stay in the converted string's inline storage.
  while (!text.empty()) {
    size_t n = std::min<size_t>(text.size(), 15);
    std::string ansi = platform::WideToAnsi(text.substr(0, n));
    if (!WriteRaw(reinterpret_cast<const uint8_t*>(ansi.data()), ansi.size())) return false;
    text.remove_prefix(n);
  }
  return true;
}

bool PduWriter::WriteBytes(uint8_t tag, const uint8_t* bytes, size_t count) {
  if (count > kMaxBodyLength) return ok_ = false;
  if (!WriteTag(tag) || !WriteLength(static_cast<uint32_t>(count))) return false;
  return count == 0 || WriteRaw(bytes, count);
}

bool PduWriter::WriteRecordStart(uint8_t tag) { return WriteTag(tag) && WriteIndefiniteLength(); }

bool PduWriter::WriteEndOfContents() {
  const uint8_t eoc[2] = {0, 0};
  return WriteRaw(eoc, 2);
}

bool PduWriter::Finish(uint64_t extra_payload_bytes) {
  if (!ok_) return false;
  // The reserved header bytes are not content yet, so the total is the body.
  const uint64_t body = chain_.TotalSize() + extra_payload_bytes;
  if (body > kMaxBodyLength) return ok_ = false;
  PduBuffer& first = chain_.Buffer(0);
  uint8_t* h = first.data();
  h[0] = kFrameKind;
  h[1] = h[2] = h[3] = 0;
  for (int i = 0; i < 4; ++i) h[4 + i] = static_cast<uint8_t>(body >> (24 - 8 * i));
  first.SetReadPos(0);
  return true;
}

// ---- PduReader

PduReader::PduReader(PduChain& chain) : chain_(chain), remaining_(chain.TotalSize()) {
  Advance();
}

void PduReader::Advance() {
  while (index_ < chain_.BufferCount() && chain_.Buffer(index_).Size() == 0) ++index_;
}

bool PduReader::ReadByte(uint8_t& b) {
  if (remaining_ == 0) return false;
  PduBuffer& buf = chain_.Buffer(index_);
  b = buf.data()[buf.read_pos()];
  buf.Consume(1);
  --remaining_;
  Advance();
  return true;
}

bool PduReader::ReadRaw(uint8_t* dest, size_t n) {
  if (n > remaining_) return false;
  while (n > 0) {
    PduBuffer& buf = chain_.Buffer(index_);
    size_t part = std::min(n, buf.Size());
    if (dest) {
      std::memcpy(dest, buf.data() + buf.read_pos(), part);
      dest += part;
    }
    buf.Consume(part);
    remaining_ -= part;
    n -= part;
    Advance();
  }
  return true;
}

bool PduReader::Skip(size_t n) { return ReadRaw(nullptr, n); }

bool PduReader::ExpectTag(uint8_t tag) {
  uint8_t t;
  return ReadTag(t) && t == tag;
}

bool PduReader::ReadLength(uint32_t& length, bool& indefinite) {
  uint8_t first;
  if (!ReadByte(first)) return false;
  indefinite = false;
  if (first < kIndefiniteLength) {
    length = first;
    return true;
  }
  if (first == kIndefiniteLength) {
    indefinite = true;
    length = 0;
    return true;
  }
  if (first > kLongLengthLast) return false;
  uint8_t b[4];
  const size_t count = first - kIndefiniteLength;
  if (!ReadRaw(b, count)) return false;
  length = 0;
  for (size_t i = 0; i < count; ++i) length = (length << 8) | b[i];
  return true;
}

bool PduReader::ReadInt(uint8_t tag, int32_t& value) {
  uint32_t length;
  bool indefinite;
  uint8_t b[4];
  if (!ExpectTag(tag) || !ReadLength(length, indefinite)) return false;
  if (indefinite || length != kIntegerLength || !ReadRaw(b, 4)) return false;
  value = static_cast<int32_t>(uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 |
                               b[3]);
  return true;
}

bool PduReader::ReadWide(uint8_t tag, int64_t& value) {
  uint32_t length;
  bool indefinite;
  uint8_t b[8];
  if (!ExpectTag(tag) || !ReadLength(length, indefinite) || indefinite) return false;
  if (length != kIntegerLength && length != kWideLength) return false;
  if (!ReadRaw(b, length)) return false;
  uint64_t v = 0;
  for (size_t i = 0; i < length; ++i) v = (v << 8) | b[i];
  value = static_cast<int64_t>(v);
  return true;
}

bool PduReader::ReadValueLength(uint8_t tag, uint32_t& length, bool& skip_value) {
  bool indefinite;
  if (!ExpectTag(tag) || !ReadLength(length, indefinite) || indefinite) return false;
  skip_value = static_cast<int32_t>(length) < 0;
  if (skip_value) return true;
  // Checked before anything is allocated for the value.
  return length <= remaining_;
}

bool PduReader::ReadText(uint8_t tag, std::u16string_view version, bool trim,
                         std::u16string& text) {
  text.clear();
  uint32_t length;
  bool skip;
  if (!ReadValueLength(tag, length, skip)) return false;
  if (skip) return true;
  const bool wide = UsesWideText(version);
  text.reserve(wide ? length / 2 : length);
  bool ended = false;  // a zero character ends the text; its bytes are still consumed
  uint8_t chunk[256];
  uint8_t carry = 0;
  bool has_carry = false;
  size_t left = length;
  while (left > 0) {
    size_t n = std::min(left, sizeof chunk);
    if (!ReadRaw(chunk, n)) return false;
    left -= n;
    for (size_t i = 0; i < n && !ended; ++i) {
      char16_t c;
      if (wide) {
        if (!has_carry) {
          carry = chunk[i];
          has_carry = true;
          continue;
        }
        c = static_cast<char16_t>(carry | chunk[i] << 8);
        has_carry = false;
      } else {
        c = platform::AnsiCharToWide(chunk[i]);
      }
      if (c == 0) {
        ended = true;
        break;
      }
      text.push_back(c);
    }
  }
  if (trim) {
    size_t end = text.size();
    while (end > 0) {
      char16_t c = text[end - 1];
      if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\v' && c != u'\f' && c != u'\r') break;
      --end;
    }
    text.resize(end);
  }
  return true;
}

bool PduReader::ReadBytes(uint8_t tag, std::vector<uint8_t>& bytes) {
  bytes.clear();
  uint32_t length;
  bool skip;
  if (!ReadValueLength(tag, length, skip)) return false;
  if (skip) return true;
  bytes.resize(length);
  return ReadRaw(bytes.data(), length);
}

bool PduReader::ReadRecordStart(uint8_t tag) {
  uint32_t length;
  bool indefinite;
  return ExpectTag(tag) && ReadLength(length, indefinite);
}

bool PduReader::ReadEndOfContents() {
  uint8_t b[2];
  return ReadRaw(b, 2) && b[0] == 0 && b[1] == 0;
}

}  // namespace bexa::protocol
