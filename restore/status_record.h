// The record of one restore run: its times, its lines by kind, and its
// counters and sums. Lines and sums can be added from any thread (the
// transfer's writer thread logs too).
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "util/datetime.h"

namespace bexa {

enum class LineKind : int { kInformation = 0, kUnused = 1, kWarning = 2, kError = 3 };

class StatusRecord {
 public:
  void Log(std::u16string text, LineKind kind);
  void AddMegabytes(uint64_t bytes_written, uint64_t bytes_received);

  // Copies of the lists, taken under the lock.
  std::vector<std::u16string> Lines(LineKind kind) const;
  size_t LineCount(LineKind kind) const;
  float UncompressedMegabytes() const;
  float CompressedMegabytes() const;

  // Set by the engine on the user-interface thread only.
  DateTime start_time = DateTime::Invalid();
  DateTime end_time = DateTime::Invalid();
  int32_t skipped_count = 0;
  int64_t server_usage_kb = 0;

 private:
  mutable std::mutex lines_mutex_;
  std::vector<std::u16string> lines_[4];  // guarded by lines_mutex_

  mutable std::mutex sums_mutex_;
  float uncompressed_mb_ = 0;  // guarded by sums_mutex_
  float compressed_mb_ = 0;    // guarded by sums_mutex_
};

}  // namespace bexa
