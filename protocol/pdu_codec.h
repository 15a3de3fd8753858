// Encoder and decoder of every PDU type, in both directions, by the layout
// tables. Pure: works on buffer chains and the values record, never on a
// socket.
#pragma once

#include <cstdint>
#include <string_view>

#include "protocol/pdu_buffer.h"
#include "protocol/pdu_values.h"

namespace bexa::protocol {

struct FrameHeader {
  uint8_t kind = 0;
  uint32_t body_length = 0;
};

class PduCodec {
 public:
  // Encodes `type` from the fields of `values` into `frame` (header and
  // body). `version` is the negotiated version text; PROT, ENCR, ENCP and
  // TEST always use the empty text. For File data the outgoing payload is
  // counted in the header but not copied: the caller sends it after the
  // chain. False for an unknown type or when a buffer cannot be had.
  static bool Encode(int type, const PduValues& values, std::u16string_view version,
                     PduChain& frame);

  // Decodes one body. `values` is cleared first and, on success, holds the
  // PDU's fields; for File data the payload buffers are moved out of `body`
  // into the values record. `type` is the body's first byte when there is
  // one (0 otherwise). On failure `values` is cleared again.
  static bool Decode(PduChain& body, std::u16string_view version, PduValues& values, int& type);

  // Reads kind and body length from the first 8 bytes; false when fewer are
  // present. The caller judges the values.
  static bool ReadFrameHeader(const uint8_t* bytes, size_t size, FrameHeader& header);

  // True when the received header may be followed by a body.
  static bool AcceptableHeader(const FrameHeader& header);
};

}  // namespace bexa::protocol
