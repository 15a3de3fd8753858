// The queue between a transfer's receiver (the thread that reads File data
// PDUs) and its writer thread. Blocks are handed over by ownership, never
// copied. Back-pressure: the receiver waits (5 s at most) while more than
// 32 MiB in more than 2 blocks are queued; the writer releases it once at
// most 25,600 bytes or 2 blocks remain.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

namespace bexa {

// A piece of received payload; `owner` keeps the memory behind `data` alive
// (the connection's receive buffer, for example).
struct DataBlock {
  std::shared_ptr<void> owner;
  uint8_t* data = nullptr;
  size_t size = 0;
};

class BlockQueue {
 public:
  static constexpr size_t kHighWaterBytes = 33554432;
  static constexpr size_t kHighWaterBlocks = 2;
  static constexpr size_t kLowWaterBytes = 25600;
  static constexpr size_t kLowWaterBlocks = 2;
  static constexpr int kSpaceWaitMs = 5000;

  // Receiver side. Appends a block (an empty one is not queued) and, with
  // last, marks the end of the data; then waits for space when the queue is
  // over its high-water mark.
  void Push(DataBlock block, bool last);
  // Marks the end (also after a failure) and wakes the writer.
  void Finish();

  // Writer side. Takes the next block, waiting while none is queued and the
  // data has not ended. False at the end of the data.
  bool Pop(DataBlock& block);
  // Lets a receiver that waits for space go on (the writer has stopped).
  void ReleaseSpace();

  // For the benchmark and the tests: the largest number of bytes that were
  // queued at once.
  size_t PeakBytes() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable data_ready_;
  std::condition_variable space_freed_;
  std::deque<DataBlock> blocks_;  // guarded by mutex_
  size_t queued_bytes_ = 0;       // guarded by mutex_
  size_t peak_bytes_ = 0;         // guarded by mutex_
  bool end_ = false;              // guarded by mutex_
  bool released_ = false;         // guarded by mutex_
};

}  // namespace bexa
