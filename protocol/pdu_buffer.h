// Byte buffers of fixed capacity and the ordered chain of them that holds one
// encoded frame or one received body.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace bexa::protocol {

// A buffer with a read and a write position: bytes [read_pos, write_pos) are
// its content. Move-only; owns its storage.
class PduBuffer {
 public:
  PduBuffer() = default;
  PduBuffer(PduBuffer&&) noexcept = default;
  PduBuffer& operator=(PduBuffer&&) noexcept = default;

  // Replaces the storage by `capacity` uninitialised bytes, both positions at
  // `reserved` (bytes kept free in front, such as a frame header). False when
  // the memory cannot be had; the buffer is then empty.
  bool Allocate(size_t capacity, size_t reserved = 0);

  size_t capacity() const { return capacity_; }
  size_t read_pos() const { return read_; }
  size_t write_pos() const { return write_; }
  // Content size and the room left after it.
  size_t Size() const { return write_ - read_; }
  size_t Room() const { return capacity_ - write_; }
  bool Full() const { return write_ == capacity_; }

  uint8_t* data() { return data_.get(); }
  const uint8_t* data() const { return data_.get(); }
  std::span<uint8_t> Content() { return {data_.get() + read_, Size()}; }
  std::span<const uint8_t> Content() const { return {data_.get() + read_, Size()}; }

  // REQUIRES: n <= Room() (Append) and n <= Size() (Consume).
  void Append(const uint8_t* bytes, size_t n);
  void AppendByte(uint8_t b) { data_[write_++] = b; }
  void Consume(size_t n) { read_ += n; }
  // Moves the write position back to `pos` (>= read_pos) or forward after
  // bytes were written into data() directly.
  void SetWritePos(size_t pos) { write_ = pos; }
  void SetReadPos(size_t pos) { read_ = pos; }
  // Empties the content, keeping the storage.
  void Reset(size_t reserved = 0) { read_ = write_ = reserved; }

 private:
  std::unique_ptr<uint8_t[]> data_;
  size_t capacity_ = 0;
  size_t read_ = 0;
  size_t write_ = 0;
};

// The buffers of one frame or body, in order.
class PduChain {
 public:
  PduChain() = default;
  PduChain(PduChain&&) noexcept = default;
  PduChain& operator=(PduChain&&) noexcept = default;

  void Append(PduBuffer&& buffer) { buffers_.push_back(std::move(buffer)); }
  void Clear() { buffers_.clear(); }
  bool Empty() const { return buffers_.empty(); }
  size_t BufferCount() const { return buffers_.size(); }
  PduBuffer& Buffer(size_t i) { return buffers_[i]; }
  const PduBuffer& Buffer(size_t i) const { return buffers_[i]; }
  PduBuffer& Back() { return buffers_.back(); }

  // Sum of the buffers' content sizes.
  size_t TotalSize() const;
  // The content of all buffers joined (for tests and diagnostics).
  std::vector<uint8_t> Bytes() const;
  // Drops the buffers before `index`.
  void DropFront(size_t index);

 private:
  std::vector<PduBuffer> buffers_;
};

}  // namespace bexa::protocol
