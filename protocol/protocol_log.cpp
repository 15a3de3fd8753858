#include "protocol/protocol_log.h"

#include <cstdio>

#include "platform/codepage.h"
#include "util/text.h"

namespace bexa::protocol {
namespace {

// The C library's month abbreviations ("C" locale).
constexpr const char16_t* kMonths[] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                       u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};

const char16_t* Month(const DateParts& p) {
  return p.month >= 1 && p.month <= 12 ? kMonths[p.month - 1] : u"";
}

// Lines are kept in memory up to this size between flushes, as a C library
// stream buffer would keep them.
constexpr size_t kStreamBuffer = 4096;

}  // namespace

std::u16string ProtocolLog::FileNameFor(const DateTime& created) {
  const DateParts p = created.Parts();
  const int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
  return Format(u"\\PROTOCOL %04d%02d%02d%02d%02d%02d %s %02d, %04d %02d.%02d %s.txt", p.year,
                p.month, p.day, p.hour, p.minute, p.second, Month(p), p.day, p.year, hour12,
                p.minute, p.hour < 12 ? u"AM" : u"PM");
}

std::u16string ProtocolLog::LineFor(const DateTime& when, std::u16string_view text) {
  const DateParts p = when.Parts();
  std::u16string line = Format(u"[%02d-%s-%04d:%02d:%02d:%02d] ", p.day, Month(p), p.year, p.hour,
                               p.minute, p.second);
  line += text;
  return line;
}

ProtocolLog::ProtocolLog(const std::u16string& folder, int flush_every, const DateTime& now)
    : flush_every_(flush_every) {
  // An empty folder throws here, which ends the creation of the connection.
  if (!CreateDirectoryTree(folder)) return;
  path_ = folder + FileNameFor(now);
  // A connection made in the same second as the previous one appends to its file.
  open_ = file_.Open(path_, NS_File::modeWrite | NS_File::modeCreate | NS_File::modeNoTruncate |
                                NS_File::shareDenyWrite | NS_File::typeText);
  if (open_) open_ = file_.Seek(0, SEEK_END);
}

ProtocolLog::~ProtocolLog() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return;
  FlushLocked();
  file_.Close();
}

void ProtocolLog::FlushLocked() {
  if (!pending_.empty() && open_) file_.Write(pending_.data(), pending_.size());
  pending_.clear();
}

void ProtocolLog::WriteLine(std::u16string_view text, const DateTime& when) {
  std::u16string line = LineFor(when, text);
  std::lock_guard<std::mutex> lock(mutex_);
  if (!open_) return;
  // Text mode: one byte per character, the line feed written as CR LF.
  pending_ += platform::WideToAnsi(line);
  pending_ += "\r\n";
  if (pending_.size() >= kStreamBuffer) {
    FlushLocked();
  }
  if (++pending_entries_ > flush_every_) {
    FlushLocked();
    pending_entries_ = 0;
  }
}

}  // namespace bexa::protocol
