#include "protocol/pdu_values.h"

#include <cstring>

#include "protocol/pdu_layouts.h"

namespace bexa::protocol {
namespace {

const std::u16string kNoText;
const std::vector<uint8_t> kNoBytes;
const std::vector<std::u16string> kNoList;
const std::vector<PduRecord> kNoRecords;

}  // namespace

PduRecord PduRecord::FileVersion(std::u16string_view backup_date,
                                 std::u16string_view modification_date, int64_t size) {
  PduRecord r(tag::kFileVersionRecord);
  r.texts_[0] = backup_date;
  r.texts_[1] = modification_date;
  r.numbers_[2] = size;
  return r;
}

PduRecord PduRecord::VolumeAnswer(int32_t status, std::u16string_view key_hint) {
  PduRecord r(tag::kVolumeAnswerRecord);
  r.numbers_[0] = status;
  r.texts_[1] = key_hint;
  return r;
}

PduRecord PduRecord::RequestedFile(std::u16string_view file_path,
                                   std::u16string_view backup_date) {
  PduRecord r(tag::kRequestedFileRecord);
  r.texts_[0] = file_path;
  r.texts_[1] = backup_date;
  return r;
}

int PduRecord::Position(int field_tag) const {
  auto fields = RecordLayoutOf(tag_);
  for (size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].tag == field_tag) return static_cast<int>(i);
  }
  return -1;
}

int64_t PduRecord::Wide(int field_tag) const {
  int i = Position(field_tag);
  return i < 0 ? 0 : numbers_[i];
}

const std::u16string& PduRecord::Text(int field_tag) const {
  int i = Position(field_tag);
  return i < 0 ? kNoText : texts_[i];
}

void PduPayload::CopyTo(uint8_t* dest) const {
  for (size_t i = 0; i < SegmentCount(); ++i) {
    auto s = Segment(i);
    if (s.empty()) continue;
    std::memcpy(dest, s.data(), s.size());
    dest += s.size();
  }
}

int64_t PduValues::Wide(int t) const { return ValidTag(t) ? numbers_[t] : 0; }

const std::u16string& PduValues::Text(int t) const { return ValidTag(t) ? texts_[t] : kNoText; }

const std::vector<uint8_t>& PduValues::Bytes(int t) const {
  return ValidTag(t) ? bytes_[t] : kNoBytes;
}

const std::vector<std::u16string>& PduValues::TextList(int t) const {
  return ValidTag(t) ? lists_[t] : kNoList;
}

const std::vector<PduRecord>& PduValues::Records(int t) const {
  int i = t - kFirstRecordTag;
  return i >= 0 && i < kRecordTagCount ? records_[i] : kNoRecords;
}

void PduValues::SetInt(int t, int64_t value) {
  if (!ValidTag(t)) return;
  numbers_[t] = value;
  Touch(t);
}

void PduValues::SetText(int t, std::u16string_view text) {
  if (!ValidTag(t)) return;
  texts_[t].assign(text);
  Touch(t);
}

void PduValues::SetBytes(int t, const uint8_t* data, size_t size) {
  if (!ValidTag(t)) return;
  bytes_[t].assign(data, data + size);
  Touch(t);
}

std::u16string& PduValues::MutableText(int t) {
  static thread_local std::u16string sink;
  if (!ValidTag(t)) return sink;
  Touch(t);
  return texts_[t];
}

std::vector<uint8_t>& PduValues::MutableBytes(int t) {
  static thread_local std::vector<uint8_t> sink;
  if (!ValidTag(t)) return sink;
  Touch(t);
  return bytes_[t];
}

std::vector<std::u16string>& PduValues::MutableTextList(int t) {
  static thread_local std::vector<std::u16string> sink;
  if (!ValidTag(t)) return sink;
  Touch(t);
  return lists_[t];
}

std::vector<PduRecord>& PduValues::MutableRecords(int t) {
  static thread_local std::vector<PduRecord> sink;
  int i = t - kFirstRecordTag;
  if (i < 0 || i >= kRecordTagCount) return sink;
  Touch(t);
  return records_[i];
}

void PduValues::Clear() {
  if (used_.any()) {
    for (int t = 1; t < kSlots; ++t) {
      if (!used_.test(static_cast<size_t>(t))) continue;
      numbers_[t] = 0;
      texts_[t].clear();
      bytes_[t].clear();
      lists_[t].clear();
      if (t >= kFirstRecordTag && t < kFirstRecordTag + kRecordTagCount) {
        records_[t - kFirstRecordTag].clear();
      }
    }
    used_.reset();
  }
  version_ = VersionNumber();
  payload_.Clear();
  outgoing_ = {};
}

}  // namespace bexa::protocol
