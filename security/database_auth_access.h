// The access-key challenge of the user authentication (type 7): the server
// sends an identifier and a session key enciphered with the access key (the
// RIPEMD-160 digest of the password), the client answers with the
// identifier enciphered with that session key. The password itself never
// leaves the machine.
#pragma once

#include <string>

#include "security/logon_link.h"

namespace bexa {

class DatabaseAuthAccess {
 public:
  // access_key: the RIPEMD-160 digest of the password, 40 lowercase hex
  // digits. The link must outlive the object.
  DatabaseAuthAccess(LogonLink& link, std::u16string access_key);
  // Wipes the access key.
  ~DatabaseAuthAccess();
  DatabaseAuthAccess(const DatabaseAuthAccess&) = delete;
  DatabaseAuthAccess& operator=(const DatabaseAuthAccess&) = delete;

  // The client half of the challenge. Returns true when the server's final
  // AUTH grants access (code 3), false for any other code. Throws
  // DatabaseAuthAccessException when no AUTH arrives, the first AUTH is not
  // AUTH_MSG_NEGOTIATE ("%s; msg:%d" with its code), the challenge holds no
  // ":" (it splits at the first one, so the session key may hold more), or
  // the answer cannot be sent.
  bool ProcessAuthRespond();

 private:
  LogonLink& link_;
  std::u16string access_key_;
};

}  // namespace bexa
