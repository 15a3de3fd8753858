#include "protocol/pdu_buffer.h"

#include <cstring>
#include <new>

namespace bexa::protocol {

bool PduBuffer::Allocate(size_t capacity, size_t reserved) {
  // Uninitialised on purpose: a received body is written by recv straight away.
  data_.reset(new (std::nothrow) uint8_t[capacity == 0 ? 1 : capacity]);
  if (!data_) {
    capacity_ = read_ = write_ = 0;
    return false;
  }
  capacity_ = capacity;
  read_ = write_ = reserved < capacity ? reserved : capacity;
  return true;
}

void PduBuffer::Append(const uint8_t* bytes, size_t n) {
  if (n == 0) return;
  std::memcpy(data_.get() + write_, bytes, n);
  write_ += n;
}

size_t PduChain::TotalSize() const {
  size_t total = 0;
  for (const PduBuffer& b : buffers_) total += b.Size();
  return total;
}

std::vector<uint8_t> PduChain::Bytes() const {
  std::vector<uint8_t> out;
  out.reserve(TotalSize());
  for (const PduBuffer& b : buffers_) {
    auto c = b.Content();
    out.insert(out.end(), c.begin(), c.end());
  }
  return out;
}

void PduChain::DropFront(size_t index) {
  if (index == 0) return;
  if (index >= buffers_.size()) {
    buffers_.clear();
    return;
  }
  buffers_.erase(buffers_.begin(), buffers_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace bexa::protocol
