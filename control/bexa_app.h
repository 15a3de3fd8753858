// The application object of the control library: constructed when the
// library is loaded, with the one session object of the process
// (session/session.h) as its member, and destroyed when the library is
// unloaded (the session then closes its connection and frees its data;
// nothing is saved).
#pragma once

#include "session/session.h"

namespace bexa {

class CBexaApp {
 public:
  CBexaApp() = default;
  CBexaApp(const CBexaApp&) = delete;
  CBexaApp& operator=(const CBexaApp&) = delete;

  Session& session() { return session_; }

 private:
  Session session_;
};

// The one application object of the process.
CBexaApp& TheApp();

}  // namespace bexa
