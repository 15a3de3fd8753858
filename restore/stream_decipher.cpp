#include "restore/stream_decipher.h"

#include <cstring>

namespace bexa {

StreamDecipher::StreamDecipher(size_t block_size, BlockFunction decipher)
    : block_size_(block_size), decipher_(std::move(decipher)) {}

bool StreamDecipher::Feed(uint8_t* data, size_t length, const Sink& sink) {
  if (length == 0) return true;
  if (carry_length_ > 0) {
    const size_t need = block_size_ - carry_length_;
    const size_t take = length < need ? length : need;
    std::memcpy(carry_ + carry_length_, data, take);
    carry_length_ += take;
    data += take;
    length -= take;
    if (carry_length_ < block_size_) return true;
    // The joined block gets a buffer of its own: the carry is refilled
    // below while the sink may still hold on to this piece.
    std::memcpy(joined_, carry_, block_size_);
    carry_length_ = 0;
    if (!decipher_(joined_, block_size_)) return !(cipher_failed_ = true);
    if (!sink(joined_, block_size_)) return false;
  }
  const size_t whole = length - length % block_size_;
  if (whole > 0) {
    if (!decipher_(data, whole)) return !(cipher_failed_ = true);
    if (!sink(data, whole)) return false;
  }
  carry_length_ = length - whole;
  std::memcpy(carry_, data + whole, carry_length_);
  return true;
}

bool StreamDecipher::Finish(const Sink& sink) {
  const size_t n = carry_length_;
  carry_length_ = 0;
  return n == 0 || sink(carry_, n);
}

}  // namespace bexa
