// Helpers shared by the protocol tests: hex fixtures, chains from bytes,
// damage helpers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/pdu_buffer.h"

namespace bexa::protocol::testing {

// "02 00 0a" -> bytes; blanks and "|" are ignored.
inline std::vector<uint8_t> Hex(std::string_view text) {
  std::vector<uint8_t> out;
  int nibble = -1;
  for (char c : text) {
    int v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else continue;
    if (nibble < 0) {
      nibble = v;
    } else {
      out.push_back(static_cast<uint8_t>(nibble << 4 | v));
      nibble = -1;
    }
  }
  return out;
}

// A chain holding `bytes`, cut into buffers at the given offsets.
inline PduChain ChainOf(const std::vector<uint8_t>& bytes, std::vector<size_t> cuts = {}) {
  PduChain chain;
  size_t start = 0;
  cuts.push_back(bytes.size());
  for (size_t cut : cuts) {
    PduBuffer b;
    b.Allocate(cut - start);
    b.Append(bytes.data() + start, cut - start);
    chain.Append(std::move(b));
    start = cut;
  }
  return chain;
}

// Damage helpers: a copy with one change.
inline std::vector<uint8_t> IncrementByte(std::vector<uint8_t> b, size_t at) {
  ++b[at];
  return b;
}
inline std::vector<uint8_t> ShrinkBy(std::vector<uint8_t> b, size_t n) {
  b.erase(b.end() - static_cast<std::ptrdiff_t>(n), b.end());
  return b;
}
inline std::vector<uint8_t> AppendByte(std::vector<uint8_t> b, uint8_t v) {
  b.push_back(v);
  return b;
}

// The body of an encoded frame (the frame without its 8 header bytes).
inline std::vector<uint8_t> BodyOf(const PduChain& frame) {
  std::vector<uint8_t> all = frame.Bytes();
  return std::vector<uint8_t>(all.begin() + 8, all.end());
}

}  // namespace bexa::protocol::testing
