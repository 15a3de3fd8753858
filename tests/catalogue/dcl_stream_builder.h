// Writes implode streams token by token, for tests that need exact bits.
#pragma once

#include <cstdint>
#include <string>

#include "catalogue/implode_format.h"

namespace bexa::testing {

class StreamBuilder {
 public:
  StreamBuilder(uint32_t coding, uint32_t dict_bits) : dict_bits_(dict_bits) {
    out_.push_back(static_cast<char>(coding));
    out_.push_back(static_cast<char>(dict_bits));
    ascii_ = coding == dcl::kAscii;
  }

  StreamBuilder& Literal(unsigned char b) {
    Put(0, 1);
    if (ascii_) {
      Put(dcl::kAsciiCode[b], dcl::kAsciiBits[b]);
    } else {
      Put(b, 8);
    }
    return *this;
  }
  StreamBuilder& Literals(const std::string& text) {
    for (unsigned char c : text) Literal(c);
    return *this;
  }
  // A copy of `length` (2 to 518) bytes from `distance` back.
  StreamBuilder& Copy(uint32_t length, uint32_t distance) {
    LengthValue(length - 2);
    const uint32_t low = length == 2 ? 2 : dict_bits_;
    const uint32_t sym = (distance - 1) >> low;
    Put(dcl::kDistanceCode[sym], dcl::kDistanceBits[sym]);
    Put((distance - 1) & ((1u << low) - 1), low);
    return *this;
  }
  StreamBuilder& End() {
    LengthValue(dcl::kEndValue);
    return *this;
  }
  // Zero bits up to the next whole byte.
  StreamBuilder& PadToByte() {
    if (held_ > 0) Put(0, 8 - held_);
    return *this;
  }
  StreamBuilder& ZeroByte() {
    PadToByte();
    Put(0, 8);
    return *this;
  }
  size_t bit_count() const { return (out_.size() - 2) * 8 + held_; }

  // The stream so far (a partial last byte padded with zero bits).
  std::string Bytes() const {
    std::string s = out_;
    if (held_ > 0) s.push_back(static_cast<char>(acc_));
    return s;
  }

 private:
  void LengthValue(uint32_t value) {
    Put(1, 1);
    for (uint32_t s = 15;; --s) {
      if (value >= dcl::kLengthBase[s]) {
        Put(dcl::kLengthCode[s], dcl::kLengthBits[s]);
        Put(value - dcl::kLengthBase[s], dcl::kLengthExtra[s]);
        return;
      }
    }
  }
  void Put(uint32_t bits, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
      acc_ |= ((bits >> i) & 1u) << held_;
      if (++held_ == 8) {
        out_.push_back(static_cast<char>(acc_));
        acc_ = 0;
        held_ = 0;
      }
    }
  }

  uint32_t dict_bits_;
  bool ascii_ = false;
  std::string out_;
  uint32_t acc_ = 0;
  uint32_t held_ = 0;
};

}  // namespace bexa::testing
