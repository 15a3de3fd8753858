#include "protocol/pdu_codec.h"

#include "protocol/pdu_catalogue.h"
#include "protocol/pdu_fields.h"
#include "protocol/pdu_format.h"
#include "protocol/pdu_layouts.h"

namespace bexa::protocol {
namespace {

bool Present(const FieldLayout& f, std::u16string_view version) {
  return f.present_from == nullptr || VersionAtLeast(version, f.present_from);
}

bool WideOnWire(const FieldLayout& f, std::u16string_view version) {
  return f.wide_from == nullptr || VersionAtLeast(version, f.wide_from);
}

// ---- encoding

bool EncodeNumber(PduWriter& w, const FieldLayout& f, int64_t value, std::u16string_view version) {
  if (f.kind == FieldKind::kWide && WideOnWire(f, version)) return w.WriteWide(f.tag, value);
  return w.WriteInt(f.tag, static_cast<int32_t>(value));
}

bool EncodeRecord(PduWriter& w, const PduRecord& record, uint8_t record_tag,
                  std::u16string_view version) {
  if (!w.WriteRecordStart(record_tag)) return false;
  auto fields = RecordLayoutOf(record_tag);
  for (size_t i = 0; i < fields.size(); ++i) {
    const FieldLayout& f = fields[i];
    bool ok = (f.kind == FieldKind::kText || f.kind == FieldKind::kTrimmedText)
                  ? w.WriteText(f.tag, version, record.TextAt(i))
                  : EncodeNumber(w, f, record.NumberAt(i), version);
    if (!ok) return false;
  }
  return w.WriteEndOfContents();
}

bool EncodeSystemChange(PduWriter& w, const PduValues& v, std::u16string_view version) {
  const int32_t kind = v.Int(tag::kSystemChangeKind);
  if (!w.WriteInt(tag::kSystemChangeKind, kind)) return false;
  switch (kind) {
    case kSystemChangeNames:
      return w.WriteText(tag::kSystemText65, version, v.Text(tag::kSystemText65)) &&
             w.WriteText(tag::kSystemText66, version, v.Text(tag::kSystemText66)) &&
             w.WriteText(tag::kSystemText67, version, v.Text(tag::kSystemText67));
    case kSystemChangeName:
      return w.WriteText(tag::kSystemText65, version, v.Text(tag::kSystemText65));
    case kSystemChangeValue:
      return w.WriteInt(tag::kSystemValue68, v.Int(tag::kSystemValue68));
    default:
      return true;
  }
}

bool EncodeField(PduWriter& w, const FieldLayout& f, const PduValues& v,
                 std::u16string_view version) {
  switch (f.kind) {
    case FieldKind::kInt:
    case FieldKind::kWide:
      return EncodeNumber(w, f, v.Wide(f.tag), version);
    case FieldKind::kText:
    case FieldKind::kTrimmedText:
      return w.WriteText(f.tag, version, v.Text(f.tag));
    case FieldKind::kBytes: {
      const auto& bytes = v.Bytes(f.tag);
      return w.WriteBytes(f.tag, bytes.data(), bytes.size());
    }
    case FieldKind::kTextList: {
      const auto& list = v.TextList(f.element_tag);
      if (!w.WriteInt(f.tag, static_cast<int32_t>(list.size()))) return false;
      for (const auto& text : list) {
        if (!w.WriteText(f.element_tag, version, text)) return false;
      }
      return true;
    }
    case FieldKind::kRecordList: {
      const auto& records = v.Records(f.element_tag);
      if (!w.WriteInt(f.tag, static_cast<int32_t>(records.size()))) return false;
      for (const auto& r : records) {
        if (!EncodeRecord(w, r, f.element_tag, version)) return false;
      }
      return true;
    }
    case FieldKind::kSystemChange:
      return EncodeSystemChange(w, v, version);
  }
  return false;
}

// ---- decoding

bool DecodeNumber(PduReader& r, const FieldLayout& f, int64_t& value) {
  if (f.kind == FieldKind::kWide) return r.ReadWide(f.tag, value);
  int32_t v;
  if (!r.ReadInt(f.tag, v)) return false;
  value = v;
  return true;
}

bool DecodeRecord(PduReader& r, uint8_t record_tag, std::u16string_view version,
                  PduRecord& record) {
  if (!r.ReadRecordStart(record_tag)) return false;
  auto fields = RecordLayoutOf(record_tag);
  for (size_t i = 0; i < fields.size(); ++i) {
    const FieldLayout& f = fields[i];
    bool ok = (f.kind == FieldKind::kText || f.kind == FieldKind::kTrimmedText)
                  ? r.ReadText(f.tag, version, f.kind == FieldKind::kTrimmedText, record.TextAt(i))
                  : DecodeNumber(r, f, record.NumberAt(i));
    if (!ok) return false;
  }
  return r.ReadEndOfContents();
}

bool DecodeSystemChange(PduReader& r, PduValues& v, std::u16string_view version) {
  int32_t kind;
  if (!r.ReadInt(tag::kSystemChangeKind, kind)) return false;
  v.SetInt(tag::kSystemChangeKind, kind);
  auto text = [&](uint8_t t) { return r.ReadText(t, version, false, v.MutableText(t)); };
  switch (kind) {
    case kSystemChangeNames:
      return text(tag::kSystemText65) && text(tag::kSystemText66) && text(tag::kSystemText67);
    case kSystemChangeName:
      return text(tag::kSystemText65);
    case kSystemChangeValue: {
      int32_t value;
      if (!r.ReadInt(tag::kSystemValue68, value)) return false;
      v.SetInt(tag::kSystemValue68, value);
      return true;
    }
    default:
      return true;
  }
}

bool DecodeField(PduReader& r, const FieldLayout& f, PduValues& v, std::u16string_view version) {
  switch (f.kind) {
    case FieldKind::kInt:
    case FieldKind::kWide: {
      int64_t value;
      if (!DecodeNumber(r, f, value)) return false;
      v.SetInt(f.tag, value);
      return true;
    }
    case FieldKind::kText:
    case FieldKind::kTrimmedText:
      return r.ReadText(f.tag, version, f.kind == FieldKind::kTrimmedText, v.MutableText(f.tag));
    case FieldKind::kBytes:
      return r.ReadBytes(f.tag, v.MutableBytes(f.tag));
    case FieldKind::kTextList: {
      int32_t count;
      if (!r.ReadInt(f.tag, count)) return false;
      v.SetInt(f.tag, count);
      auto& list = v.MutableTextList(f.element_tag);
      // The count is the peer's word; elements are added only as they are read.
      for (int32_t i = 0; i < count; ++i) {
        list.emplace_back();
        if (!r.ReadText(f.element_tag, version, false, list.back())) return false;
      }
      return true;
    }
    case FieldKind::kRecordList: {
      int32_t count;
      if (!r.ReadInt(f.tag, count)) return false;
      v.SetInt(f.tag, count);
      auto& records = v.MutableRecords(f.element_tag);
      for (int32_t i = 0; i < count; ++i) {
        records.emplace_back(f.element_tag);
        if (!DecodeRecord(r, f.element_tag, version, records.back())) return false;
      }
      return true;
    }
    case FieldKind::kSystemChange:
      return DecodeSystemChange(r, v, version);
  }
  return false;
}

bool DecodeBody(PduChain& body, std::u16string_view version, PduValues& values, int& type) {
  PduReader r(body);
  uint8_t type_byte;
  if (!r.ReadByte(type_byte)) return false;
  type = type_byte;
  uint32_t length;
  bool indefinite;
  if (!r.ReadLength(length, indefinite)) return false;
  const PduTypeInfo* info = FindPduType(type);
  if (info == nullptr) return false;
  if (info->empty_version) version = {};
  for (const FieldLayout& f : LayoutOf(type).fields) {
    if (!Present(f, version)) continue;
    if (!DecodeField(r, f, values, version)) return false;
  }
  if (indefinite && !r.ReadEndOfContents()) return false;
  if (type == kPduFdta) {
    // The rest of the body is the payload, handed on in the buffers it came in.
    if (r.Remaining() > 0) {
      body.DropFront(r.BufferIndex());
      values.ReceivedPayload().chain() = std::move(body);
    }
    body.Clear();
    return true;
  }
  if (r.Remaining() != 0) return false;
  if (type == kPduProt || type == kPduUpgr || type == kPduRadf) {
    values.SetVersion(VersionNumber(values.Text(type == kPduProt ? tag::kVersion
                                                                 : tag::kUpgradeVersion)));
  }
  return true;
}

}  // namespace

bool PduCodec::Encode(int type, const PduValues& values, std::u16string_view version,
                      PduChain& frame) {
  const PduTypeInfo* info = FindPduType(type);
  if (info == nullptr) return false;
  if (info->empty_version) version = {};
  PduWriter w(frame, info->capacity);
  if (!w.WriteByte(static_cast<uint8_t>(type)) || !w.WriteIndefiniteLength()) return false;
  for (const FieldLayout& f : LayoutOf(type).fields) {
    if (!Present(f, version)) continue;
    if (!EncodeField(w, f, values, version)) return false;
  }
  if (!w.WriteEndOfContents()) return false;
  const uint64_t payload = type == kPduFdta ? values.OutgoingPayload().size() : 0;
  return w.Finish(payload);
}

bool PduCodec::Decode(PduChain& body, std::u16string_view version, PduValues& values, int& type) {
  values.Clear();
  type = 0;
  if (DecodeBody(body, version, values, type)) return true;
  values.Clear();
  return false;
}

bool PduCodec::ReadFrameHeader(const uint8_t* bytes, size_t size, FrameHeader& header) {
  if (size < kFrameHeaderSize) return false;
  header.kind = bytes[0];
  header.body_length = uint32_t(bytes[4]) << 24 | uint32_t(bytes[5]) << 16 |
                       uint32_t(bytes[6]) << 8 | bytes[7];
  return true;
}

bool PduCodec::AcceptableHeader(const FrameHeader& header) {
  return header.kind == kFrameKind && header.body_length >= kMinBodyLength &&
         header.body_length <= kMaxBodyLength;
}

}  // namespace bexa::protocol
