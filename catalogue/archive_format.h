// The object archive layout of catalogue files (little-endian).
//
//   text       1-byte length L < 0xFF, else 2-byte W: 0xFFFE marks UTF-16 (the
//              length starts again with one byte), W < 0xFFFF is the length,
//              else 4-byte D < 0xFFFFFFFF, else an 8-byte length up to
//              0x7FFFFFFF; then the characters (1 byte ANSI or 2 bytes UTF-16).
//   map count  2 bytes, 0xFFFF: a 4-byte count follows.
//   date-time  4-byte status (0 valid, 1 invalid, 2 null), 8-byte OLE date.
//   object     2-byte tag (0x7FFF: a 4-byte tag follows, bit 31 for bit 15):
//              0 none; 0xFFFF new class (2-byte schema, 2-byte name length,
//              name) and its object; bit 15 set: object of the class with that
//              index; otherwise a reference to an earlier object. Indexes
//              start at 1 and count classes and objects in order of appearance.
#pragma once

#include <cstdint>

namespace bexa::archive {

constexpr uint16_t kNullTag = 0;
constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint16_t kBigTag = 0x7FFF;
constexpr uint16_t kClassTagBit = 0x8000;
constexpr uint32_t kBigClassTagBit = 0x80000000u;
constexpr uint32_t kMaxSmallIndex = 0x7FFE;  // larger indexes need the 4-byte tag

constexpr uint8_t kByteLengthEscape = 0xFF;
constexpr uint16_t kUnicodeMarker = 0xFFFE;
constexpr uint16_t kWordLengthEscape = 0xFFFF;
constexpr uint32_t kDwordLengthEscape = 0xFFFFFFFFu;
constexpr uint64_t kMaxTextLength = 0x7FFFFFFF;

constexpr uint16_t kMapCountEscape = 0xFFFF;

constexpr size_t kBufferSize = 4096;

}  // namespace bexa::archive
