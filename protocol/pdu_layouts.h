// The field layout of every PDU type, as data: fields in wire order with tag,
// kind and version gates. Encoder and decoder both walk these tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace bexa::protocol {

enum class FieldKind : uint8_t {
  kInt,           // 4-byte integer
  kWide,          // 8-byte integer; written as 4 bytes below wide_from
  kText,          // text in the version's encoding
  kTrimmedText,   // text; the decoder removes trailing white space
  kBytes,         // raw octets
  kTextList,      // int count field (tag), then count × text field (element_tag)
  kRecordList,    // int count field (tag), then count × record (element_tag)
  kSystemChange,  // SYSR: int kind field (tag), then fields chosen by the kind
};

struct FieldLayout {
  uint8_t tag;
  FieldKind kind;
  uint8_t element_tag = 0;                // list element or record tag
  const char16_t* present_from = nullptr;  // present exactly when version >= this
  const char16_t* wide_from = nullptr;     // kWide: 8 bytes when version >= this
};

// Fields of a PDU type in order; empty for a type without fields. `known` is
// false for a number outside the catalogue.
struct PduLayout {
  bool known = false;
  std::span<const FieldLayout> fields;
};
PduLayout LayoutOf(int type);

// Fields of a record kind (80, 81 or 82); empty for any other tag.
std::span<const FieldLayout> RecordLayoutOf(int record_tag);

constexpr int kFirstRecordTag = 80;
constexpr int kRecordTagCount = 3;
constexpr size_t kMaxRecordFields = 3;

// SYSR kinds and what follows them.
constexpr int kSystemChangeNames = 70;  // 65, 66, 67 text
constexpr int kSystemChangeName = 71;   // 65 text
constexpr int kSystemChangeValue = 72;  // 68 int

}  // namespace bexa::protocol
