#include "restore/block_queue.h"

#include <chrono>

namespace bexa {

void BlockQueue::Push(DataBlock block, bool last) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (block.size > 0) {
    queued_bytes_ += block.size;
    if (queued_bytes_ > peak_bytes_) peak_bytes_ = queued_bytes_;
    blocks_.push_back(std::move(block));
  }
  if (last) end_ = true;
  data_ready_.notify_one();
  if (queued_bytes_ > kHighWaterBytes && blocks_.size() > kHighWaterBlocks) {
    // The wait ends when the writer has drained the queue, or after the
    // time limit (the receiver then goes on regardless).
    space_freed_.wait_for(lock, std::chrono::milliseconds(kSpaceWaitMs), [this] {
      return released_ || queued_bytes_ <= kLowWaterBytes || blocks_.size() <= kLowWaterBlocks;
    });
  }
}

void BlockQueue::Finish() {
  std::lock_guard<std::mutex> lock(mutex_);
  end_ = true;
  data_ready_.notify_all();
}

bool BlockQueue::Pop(DataBlock& block) {
  std::unique_lock<std::mutex> lock(mutex_);
  data_ready_.wait(lock, [this] { return !blocks_.empty() || end_; });
  if (blocks_.empty()) return false;
  block = std::move(blocks_.front());
  blocks_.pop_front();
  queued_bytes_ -= block.size;
  if (queued_bytes_ <= kLowWaterBytes || blocks_.size() <= kLowWaterBlocks) space_freed_.notify_all();
  return true;
}

void BlockQueue::ReleaseSpace() {
  std::lock_guard<std::mutex> lock(mutex_);
  released_ = true;
  space_freed_.notify_all();
}

size_t BlockQueue::PeakBytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return peak_bytes_;
}

}  // namespace bexa
