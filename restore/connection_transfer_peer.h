// A file transfer's view of the session connection: File data PDUs become
// data blocks, the verify request its text and CRC, and the transfer's
// Abort and verify response go out as PDUs.
//
// The payload is never copied: each block's owner is the body chain the
// connection received it into, so the writer thread frees the receive
// buffers when it is done with them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "protocol/client_protocol.h"
#include "restore/file_transfer.h"

namespace bexa {

class ConnectionTransferPeer : public TransferPeer {
 public:
  // The connection must outlive the peer.
  explicit ConnectionTransferPeer(protocol::ClientProtocol& connection);

  // Receives the next PDU (blocking, under the connection's exchange lock):
  // File data hands over its payload, one block per receive buffer (a body
  // larger than the largest receive buffer comes as several blocks, `last`
  // only on the final one; a File data without payload gives an empty
  // block); VERR fills the text and CRC. A decode error is
  // kProtocolError, any other receive failure kFailed, another PDU kOther.
  Received Next(DataBlock& block, bool& last, std::u16string& verify_text,
                uint32_t& verify_crc) override;
  void SendAbort(int32_t reason) override;
  // VERP with the status, 0, 0 and an empty text.
  void SendVerifyResponse(int32_t status) override;

 private:
  // Hands over the next non-empty buffer of pending_; false when none is left.
  bool NextSegment(DataBlock& block, bool& last);

  protocol::ClientProtocol& connection_;
  std::shared_ptr<protocol::PduChain> pending_;  // payload buffers not yet handed over
  size_t next_segment_ = 0;
  bool pending_last_ = false;
};

}  // namespace bexa
