#include "server/pdu_log.h"

#include <stdexcept>

#include "platform/codepage.h"
#include "protocol/pdu_catalogue.h"
#include "protocol/pdu_fields.h"
#include "protocol/pdu_layouts.h"

namespace bexa::server {
namespace {

using protocol::FieldKind;
using protocol::FieldLayout;

void AppendText(std::string& out, std::u16string_view text) {
  out += '"';
  for (char c : platform::WideToUtf8(text)) {
    if (c == '"') {
      out += "\\\"";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  out += '"';
}

bool Present(const FieldLayout& f, std::u16string_view version) {
  return f.present_from == nullptr || protocol::VersionAtLeast(version, f.present_from);
}

void AppendRecord(std::string& out, const protocol::PduRecord& record) {
  out += '{';
  auto fields = protocol::RecordLayoutOf(record.tag());
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) out += ' ';
    out += std::to_string(fields[i].tag) + "=";
    if (fields[i].kind == FieldKind::kText || fields[i].kind == FieldKind::kTrimmedText) {
      AppendText(out, record.TextAt(i));
    } else {
      out += std::to_string(record.NumberAt(i));
    }
  }
  out += '}';
}

void AppendField(std::string& out, const FieldLayout& f, const protocol::PduValues& v) {
  out += std::to_string(f.tag) + "=";
  switch (f.kind) {
    case FieldKind::kInt:
    case FieldKind::kSystemChange:
      out += std::to_string(v.Int(f.tag));
      break;
    case FieldKind::kWide:
      out += std::to_string(v.Wide(f.tag));
      break;
    case FieldKind::kText:
    case FieldKind::kTrimmedText:
      AppendText(out, v.Text(f.tag));
      break;
    case FieldKind::kBytes:
      out += "<" + std::to_string(v.Bytes(f.tag).size()) + " bytes>";
      break;
    case FieldKind::kTextList: {
      out += '[';
      bool first = true;
      for (const auto& t : v.TextList(f.element_tag)) {
        if (!first) out += ' ';
        first = false;
        AppendText(out, t);
      }
      out += ']';
      break;
    }
    case FieldKind::kRecordList: {
      out += '[';
      bool first = true;
      for (const auto& r : v.Records(f.element_tag)) {
        if (!first) out += ' ';
        first = false;
        AppendRecord(out, r);
      }
      out += ']';
      break;
    }
  }
}

}  // namespace

std::string FormatPduFields(int type, const protocol::PduValues& values,
                            std::u16string_view version) {
  std::string out;
  const protocol::PduTypeInfo* info = protocol::FindPduType(type);
  if (info == nullptr) return out;
  if (info->empty_version) version = {};
  for (const FieldLayout& f : protocol::LayoutOf(type).fields) {
    if (!Present(f, version)) continue;
    if (!out.empty()) out += ' ';
    AppendField(out, f, values);
  }
  if (type == protocol::kPduFdta) {
    const size_t payload = values.ReceivedPayload().Size() + values.OutgoingPayload().size();
    out += " payload=" + std::to_string(payload);
  }
  return out;
}

PduLog::PduLog(const std::string& path) {
  if (path.empty()) return;
  file_ = std::fopen(path.c_str(), "a");
  if (file_ == nullptr) throw std::runtime_error("cannot open the PDU log " + path);
}

PduLog::~PduLog() {
  if (file_ != nullptr) std::fclose(file_);
}

void PduLog::Pdu(int connection, bool received, int type, const protocol::PduValues& values,
                 std::u16string_view version) {
  if (file_ == nullptr) return;
  std::string line = std::to_string(connection) + (received ? " recv " : " send ") +
                     platform::WideToUtf8(protocol::PduCode(type));
  std::string fields = FormatPduFields(type, values, version);
  if (!fields.empty()) line += " " + fields;
  Line(line);
}

void PduLog::Event(int connection, std::string_view text) {
  if (file_ == nullptr) return;
  Line(std::to_string(connection) + " event " + std::string(text));
}

void PduLog::Line(const std::string& line) {
  std::lock_guard lock(mutex_);
  std::fputs(line.c_str(), file_);
  std::fputc('\n', file_);
  std::fflush(file_);
}

}  // namespace bexa::server
