// The values record of a connection: the fields of the PDU about to be sent
// or of the PDU last received, kept by tag. The same record serves both
// directions; a field that the last PDU did not carry reads as 0 or empty.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/pdu_buffer.h"
#include "protocol/pdu_tags.h"
#include "protocol/version_number.h"

namespace bexa::protocol {

// One element of a record list (tags 80, 81, 82): its fields by tag.
class PduRecord {
 public:
  PduRecord() = default;
  explicit PduRecord(uint8_t record_tag) : tag_(record_tag) {}

  // Record 80, one version of a file (LINF).
  static PduRecord FileVersion(std::u16string_view backup_date,
                               std::u16string_view modification_date, int64_t size);
  // Record 81, the answer for one requested volume (RVLP).
  static PduRecord VolumeAnswer(int32_t status, std::u16string_view key_hint);
  // Record 82, one requested file (RFLR).
  static PduRecord RequestedFile(std::u16string_view file_path, std::u16string_view backup_date);

  uint8_t tag() const { return tag_; }
  int32_t Int(int field_tag) const { return static_cast<int32_t>(Wide(field_tag)); }
  int64_t Wide(int field_tag) const;
  const std::u16string& Text(int field_tag) const;

  // By position in the record's layout (used by the codec).
  int64_t& NumberAt(size_t i) { return numbers_[i]; }
  std::u16string& TextAt(size_t i) { return texts_[i]; }
  int64_t NumberAt(size_t i) const { return numbers_[i]; }
  const std::u16string& TextAt(size_t i) const { return texts_[i]; }

 private:
  int Position(int field_tag) const;

  uint8_t tag_ = 0;
  std::array<int64_t, 3> numbers_{};
  std::array<std::u16string, 3> texts_;
};

// A received File data payload: the body bytes after the field part, in the
// buffers they were received in (one, unless the body was larger than the
// largest receive buffer). Owns those buffers; nothing is copied.
class PduPayload {
 public:
  size_t Size() const { return chain_.TotalSize(); }
  bool Empty() const { return Size() == 0; }
  size_t SegmentCount() const { return chain_.BufferCount(); }
  std::span<const uint8_t> Segment(size_t i) const { return chain_.Buffer(i).Content(); }
  // REQUIRES: dest holds Size() bytes.
  void CopyTo(uint8_t* dest) const;
  // Takes the buffers away (the payload is empty afterwards). A receiver
  // that keeps the payload past the next receive must take it: the next
  // receive reuses the buffers still held here.
  PduChain Release() {
    PduChain out = std::move(chain_);
    chain_.Clear();
    return out;
  }

  PduChain& chain() { return chain_; }
  void Clear() { chain_.Clear(); }

 private:
  PduChain chain_;
};

class PduValues {
 public:
  PduValues() = default;
  PduValues(const PduValues&) = delete;
  PduValues& operator=(const PduValues&) = delete;

  // Numbers: an int field reads as its 32 bits, a wide one as 64 bits (a wide
  // field received in 4 bytes is zero-extended). List counts are numbers too.
  int32_t Int(int tag) const { return static_cast<int32_t>(Wide(tag)); }
  int64_t Wide(int tag) const;
  const std::u16string& Text(int tag) const;
  const std::vector<uint8_t>& Bytes(int tag) const;
  // Elements of a text list, by element tag (12 volumes, 9 keys, 14 paths).
  const std::vector<std::u16string>& TextList(int element_tag) const;
  // Elements of a record list, by record tag (80, 81, 82).
  const std::vector<PduRecord>& Records(int record_tag) const;
  // The version text of PROT, UPGR or RADF as a version; all "0" otherwise.
  const VersionNumber& Version() const { return version_; }
  // File data received; empty for any other PDU.
  PduPayload& ReceivedPayload() { return payload_; }
  const PduPayload& ReceivedPayload() const { return payload_; }
  // File data to send; the bytes are the caller's and must outlive the send.
  std::span<const uint8_t> OutgoingPayload() const { return outgoing_; }

  // Setters ignore a tag outside 1..82 (and a record tag outside 80..82).
  void SetInt(int tag, int64_t value);
  void SetText(int tag, std::u16string_view text);
  void SetBytes(int tag, const uint8_t* data, size_t size);
  std::vector<std::u16string>& MutableTextList(int element_tag);
  std::vector<PduRecord>& MutableRecords(int record_tag);
  // Codec access: the text slot of a tag, for decoding in place.
  std::u16string& MutableText(int tag);
  std::vector<uint8_t>& MutableBytes(int tag);
  void SetVersion(const VersionNumber& version) { version_ = version; }
  void SetOutgoingPayload(const uint8_t* data, size_t size) { outgoing_ = {data, size}; }

  // Back to "nothing carried". Keeps the storage of texts and lists.
  void Clear();

 private:
  static constexpr int kSlots = tag::kMaxTag + 1;
  static bool ValidTag(int t) { return t >= 1 && t < kSlots; }
  void Touch(int t) { used_.set(static_cast<size_t>(t)); }

  std::array<int64_t, kSlots> numbers_{};
  std::array<std::u16string, kSlots> texts_;
  std::array<std::vector<uint8_t>, kSlots> bytes_;
  std::array<std::vector<std::u16string>, kSlots> lists_;
  std::array<std::vector<PduRecord>, 3> records_;
  std::bitset<kSlots> used_;
  VersionNumber version_;
  PduPayload payload_;
  std::span<const uint8_t> outgoing_;
};

}  // namespace bexa::protocol
