#include "restore/summary.h"

#include "util/dates.h"
#include "util/text.h"

namespace bexa {
namespace {

constexpr char16_t kEol[] = u"\r\n";

std::u16string Grouped(int64_t value, std::u16string_view thousands) {
  return GroupDigits(ToText(value), thousands);
}

}  // namespace

bool HasSummary(const StatusRecord& record) {
  return record.start_time.IsValid() && (record.LineCount(LineKind::kInformation) > 0 ||
                                         record.LineCount(LineKind::kError) > 0);
}

std::u16string BuildSummary(const StatusRecord& record, const SummaryInputs& in,
                            const TextById& text, std::u16string_view thousands) {
  const auto warnings = record.Lines(LineKind::kWarning);
  const auto errors = record.Lines(LineKind::kError);
  std::u16string s;
  auto line = [&](const std::u16string& t) { s += t + kEol; };

  line(Format(text(1170), LongDateTimeText(record.start_time, true)));
  line(u"");
  line(text(1171));
  line(Format(text(1172), kClientVersionText, in.user));
  line(Format(text(1173), in.server, ToText(in.port)));
  if (in.firewall_enabled) line(Format(text(1175), in.firewall_server, ToText(in.firewall_port)));
  line(Format(text(1176), Grouped(static_cast<int64_t>(warnings.size()), thousands)));
  line(Format(text(1177), Grouped(static_cast<int64_t>(errors.size()), thousands)));
  line(Format(text(1178), Grouped(in.requested_count, thousands)));
  line(Format(text(1179), Grouped(in.restored_count, thousands)));
  line(Format(text(1180), Grouped(record.skipped_count, thousands)));
  line(Format(text(1181), static_cast<double>(record.UncompressedMegabytes())));
  line(Format(text(1182), static_cast<double>(record.CompressedMegabytes())));
  line(Format(text(1183), static_cast<double>(record.server_usage_kb) / 1024.0));

  int64_t span = 0;
  if (record.end_time.IsValid())
    span = record.end_time.SecondsSinceEpochAsUtc() - record.start_time.SecondsSinceEpochAsUtc();
  if (span < 0) span = 0;
  // Whole hours of the span, so a run of 26 hours shows 26.
  line(Format(text(1184), span / 3600, span / 60 % 60, span % 60));
  line(u"");

  if (!warnings.empty()) {
    line(text(1185));
    for (const auto& w : warnings) line(u" - " + w);
    line(u"");
  }
  if (!errors.empty()) {
    line(text(1186));
    for (const auto& e : errors) line(u" - " + e);
    line(u"");
  }
  return s;
}

std::u16string ByteCountText(uint64_t bytes, std::u16string_view thousands) {
  if (bytes < 1024) return Format(u"%s bytes", Grouped(static_cast<int64_t>(bytes), thousands));
  if (bytes <= 1048575)
    return Format(u"%sKB", Grouped(static_cast<int64_t>(bytes / 1024), thousands));
  if (bytes < 1073741824ULL) return Format(u"%.2fMB", static_cast<double>(bytes) / 1048576.0);
  return Format(u"%.2fGB", static_cast<double>(bytes) / 1073741824.0);
}

std::u16string ElapsedText(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  const int64_t sec = seconds % 60, min = seconds / 60 % 60, hrs = seconds / 3600 % 24,
                days = seconds / 86400;
  if (seconds < 60) return sec == 0 ? u"<1 sec" : Format(u"%s sec", ToText(sec));
  if (seconds < 3600)
    return sec == 0 ? Format(u"%s min", ToText(min))
                    : Format(u"%s min %s sec", ToText(min), ToText(sec));
  if (seconds < 86400)
    return min == 0 ? Format(u"%s hrs", ToText(hrs))
                    : Format(u"%s hrs %s min", ToText(hrs), ToText(min));
  return hrs == 0 ? Format(u"%s days", ToText(days))
                  : Format(u"%s days %s hrs", ToText(days), ToText(hrs));
}

std::u16string FileLogBlock(const FileLogInputs& in, std::u16string_view thousands) {
  std::u16string s = Format(u"File Restored to: %s\r\n", in.destination);
  s += u"Compressed " + Format(u"%.2f%% ", in.compression_percent);
  s += u"From " + ByteCountText(in.bytes_written, thousands) + u" to " +
       ByteCountText(in.bytes_received, thousands);
  s += u" - Time: " + ElapsedText(in.elapsed_seconds);
  s += Format(u"  ( Backup: %s - Modified: %s )\r\n", ShortDateTimeText(in.backup_date, false),
              ShortDateTimeText(in.last_write, false));
  return s;
}

}  // namespace bexa
