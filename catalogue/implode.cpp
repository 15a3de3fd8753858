#include "catalogue/implode.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace bexa {
namespace {

using namespace dcl;

// Parsing works on blocks: within a block the cheapest sequence of literals
// and copies is found over the fixed code lengths (they never adapt, so the
// bit costs are exact); a block's copies stay inside it.
constexpr size_t kBlockBytes = 1 << 16;
constexpr unsigned kHashBits = 14;
constexpr unsigned kHash2Bits = 12;
constexpr unsigned kChainDepth = 16;
constexpr unsigned kShortChainDepth = 3;
// A match at least this long is taken without looking at the positions it
// covers: long repeats would otherwise cost a search per byte.
constexpr unsigned kLongMatch = 12;
constexpr uint32_t kNoPosition = 0xFFFFFFFFu;
constexpr uint32_t kInfinite = 0xFFFFFFFFu;

struct Code {
  uint32_t bits;   // the token's bits, first bit in bit 0
  uint32_t count;  // number of bits
};

// Copy flag, length code and extra bits of each length value 0 to 517.
constexpr std::array<Code, kEndValue + 1> BuildLengthCodes() {
  std::array<Code, kEndValue + 1> codes{};
  for (uint32_t s = 0; s < 16; ++s) {
    for (uint32_t extra = 0; extra < (1u << kLengthExtra[s]); ++extra) {
      const uint32_t value = kLengthBase[s] + extra;
      if (value > kEndValue) break;
      codes[value] = Code{1u | (uint32_t{kLengthCode[s]} << 1) | (extra << (1 + kLengthBits[s])),
                          1u + kLengthBits[s] + kLengthExtra[s]};
    }
  }
  return codes;
}
constexpr auto kLengthCodes = BuildLengthCodes();

class BitWriter {
 public:
  explicit BitWriter(std::string& out) : out_(out) {}
  void Put(uint32_t bits, uint32_t count) {
    acc_ |= uint64_t{bits} << held_;
    held_ += count;
    if (held_ >= 32) {
      char b[4];
      for (int i = 0; i < 4; ++i) b[i] = static_cast<char>(acc_ >> (8 * i));
      out_.append(b, 4);
      acc_ >>= 32;
      held_ -= 32;
    }
  }
  // Writes the bits held, the last byte padded with zero bits.
  void Finish() {
    while (held_ > 0) {
      out_.push_back(static_cast<char>(acc_));
      acc_ >>= 8;
      held_ = held_ > 8 ? held_ - 8 : 0;
    }
  }

 private:
  std::string& out_;
  uint64_t acc_ = 0;
  uint32_t held_ = 0;
};

class Encoder {
 public:
  Encoder(std::string_view data, Coding coding, uint32_t dict_bits, std::string& out)
      : data_(reinterpret_cast<const unsigned char*>(data.data())),
        size_(data.size()),
        coding_(coding),
        dict_bits_(dict_bits),
        max_distance_(64u << dict_bits),
        writer_(out),
        head_(size_t{1} << kHashBits, kNoPosition),
        head2_(size_t{1} << kHash2Bits, kNoPosition),
        prev_(max_distance_, kNoPosition) {
    for (uint32_t b = 0; b < 256; ++b)
      literal_cost_[b] = coding == kAscii ? 1u + kAsciiBits[b] : 9u;
  }

  void Run() {
    std::vector<uint32_t> cost(kBlockBytes + 1);
    std::vector<uint16_t> length(kBlockBytes + 1), distance(kBlockBytes + 1);
    std::vector<uint32_t> path;
    for (size_t start = 0; start < size_; start += kBlockBytes) {
      const size_t end = std::min(size_, start + kBlockBytes);
      ParseBlock(start, end, cost, length, distance);
      // Walk back from the block end, then emit forwards.
      path.clear();
      for (size_t k = end - start; k > 0; k -= length[k]) path.push_back(static_cast<uint32_t>(k));
      size_t pos = start;
      for (auto it = path.rbegin(); it != path.rend(); ++it) {
        const uint32_t len = length[*it];
        if (len == 1) {
          PutLiteral(data_[pos]);
        } else {
          PutCopy(len, distance[*it]);
        }
        pos += len;
      }
    }
    const Code& end = kLengthCodes[kEndValue];
    writer_.Put(end.bits, end.count);
    writer_.Finish();
  }

 private:
  uint32_t Hash3(size_t pos) const {
    const uint32_t v = data_[pos] | (uint32_t{data_[pos + 1]} << 8) | (uint32_t{data_[pos + 2]} << 16);
    return (v * 2654435761u) >> (32 - kHashBits);
  }
  uint32_t Hash2(size_t pos) const {
    return ((data_[pos] | (uint32_t{data_[pos + 1]} << 8)) * 2654435761u) >> (32 - kHash2Bits);
  }

  uint32_t LowBits(uint32_t len) const { return len == 2 ? 2 : dict_bits_; }
  uint32_t CopyCost(uint32_t len, uint32_t dist) const {
    const uint32_t low = LowBits(len);
    return kLengthCodes[len - 2].count + kDistanceBits[(dist - 1) >> low] + low;
  }

