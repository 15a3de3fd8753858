// The frame and field encoding shared by the encoder and the decoder.
//
// Frame: 8-byte header, then the body.
//   offset 0, 1 byte : frame kind, always kFrameKind
//   offset 1, 3 bytes: reserved, sent as 0, ignored on receipt
//   offset 4, 4 bytes: body length, big-endian; a receiver accepts
//                      kMinBodyLength..kMaxBodyLength
// Body: type byte, kIndefiniteLength, the type's fields, kEndOfContents
// (two zero bytes); a File data body continues with its raw payload.
// Field: tag byte, length (1 to 5 bytes), value.
//   length n < 0x80          : one byte n
//   n 0x80..0xFF             : 0x81 n
//   n 0x100..0xFFFF          : 0x82 n(2)
//   n 0x10000..0xFFFFA5      : 0x83 n(3)
//   n >= kFourByteLengthFrom : 0x84 n(4)
//   0x80 alone: indefinite (constructed values, closed by two zero bytes)
//   0x85..0xFF: invalid
// All multi-byte numbers are big-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bexa::protocol {

constexpr size_t kFrameHeaderSize = 8;
constexpr uint8_t kFrameKind = 2;
constexpr uint32_t kMinBodyLength = 1;
constexpr uint32_t kMaxBodyLength = 0x7FFFFFFF;

constexpr uint8_t kIndefiniteLength = 0x80;
constexpr uint8_t kLongLengthFirst = 0x81;  // 0x81..0x84: 1..4 length bytes follow
constexpr uint8_t kLongLengthLast = 0x84;
constexpr uint32_t kOneByteLengthUpTo = 0x7F;
constexpr uint32_t kFourByteLengthFrom = 0xFFFFA6;  // not 0x1000000: peers expect this form

constexpr size_t kIntegerLength = 4;
constexpr size_t kWideLength = 8;
constexpr size_t kEndOfContentsSize = 2;

// A File data body: type, 0x80, tag 26 (int), tag 32 (int), end of contents.
constexpr size_t kFileDataFieldBytes = 16;

// Texts travel as UTF-16LE when the version text compares (code unit by code
// unit) at least this; as Windows-1252 below it.
constexpr char16_t kWideTextFromVersion[] = u"7.0";

}  // namespace bexa::protocol
