// Status codes of the transport operations.
#pragma once

namespace bexa::protocol {

enum TransportStatus : int {
  kStatusOk = 0,
  kStatusEncodeOrResolve = 1,  // send: not encodable; connect: no name, no socket
  kStatusConnectFailed = 2,
  kStatusShortSend = 3,
  kStatusDecodeError = 4,      // frame header or body invalid
  kStatusReceiveFailed = 5,    // failed or closed while receiving; no receive buffer
  kStatusEncryptFailed = 6,
  kStatusDecryptFailed = 7,
  kStatusPending = 9,          // an asynchronous receive is still waiting
};

}  // namespace bexa::protocol
