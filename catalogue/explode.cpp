#include "catalogue/explode.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "catalogue/implode_format.h"

namespace bexa {
namespace {

using dcl::kDistanceDecode;

// Window: 4,096 bytes of history, then new output up to the flush mark; a
// copy that starts below the mark may run past it by up to 518 bytes, and the
// chunked copy writes up to 15 bytes beyond its end.
constexpr unsigned kHistoryBytes = 4096;
constexpr unsigned kFlushMark = 8192;
constexpr unsigned kWindowBytes = kFlushMark + dcl::kMaxCopy + 32;

// The longest token (copy with dictionary bits 6) has 30 bits; the bit
// buffer is topped up to at least 56 while the input buffer has bytes.
constexpr unsigned kTopUpBits = 56;

struct State {
  ExplodeReadFn read;
  ExplodeWriteFn write;
  void* param;
  uint32_t dict_bits;
  uint32_t low_mask;
  alignas(16) unsigned char window[kWindowBytes];
  alignas(16) unsigned char input[kExplodeReadSize];
};
static_assert(sizeof(State) <= kExplodeWorkAreaSize, "the work area holds the state");
static_assert(alignof(State) <= alignof(ExplodeWorkArea));

// Length code, extra bits and base of the copy length, by the 7 bits after
// the copy flag.
struct LengthEntry {
  uint16_t base;
  uint8_t code_bits;
  uint8_t extra_bits;
};

constexpr std::array<LengthEntry, 128> BuildLengthTable() {
  std::array<LengthEntry, 128> table{};
  for (size_t i = 0; i < table.size(); ++i) {
    const dcl::DecodeEntry e = dcl::kLengthDecode[i];
    table[i] = LengthEntry{dcl::kLengthBase[e.symbol], e.bits, dcl::kLengthExtra[e.symbol]};
  }
  return table;
}
constexpr auto kLengthTable = BuildLengthTable();

inline uint64_t Load64(const unsigned char* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof(v));
  return v;  // little-endian host
}

enum class Outcome { kEnd, kTruncated };

// Decodes tokens until the end code or until the input runs out in the middle
// of a token. A token completes only while at least 8 further bits could be
// loaded after it (the bit buffer never drops below 8 valid bits), except the
// end code, which needs only its own bits. The read callback is asked for more
// only when the input buffer is used up and the current token needs more bits.
template <bool kAscii>
Outcome Decode(State& s, unsigned& out_pos, unsigned in_bytes) {
  uint64_t bits = s.input[2];
  unsigned held = 8;
  unsigned in_pos = 3;
  unsigned op = out_pos;
  unsigned char* const win = s.window;
  const unsigned char* const in = s.input;
  const unsigned dict_bits = s.dict_bits;
  const uint32_t low_mask = s.low_mask;

  for (;;) {
    if (in_pos + 8 <= in_bytes) {
      bits |= Load64(in + in_pos) << held;
      in_pos += (63 - held) >> 3;
      held |= kTopUpBits;
    } else {
      while (held < kTopUpBits && in_pos < in_bytes) {
        bits |= uint64_t{in[in_pos++]} << held;
        held += 8;
      }
    }

    bool end = false;
    unsigned n;
    if (!(bits & 1)) {
      unsigned byte;
      if constexpr (kAscii) {
        const dcl::DecodeEntry e = dcl::kAsciiDecode[(bits >> 1) & 0x1FFF];
        byte = e.symbol;
        n = 1 + e.bits;
      } else {
        byte = static_cast<unsigned>(bits >> 1) & 0xFF;
        n = 9;
      }
      if (n + 8 <= held) {
        win[op++] = static_cast<unsigned char>(byte);
        bits >>= n;
        held -= n;
        if (op >= kFlushMark) goto flush;
        continue;
      }
    } else {
      const LengthEntry le = kLengthTable[(bits >> 1) & 0x7F];
      n = 1 + le.code_bits;
      const unsigned value =
          le.base + (static_cast<unsigned>(bits >> n) & ((1u << le.extra_bits) - 1));
      n += le.extra_bits;
      if (value == dcl::kEndValue) {
        if (n + 8 <= held) break;
        end = n <= held;
      } else {
        const unsigned length = value + 2;
        const dcl::DecodeEntry de = kDistanceDecode[(bits >> n) & 0xFF];
        n += de.bits;
        const unsigned low_bits = length == 2 ? 2 : dict_bits;
        const uint32_t mask = length == 2 ? 3 : low_mask;
        const unsigned distance =
            ((unsigned{de.symbol} << low_bits) | (static_cast<unsigned>(bits >> n) & mask)) + 1;
        n += low_bits;
        if (n + 8 <= held) {
          bits >>= n;
          held -= n;
          unsigned char* dst = win + op;
          const unsigned char* src = dst - distance;
          if (distance >= 16) {
            unsigned char* const stop = dst + length;
            do {
              std::memcpy(dst, src, 16);
              dst += 16;
              src += 16;
            } while (dst < stop);
          } else if (distance >= 8) {
            unsigned char* const stop = dst + length;
            do {
              std::memcpy(dst, src, 8);
              dst += 8;
              src += 8;
            } while (dst < stop);
          } else if (distance == 1) {
            std::memset(dst, *src, length);
          } else {
            for (unsigned i = 0; i < length; ++i) dst[i] = src[i];
          }
          op += length;
          if (op >= kFlushMark) goto flush;
          continue;
        }
      }
    }

    // The token needs more bits than the input buffer holds: it was topped up
    // beyond any token's size, so the buffer is used up.
    {
      unsigned size = kExplodeReadSize;
      const unsigned got = s.read(reinterpret_cast<char*>(s.input), &size, s.param);
      if (end) break;
      if (got == 0) {
        out_pos = op;
        return Outcome::kTruncated;
      }
      in_bytes = std::min(got, kExplodeReadSize);
      in_pos = 0;
      continue;
    }

  flush : {
    unsigned size = kExplodeWriteSize;
    s.write(reinterpret_cast<char*>(win + kHistoryBytes), &size, s.param);
    std::memmove(win, win + kExplodeWriteSize, op - kExplodeWriteSize);
    op -= kExplodeWriteSize;
  }
  }
  out_pos = op;
  return Outcome::kEnd;
}

struct BufferSource {
  std::string_view input;
  size_t pos = 0;
  size_t piece = kExplodeReadSize;
  std::string* output = nullptr;
};

unsigned ReadBuffer(char* buffer, unsigned* size, void* param) {
  auto* src = static_cast<BufferSource*>(param);
  const size_t n = std::min({static_cast<size_t>(*size), src->piece, src->input.size() - src->pos});
  std::memcpy(buffer, src->input.data() + src->pos, n);
  src->pos += n;
  return static_cast<unsigned>(n);
}

void WriteBuffer(char* buffer, unsigned* size, void* param) {
  static_cast<BufferSource*>(param)->output->append(buffer, *size);
}

}  // namespace

