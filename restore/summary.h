// The restore summary and the per-file log block: plain texts built from a
// run's status record.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "restore/status_record.h"
#include "util/datetime.h"
#include "util/text.h"

namespace bexa {

// The client version shown in the summary.
inline constexpr char16_t kClientVersionText[] = u"7.0.0.0KVO";

struct SummaryInputs {
  std::u16string user, server;
  int32_t port = 308;
  bool firewall_enabled = false;
  std::u16string firewall_server;
  int32_t firewall_port = 1080;
  int32_t requested_count = 0;
  int32_t restored_count = 0;
};

// Whether a run gets a summary: a valid start time and at least one
// information or error line.
bool HasSummary(const StatusRecord& record);

// The summary text, every line ended by "\r\n". The digits of counts are
// grouped with `thousands` (the locale's separator).
std::u16string BuildSummary(const StatusRecord& record, const SummaryInputs& in,
                            const TextById& text, std::u16string_view thousands);

// "%s bytes" below 1 KiB (grouped), "%sKB" below 1 MiB, "%.2fMB", "%.2fGB".
std::u16string ByteCountText(uint64_t bytes, std::u16string_view thousands);

// "<1 sec", "%s sec", "%s min %s sec", "%s hrs %s min", "%s days %s hrs", ...
std::u16string ElapsedText(int64_t seconds);

struct FileLogInputs {
  std::u16string destination;
  double compression_percent = 0;
  uint64_t bytes_written = 0;
  uint64_t bytes_received = 0;
  int64_t elapsed_seconds = 0;
  DateTime backup_date = DateTime::Invalid();
  DateTime last_write = DateTime::Invalid();
};

// The log block of a restored file (information line).
std::u16string FileLogBlock(const FileLogInputs& in, std::u16string_view thousands);

}  // namespace bexa