  void PutLiteral(unsigned char b) {
    if (coding_ == kAscii) {
      writer_.Put(uint32_t{kAsciiCode[b]} << 1, 1u + kAsciiBits[b]);
    } else {
      writer_.Put(uint32_t{b} << 1, 9);
    }
  }
  void PutCopy(uint32_t len, uint32_t dist) {
    const Code& lc = kLengthCodes[len - 2];
    writer_.Put(lc.bits, lc.count);
    const uint32_t low = LowBits(len);
    const uint32_t sym = (dist - 1) >> low;
    writer_.Put(kDistanceCode[sym] | (((dist - 1) & ((1u << low) - 1)) << kDistanceBits[sym]),
                kDistanceBits[sym] + low);
  }

  size_t MatchLength(size_t a, size_t b, size_t limit) const {
    size_t n = 0;
    while (n + 8 <= limit) {
      uint64_t x, y;
      std::memcpy(&x, data_ + a + n, 8);
      std::memcpy(&y, data_ + b + n, 8);
      if (x != y) return n + (__builtin_ctzll(x ^ y) >> 3);
      n += 8;
    }
    while (n < limit && data_[a + n] == data_[b + n]) ++n;
    return n;
  }

  // Records the position in the match finders (after searching at it).
  void Insert(size_t pos, size_t end) {
    if (pos + 2 <= end) head2_[Hash2(pos)] = static_cast<uint32_t>(pos);
    if (pos + 3 <= end) {
      const uint32_t h = Hash3(pos);
      prev_[pos & (max_distance_ - 1)] = head_[h];
      head_[h] = static_cast<uint32_t>(pos);
    }
  }

  void ParseBlock(size_t start, size_t end, std::vector<uint32_t>& cost,
                  std::vector<uint16_t>& length, std::vector<uint16_t>& distance) {
    const size_t n = end - start;
    std::fill(cost.begin(), cost.begin() + n + 1, kInfinite);
    cost[0] = 0;
    auto relax = [&](size_t to, uint32_t c, uint32_t len, uint32_t dist) {
      if (c < cost[to]) {
        cost[to] = c;
        length[to] = static_cast<uint16_t>(len);
        distance[to] = static_cast<uint16_t>(dist);
      }
    };
    size_t skip_to = 0;
    size_t previous_best = 0;
    for (size_t k = 0; k < n; ++k) {
      const size_t pos = start + k;
      if (k < skip_to) {
        Insert(pos, end);
        continue;
      }
      const uint32_t base = cost[k];
      relax(k + 1, base + literal_cost_[data_[pos]], 1, 0);
      const size_t limit = std::min<size_t>(kMaxCopy, end - pos);
      size_t best = 1;
      if (limit >= 2) {
        const uint32_t p2 = head2_[Hash2(pos)];
        if (p2 != kNoPosition && pos - p2 <= 256 && data_[p2] == data_[pos] &&
            data_[p2 + 1] == data_[pos + 1]) {
          const uint32_t d = static_cast<uint32_t>(pos - p2);
          relax(k + 2, base + CopyCost(2, d), 2, d);
        }
      }
      if (limit >= 3) {
        uint32_t p = head_[Hash3(pos)];
        // Inside a match just found, the same match one byte on is likely
        // the best again: a short search suffices.
        const unsigned max_depth = previous_best >= 5 ? kShortChainDepth : kChainDepth;
        for (unsigned depth = 0; depth < max_depth && p != kNoPosition && pos - p <= max_distance_;
             ++depth) {
          if (data_[p + best] == data_[pos + best] || best == 1) {
            const size_t len = MatchLength(p, pos, limit);
            if (len > best && len >= 3) {
              const uint32_t d = static_cast<uint32_t>(pos - p);
              for (size_t l = std::max<size_t>(best + 1, 3); l <= len; ++l)
                relax(k + l, base + CopyCost(static_cast<uint32_t>(l), d), static_cast<uint32_t>(l), d);
              best = len;
              if (best >= kLongMatch || best == limit) break;
            }
          }
          const uint32_t next = prev_[p & (max_distance_ - 1)];
          if (next == kNoPosition || next >= p) break;
          p = next;
        }
      }
      Insert(pos, end);
      previous_best = best;
      if (best >= kLongMatch) skip_to = k + best;
    }
  }

  const unsigned char* data_;
  size_t size_;
  Coding coding_;
  uint32_t dict_bits_;
  uint32_t max_distance_;
  BitWriter writer_;
  uint32_t literal_cost_[256];
  std::vector<uint32_t> head_;
  std::vector<uint32_t> head2_;
  std::vector<uint32_t> prev_;
};

}  // namespace

std::string Implode(std::string_view data, Coding coding, uint32_t dict_bits) {
  if (dict_bits < kMinDictBits || dict_bits > kMaxDictBits) return {};
  if (coding != kBinary && coding != kAscii) return {};
  std::string out;
  out.reserve(data.size() / 2 + 16);
  out.push_back(static_cast<char>(coding));
  out.push_back(static_cast<char>(dict_bits));
  Encoder(data, coding, dict_bits, out).Run();
  // The expander needs more than 4 bytes in its first read.
  while (out.size() < 5) out.push_back('\0');
  return out;
}

}  // namespace bexa
