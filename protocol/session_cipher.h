// The session cipher as the transport sees it: a block transformation in
// place (each block by itself, no chaining), and the rule of which bytes of a
// frame it covers. The security layer supplies the implementation.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/pdu_buffer.h"

namespace bexa::protocol {

class SessionCipher {
 public:
  virtual ~SessionCipher() = default;

  // Bytes per block; 8 for every cipher negotiated for a session (the block
  // must divide the 8-byte frame header).
  virtual size_t BlockSize() const = 0;

  // Transform `size` bytes in place, block by block.
  // REQUIRES: size is a multiple of BlockSize(). False on failure.
  virtual bool EncryptRange(uint8_t* data, size_t size) = 0;
  virtual bool DecryptRange(uint8_t* data, size_t size) = 0;
};

// Transforms the largest whole number of blocks that fit in [data, data+size)
// from its start; a shorter tail stays as it is.
bool EncryptWholeBlocks(SessionCipher& cipher, uint8_t* data, size_t size);
bool DecryptWholeBlocks(SessionCipher& cipher, uint8_t* data, size_t size);

// Decrypts the whole blocks of the chain's content range [begin, end),
// counted from `begin` and running on across buffer boundaries (a block that
// straddles two buffers is decrypted as one).
bool DecryptChainRange(SessionCipher& cipher, PduChain& chain, size_t begin, size_t end);

}  // namespace bexa::protocol
