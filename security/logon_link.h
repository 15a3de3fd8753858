// The logon's connection as the security exchanges see it: the connection
// whose send operations and values record they use, and the logon's wait
// for the next PDU (which the session supplies with its own retry and
// give-up rules).
#pragma once

#include "protocol/protocol_connection.h"

namespace bexa {

class LogonLink {
 public:
  // What WaitForPdu returns, when not throwing, for a wait that failed. It is
  // no PDU type, so a failure can never pass for a PDU.
  static constexpr int kNoPdu = -1;

  virtual ~LogonLink() = default;
  virtual protocol::ProtocolConnection& Connection() = 0;
  // Waits for the next PDU and returns its type; its fields are then in
  // Connection().values(). A failed wait throws CBackupException 109, or,
  // with throw_on_failure false, returns kNoPdu.
  virtual int WaitForPdu(bool throw_on_failure = true) = 0;
};

}  // namespace bexa
