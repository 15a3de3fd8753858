// Primitive writers and readers of the tagged field encoding, and the text
// encoding chosen by the version text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/pdu_buffer.h"

namespace bexa::protocol {

// True when texts travel as UTF-16LE under this version text: a plain code
// unit comparison with "7.0", so "10.0" and "6.01" are below it.
bool UsesWideText(std::u16string_view version);
// True when version >= gate by the same plain comparison.
bool VersionAtLeast(std::u16string_view version, std::u16string_view gate);

// Writes a frame into a chain of buffers of one capacity. The first buffer
// keeps 8 bytes free for the header; a value that does not fit in the current
// buffer continues in a new one. Every writer returns false as soon as a
// buffer cannot be had; the chain is then unusable.
class PduWriter {
 public:
  // REQUIRES: capacity > kFrameHeaderSize. Clears `chain`.
  PduWriter(PduChain& chain, size_t capacity);

  bool ok() const { return ok_; }

  bool WriteByte(uint8_t b);
  bool WriteRaw(const uint8_t* bytes, size_t n);
  bool WriteTag(uint8_t tag) { return WriteByte(tag); }
  bool WriteLength(uint32_t n);
  bool WriteIndefiniteLength();
  bool WriteInt(uint8_t tag, int32_t value);
  bool WriteWide(uint8_t tag, int64_t value);
  bool WriteText(uint8_t tag, std::u16string_view version, std::u16string_view text);
  // A count of 0 writes tag and length only.
  bool WriteBytes(uint8_t tag, const uint8_t* bytes, size_t count);
  bool WriteRecordStart(uint8_t tag);
  bool WriteEndOfContents();

  // Writes the header (kind 2, body length = bytes written + extra) into the
  // reserved space. False when the length does not fit the header.
  bool Finish(uint64_t extra_payload_bytes);

 private:
  bool NextBuffer();

  PduChain& chain_;
  size_t capacity_;
  bool ok_ = true;
};

// Reads fields across the buffers of a body in order. Every reader returns
// false on a decode error; a false result leaves the position unspecified.
class PduReader {
 public:
  explicit PduReader(PduChain& chain);

  size_t Remaining() const { return remaining_; }
  // Index of the buffer holding the next byte (for the File data payload).
  size_t BufferIndex() const { return index_; }

  bool ReadByte(uint8_t& b);
  bool ReadRaw(uint8_t* dest, size_t n);
  bool Skip(size_t n);
  bool ReadTag(uint8_t& tag) { return ReadByte(tag); }
  bool ExpectTag(uint8_t tag);
  // Any of the length forms; `indefinite` is set for 0x80.
  bool ReadLength(uint32_t& length, bool& indefinite);
  bool ReadInt(uint8_t tag, int32_t& value);
  // 8 bytes, or 4 bytes read as an unsigned number.
  bool ReadWide(uint8_t tag, int64_t& value);
  // The text ends at its first zero character. `trim` removes trailing
  // white space.
  bool ReadText(uint8_t tag, std::u16string_view version, bool trim, std::u16string& text);
  bool ReadBytes(uint8_t tag, std::vector<uint8_t>& bytes);
  // Tag and length (its value is not used); the fields and end of contents follow.
  bool ReadRecordStart(uint8_t tag);
  bool ReadEndOfContents();

 private:
  // Length of a text or bytes field; `skip_value` is set for a length that
  // reads negative as a signed 32-bit number (empty value, nothing consumed).
  bool ReadValueLength(uint8_t tag, uint32_t& length, bool& skip_value);
  void Advance();

  PduChain& chain_;
  size_t index_ = 0;
  size_t remaining_ = 0;
};

}  // namespace bexa::protocol
