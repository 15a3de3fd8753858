// Deciphers a file's data stream as it arrives in blocks of any size: every
// whole cipher block of the stream is deciphered exactly once, counted from
// the stream's first byte, whatever the sizes of the received blocks; only a
// final tail shorter than one cipher block stays as it is. The work is done
// in place in the received blocks; at most one cipher block straddling two
// received blocks is put together in a small buffer of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace bexa {

class StreamDecipher {
 public:
  static constexpr size_t kMaxBlockSize = 64;

  // decipher(data, length) deciphers whole blocks in place; false on failure.
  using BlockFunction = std::function<bool(uint8_t* data, size_t length)>;
  // Receives each deciphered piece in stream order; false stops the stream.
  // A piece stays valid until the next Feed or Finish.
  using Sink = std::function<bool(const uint8_t* data, size_t length)>;

  // REQUIRES: 0 < block_size <= kMaxBlockSize.
  StreamDecipher(size_t block_size, BlockFunction decipher);

  // Feeds the next received bytes (deciphered in place where whole blocks
  // lie). Returns false when the cipher or the sink failed.
  bool Feed(uint8_t* data, size_t length, const Sink& sink);
  // The stream has ended: hands the held tail (< block size) on unchanged.
  bool Finish(const Sink& sink);

  bool cipher_failed() const { return cipher_failed_; }

 private:
  const size_t block_size_;
  BlockFunction decipher_;
  uint8_t carry_[kMaxBlockSize];   // the held tail
  uint8_t joined_[kMaxBlockSize];  // a block put together from two feeds
  size_t carry_length_ = 0;
  bool cipher_failed_ = false;
};

}  // namespace bexa
