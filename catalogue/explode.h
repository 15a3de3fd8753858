// The expander of the implode format (see implode_format.h): the file data
// receiver runs it on its writer thread with callbacks that pull the
// received bytes and write the expanded ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace bexa {

// Result codes of Explode.
enum ExplodeResult : uint32_t {
  kExplodeOk = 0,
  kExplodeBadDictionary = 1,  // dictionary bits not 4, 5 or 6
  kExplodeBadCoding = 2,      // literal coding not 0 or 1
  kExplodeShortHeader = 3,    // the first read delivered 4 bytes or fewer
  kExplodeBadData = 4,        // the stream ended before the end code
};

// Asked for `*size` (always 2,048) bytes into `buffer`; returns the number
// delivered, 0 when there is no more input.
using ExplodeReadFn = unsigned (*)(char* buffer, unsigned* size, void* param);
// Takes `*size` bytes of output from `buffer` (valid during the call only).
using ExplodeWriteFn = void (*)(char* buffer, unsigned* size, void* param);

constexpr size_t kExplodeWorkAreaSize = 12596;
constexpr unsigned kExplodeReadSize = 2048;
constexpr unsigned kExplodeWriteSize = 4096;

// The caller's scratch memory for one Explode call; its contents before the
// call do not matter.
struct ExplodeWorkArea {
  alignas(16) unsigned char bytes[kExplodeWorkAreaSize];
};

// Expands one stream. Output reaches `write` in pieces of 4,096 bytes,
// followed by one piece with the rest (possibly empty), also after a
// truncated stream (result 4). Results 1 to 3 write nothing.
// A copy reaching before the first output reads zero bytes.
uint32_t Explode(ExplodeReadFn read, ExplodeWriteFn write, ExplodeWorkArea* work_area,
                 void* param);

// Convenience for tools and tests: expands `input`, delivered to the
// expander in pieces of at most `piece` bytes (1 to 2,048), appending the
// output to `output`.
uint32_t ExplodeBuffer(std::string_view input, std::string& output,
                       size_t piece = kExplodeReadSize);

}  // namespace bexa
