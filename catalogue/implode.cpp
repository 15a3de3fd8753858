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
// The match finder: for lengths 2, 3 and 4 the newest position that starts
// with the same bytes is the nearest match of that length, so one table per
// length suffices; longer matches come from chains of the positions with the
// same 5 leading bytes, newest first, searched kChainDepth deep. The tables
// hold the low 16 bits of positions (the window is far shorter): an entry
// older than 64 KiB only names a candidate that is measured and found
// wanting.
constexpr unsigned kChainDepth = 4;
constexpr unsigned kHashBits = 15;
// A match at least this long is taken without parsing the positions it
// covers: long repeats would otherwise cost a relaxation per length and byte.
constexpr unsigned kLongMatch = 12;
constexpr uint32_t kInfinite = 0xFFFFFFFFu;
// The farthest a copy of length 2 reaches (its distance has 2 low bits).
constexpr uint32_t kMaxDistance2 = 64u << 2;

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

// A copy the match finder found: the nearest one of its length or longer.
struct Match {
  uint32_t length;
  uint32_t distance;
};

// One position of a block in the parse: the cheapest cost in bits of reaching
// it and the last token on that way (length 1 is a literal), packed so that
// the cheaper of two is the smaller number.
class Step {
 public:
  Step() = default;
  Step(uint32_t cost, uint32_t length, uint32_t distance)
      : packed_(uint64_t{cost} << 32 | length << 16 | distance) {}
  uint32_t cost() const { return static_cast<uint32_t>(packed_ >> 32); }
  uint32_t length() const { return static_cast<uint32_t>(packed_ >> 16) & 0xFFFF; }
  uint32_t distance() const { return static_cast<uint32_t>(packed_) & 0xFFFF; }
  // Keeps the cheaper way (without a branch: which wins is unpredictable).
  void Relax(Step other) { packed_ = std::min(packed_, other.packed_); }

 private:
  uint64_t packed_ = 0;
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
        head2_(size_t{1} << kHashBits),
        head3_(size_t{1} << kHashBits),
        head4_(size_t{1} << kHashBits),
        head5_(size_t{1} << kHashBits),
        prev_(max_distance_) {
    for (uint32_t b = 0; b < 256; ++b)
      literal_cost_[b] = coding == kAscii ? 1u + kAsciiBits[b] : 9u;
    for (uint32_t len = kMinCopy; len <= kMaxCopy; ++len) length_cost_[len] = kLengthCodes[len - 2].count;
  }

  void Run() {
    std::vector<Step> steps(kBlockBytes + 1);
    std::vector<uint32_t> path;
    for (size_t start = 0; start < size_; start += kBlockBytes) {
      const size_t end = std::min(size_, start + kBlockBytes);
      ParseBlock(start, end, steps);
      // Walk back from the block end, then emit forwards.
      path.clear();
      for (size_t k = end - start; k > 0; k -= steps[k].length()) path.push_back(static_cast<uint32_t>(k));
      size_t pos = start;
      for (auto it = path.rbegin(); it != path.rend(); ++it) {
        const Step& step = steps[*it];
        if (step.length() == 1) {
          PutLiteral(data_[pos]);
        } else {
          PutCopy(step.length(), step.distance());
        }
        pos += step.length();
      }
    }
    const Code& end = kLengthCodes[kEndValue];
    writer_.Put(end.bits, end.count);
    writer_.Finish();
  }

