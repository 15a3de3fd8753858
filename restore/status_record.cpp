#include "restore/status_record.h"

namespace bexa {

void StatusRecord::Log(std::u16string text, LineKind kind) {
  std::lock_guard<std::mutex> lock(lines_mutex_);
  lines_[static_cast<int>(kind)].push_back(std::move(text));
}

void StatusRecord::AddMegabytes(uint64_t bytes_written, uint64_t bytes_received) {
  std::lock_guard<std::mutex> lock(sums_mutex_);
  // Sums of 32-bit floats per file, as the summary reports them.
  uncompressed_mb_ += static_cast<float>(static_cast<double>(bytes_written) / 1048576.0);
  compressed_mb_ += static_cast<float>(static_cast<double>(bytes_received) / 1048576.0);
}

std::vector<std::u16string> StatusRecord::Lines(LineKind kind) const {
  std::lock_guard<std::mutex> lock(lines_mutex_);
  return lines_[static_cast<int>(kind)];
}

size_t StatusRecord::LineCount(LineKind kind) const {
  std::lock_guard<std::mutex> lock(lines_mutex_);
  return lines_[static_cast<int>(kind)].size();
}

float StatusRecord::UncompressedMegabytes() const {
  std::lock_guard<std::mutex> lock(sums_mutex_);
  return uncompressed_mb_;
}

float StatusRecord::CompressedMegabytes() const {
  std::lock_guard<std::mutex> lock(sums_mutex_);
  return compressed_mb_;
}

}  // namespace bexa
