// Any byte sequence as an implode stream, delivered in pieces whose size the
// first byte chooses: the expander must end with a result code and write only
// bytes it decoded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "catalogue/explode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = 5 + data[0] % 64 * 32;
  std::string out;
  const uint32_t result =
      bexa::ExplodeBuffer(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1), out, piece);
  if (result > 4) std::abort();
  // The whole stream in one piece gives the same output.
  std::string whole;
  if (bexa::ExplodeBuffer(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1), whole) !=
          result && piece >= 5 && size - 1 > 4)
    std::abort();
  if (whole != out) std::abort();
  return 0;
}
