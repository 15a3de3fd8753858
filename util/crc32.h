// CRC-32 of the zip polynomial, the check of every restored file and of the
// protocol's verify exchange.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bexa {

// Continues `crc` (0 to start) over `size` bytes; any size, no pieces needed.
uint32_t Crc32(uint32_t crc, const void* data, size_t size);

}  // namespace bexa