uint32_t Explode(ExplodeReadFn read, ExplodeWriteFn write, ExplodeWorkArea* work_area,
                 void* param) {
  State& s = *new (work_area->bytes) State;
  s.read = read;
  s.write = write;
  s.param = param;

  unsigned size = kExplodeReadSize;
  const unsigned in_bytes = std::min(read(reinterpret_cast<char*>(s.input), &size, param),
                                     kExplodeReadSize);
  if (in_bytes <= 4) return kExplodeShortHeader;
  const uint32_t coding = s.input[0];
  s.dict_bits = s.input[1];
  if (s.dict_bits < dcl::kMinDictBits || s.dict_bits > dcl::kMaxDictBits)
    return kExplodeBadDictionary;
  if (coding != dcl::kBinary && coding != dcl::kAscii) return kExplodeBadCoding;
  s.low_mask = 0xFFFFu >> (16 - s.dict_bits);

  // History in front of the first output reads as zero bytes.
  std::memset(s.window, 0, kHistoryBytes);
  unsigned out_pos = kHistoryBytes;
  const Outcome outcome = coding == dcl::kAscii ? Decode<true>(s, out_pos, in_bytes)
                                                : Decode<false>(s, out_pos, in_bytes);
  unsigned rest = out_pos - kHistoryBytes;
  write(reinterpret_cast<char*>(s.window + kHistoryBytes), &rest, param);
  return outcome == Outcome::kEnd ? kExplodeOk : kExplodeBadData;
}

uint32_t ExplodeBuffer(std::string_view input, std::string& output, size_t piece) {
  BufferSource src{input, 0, std::clamp<size_t>(piece, 1, kExplodeReadSize), &output};
  ExplodeWorkArea work;
  return Explode(ReadBuffer, WriteBuffer, &work, &src);
}

}  // namespace bexa