 private:
  uint32_t LowBits(uint32_t len) const { return len == 2 ? 2 : dict_bits_; }
  // Bits of the distance part of a copy (its code and low bits).
  uint32_t DistanceCost(uint32_t len, uint32_t dist) const {
    const uint32_t low = LowBits(len);
    return kDistanceBits[(dist - 1) >> low] + low;
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

  static uint64_t Load64(const unsigned char* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
  }
  // The table slots of a position: hashes of its first 2, 3, 4 and 5 bytes.
  struct Slots {
    uint32_t h2, h3, h4, h5;
  };
  // Needs 8 bytes at `pos`.
  static Slots SlotsAt(const unsigned char* p) {
    const uint64_t v = Load64(p);
    auto hash = [](uint64_t prefix, uint64_t mul) {
      return static_cast<uint32_t>((prefix * mul) >> (64 - kHashBits));
    };
    return Slots{hash(v << 48, 0x9E3779B185EBCA87ull), hash(v << 40, 0xC2B2AE3D27D4EB4Full),
                 hash(v << 32, 0x165667B19E3779F9ull), hash(v << 24, 0xD6E8FEB86659FD93ull)};
  }
  // The slots near the end of the data, from the bytes that exist.
  Slots SlotsNearTheEnd(size_t pos) const {
    unsigned char bytes[8] = {};
    std::memcpy(bytes, data_ + pos, std::min<size_t>(8, size_ - pos));
    return SlotsAt(bytes);
  }

  // Records `pos` in the match finder's tables.
  void Insert(size_t pos, const Slots& slots) {
    const size_t left = size_ - pos;
    const auto p = static_cast<uint16_t>(pos);
    if (left >= 2) head2_[slots.h2] = p;
    if (left >= 3) head3_[slots.h3] = p;
    if (left >= 4) head4_[slots.h4] = p;
    if (left >= 5) {
      prev_[pos & (max_distance_ - 1)] = head5_[slots.h5];
      head5_[slots.h5] = p;
    }
  }

  // Stores in `matches` the copies possible at `pos` (before it is
  // inserted), lengths rising, each the nearest of its length that was found,
  // and returns their number. Every length is measured, so a hash collision
  // can only hide a match, never report a wrong one.
  size_t Find(size_t pos, const Slots& slots, size_t longest_needed, Match* matches) const {
    const size_t left = size_ - pos;
    if (left < 8) return FindNearTheEnd(pos, slots, matches);
    const size_t limit = std::min<size_t>(kMaxCopy, left);
    size_t found = 0;
    size_t best = 1;
    // The newest candidates for 2, 3 and 4 equal bytes, without branches:
    // which of them match is as good as random.
    const uint64_t here = Load64(data_ + pos);
    const uint16_t entries[] = {head2_[slots.h2], head3_[slots.h3], head4_[slots.h4]};
    for (size_t i = 0; i < std::min<size_t>(3, longest_needed - 1); ++i) {
      const size_t distance = (pos - entries[i]) & 0xFFFF;
      const bool in_reach = distance - 1 < max_distance_ && distance <= pos;
      const size_t candidate = in_reach ? pos - distance : pos - 1;
      const uint64_t diff = Load64(data_ + candidate) ^ here;
      // Up to 8 bytes here; a longer match is measured once, below.
      size_t len = (__builtin_ctzll(diff | (uint64_t{1} << 63)) >> 3) + (diff == 0);
      len = in_reach ? std::min(len, limit) : 0;
      matches[found] = Match{static_cast<uint32_t>(len), static_cast<uint32_t>(distance)};
      found += len > best;
      best = std::max(best, len);
    }
    if (best == 8 && longest_needed > 8) {
      Match& m = matches[found - 1];
      best = 8 + MatchLength(pos - m.distance + 8, pos + 8, limit - 8);
      m.length = static_cast<uint32_t>(best);
    }
    // Longer copies: only where 4 bytes matched can 5 match.
    if (longest_needed > 4 && best >= 3 && best < kLongMatch && best < limit) {
      // The chain usually starts with the candidate just measured.
      const size_t measured = pos - matches[found - 1].distance;
      size_t p = pos;
      uint16_t entry = head5_[slots.h5];
      for (unsigned depth = 0; depth < kChainDepth;) {
        const size_t step = (p - entry) & 0xFFFF;
        if (step == 0 || step > p || pos - (p - step) > max_distance_) break;
        p -= step;
        if (p != measured) {
          ++depth;
          if (data_[p + best] == data_[pos + best]) {
            const size_t len = MatchLength(p, pos, limit);
            if (len > best) {
              matches[found++] = Match{static_cast<uint32_t>(len), static_cast<uint32_t>(pos - p)};
              best = len;
              if (best >= kLongMatch || best == limit) break;
            }
          }
        }
        entry = prev_[p & (max_distance_ - 1)];
      }
    }
    return found;
  }

  // Find for the last 7 bytes of the data, where 8 bytes cannot be loaded.
  size_t FindNearTheEnd(size_t pos, const Slots& slots, Match* matches) const {
    const size_t left = size_ - pos;
    if (left < 2) return 0;
    size_t found = 0;
    size_t best = 1;
    const int entries[] = {head2_[slots.h2], left >= 3 ? head3_[slots.h3] : -1,
                           left >= 4 ? head4_[slots.h4] : -1};
    for (const int entry : entries) {
      if (entry < 0) continue;
      const size_t distance = (pos - entry) & 0xFFFF;
      if (distance == 0 || distance > max_distance_ || distance > pos) continue;
      const size_t len = MatchLength(pos - distance, pos, left);
      if (len > best) {
        matches[found++] = Match{static_cast<uint32_t>(len), static_cast<uint32_t>(distance)};
        best = len;
      }
    }
    return found;
  }

  void ParseBlock(size_t start, size_t end, std::vector<Step>& steps) {
    const size_t n = end - start;
    std::fill(steps.begin(), steps.begin() + n + 1, Step(kInfinite, 0, 0));
    steps[0] = Step(0, 0, 0);
    Match matches[kMaxCopy];
    size_t skip_to = 0;
    for (size_t k = 0; k < n; ++k) {
      const size_t pos = start + k;
      const Slots slots = size_ - pos >= 8 ? SlotsAt(data_ + pos) : SlotsNearTheEnd(pos);
      if (k < skip_to) {
        Insert(pos, slots);
        continue;
      }
      const uint32_t base = steps[k].cost();
      // When the next position costs no more than this one, a copy of 4 or
      // more from here is no better than the same copy one shorter from
      // there (a shorter length code is never longer): 2 and 3 remain.
      const size_t longest_needed = steps[k + 1].cost() <= base ? 3 : kMaxCopy;
      Relax(steps[k + 1], base + literal_cost_[data_[pos]], 1, 0);
      const size_t found = Find(pos, slots, longest_needed, matches);
      Insert(pos, slots);
      if (found == 0) continue;
      const size_t room = std::min<size_t>(longest_needed, end - pos);
      uint32_t len = kMinCopy;
      // The nearest match comes first: when it is too far for length 2, so
      // is every other.
      if (matches[0].distance > kMaxDistance2) len = 3;
      uint32_t longest = 0;
      for (size_t i = 0; i < found; ++i) {
        const Match& m = matches[i];
        const uint32_t top = static_cast<uint32_t>(std::min<size_t>(m.length, room));
        if (len <= top && len == 2) {
          Relax(steps[k + 2], base + length_cost_[2] + DistanceCost(2, m.distance), 2, m.distance);
          ++len;
        }
        const uint32_t copy_base = base + DistanceCost(3, m.distance);
        for (; len <= top; ++len)
          Relax(steps[k + len], copy_base + length_cost_[len], len, m.distance);
        longest = top;
      }
      if (longest >= kLongMatch) skip_to = k + longest;
    }
  }

  static void Relax(Step& step, uint32_t cost, uint32_t len, uint32_t dist) {
    step.Relax(Step(cost, len, dist));
  }

  const unsigned char* data_;
  size_t size_;
  Coding coding_;
  uint32_t dict_bits_;
  uint32_t max_distance_;
  BitWriter writer_;
  uint32_t literal_cost_[256];
  uint32_t length_cost_[kMaxCopy + 1];
  // Newest position (low 16 bits) of each hash of the first 2, 3, 4 and 5
  // bytes, and for each position in the window the next older one with the
  // same 5-byte hash.
  std::vector<uint16_t> head2_, head3_, head4_, head5_;
  std::vector<uint16_t> prev_;
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
