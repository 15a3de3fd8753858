// The session object: the one process-wide record of the session, held by
// the application object (control/bexa_app.h), created when the library is
// loaded and destroyed when it is unloaded. This is its one home; it grows
// here with the open connection, the security fields, the volume-to-computer
// map and the account's storage figures as the parts that use them arrive.
#pragma once

#include <string>

#include "control/session_parameters.h"
#include "session/texts.h"

namespace bexa {

struct Session {
  // The connection values, with their defaults (port 308, firewall port
  // 1080, language offset 0) until the panel gathers them.
  SessionParameters parameters;
  // The language offset in use and the shared text buffer of 2048
  // characters; the panel sets its offset from parameters.language_offset.
  SessionTexts texts;
  // The account's name as the server shows it, once logged on.
  std::u16string display_name;
};

}  // namespace bexa
