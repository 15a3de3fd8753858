#include "protocol/session_cipher.h"

#include <algorithm>
#include <cstring>

namespace bexa::protocol {
namespace {

constexpr size_t kLargestBlock = 64;

}  // namespace

bool EncryptWholeBlocks(SessionCipher& cipher, uint8_t* data, size_t size) {
  const size_t block = cipher.BlockSize();
  if (block == 0) return false;
  const size_t whole = size - size % block;
  return whole == 0 || cipher.EncryptRange(data, whole);
}

bool DecryptWholeBlocks(SessionCipher& cipher, uint8_t* data, size_t size) {
  const size_t block = cipher.BlockSize();
  if (block == 0) return false;
  const size_t whole = size - size % block;
  return whole == 0 || cipher.DecryptRange(data, whole);
}

bool DecryptChainRange(SessionCipher& cipher, PduChain& chain, size_t begin, size_t end) {
  const size_t block = cipher.BlockSize();
  if (block == 0 || block > kLargestBlock) return false;
  if (end <= begin) return true;
  size_t left = (end - begin) - (end - begin) % block;  // bytes of whole blocks still to do
  // Find the buffer and offset of `begin`.
  size_t i = 0, off = begin;
  while (i < chain.BufferCount() && off >= chain.Buffer(i).Size()) {
    off -= chain.Buffer(i).Size();
    ++i;
  }
  uint8_t straddle[kLargestBlock];
  while (left > 0 && i < chain.BufferCount()) {
    auto content = chain.Buffer(i).Content();
    const size_t here = content.size() - off;
    const size_t run = std::min(left, here - here % block);
    if (run > 0) {
      if (!cipher.DecryptRange(content.data() + off, run)) return false;
      left -= run;
      off += run;
    }
    if (left == 0) break;
    if (off == content.size()) {
      ++i;
      off = 0;
      continue;
    }
    // A block that begins near the end of this buffer and ends in later ones.
    size_t got = 0;
    size_t j = i, o = off;
    while (got < block && j < chain.BufferCount()) {
      auto c = chain.Buffer(j).Content();
      size_t n = std::min(block - got, c.size() - o);
      std::memcpy(straddle + got, c.data() + o, n);
      got += n;
      o += n;
      if (o == c.size()) {
        ++j;
        o = 0;
      }
    }
    if (got < block) return false;
    if (!cipher.DecryptRange(straddle, block)) return false;
    got = 0;
    while (got < block) {
      auto c = chain.Buffer(i).Content();
      size_t n = std::min(block - got, c.size() - off);
      std::memcpy(c.data() + off, straddle + got, n);
      got += n;
      off += n;
      if (off == c.size()) {
        ++i;
        off = 0;
      }
    }
    left -= block;
  }
  return left == 0;
}

}  // namespace bexa::protocol
