// The serving half of the bexa program: it embeds the control of libBexa.so
// in a window of the web bridge and serves the page until it is told to
// stop, and it hands connection values to the library through ProcVals.
#pragma once

#include <cstdint>
#include <string>

namespace bexa::apps {

struct ServeOptions {
  uint16_t port = 0;          // 0: a free loopback port
  bool open_browser = false;  // start the user's browser on the launch file
  std::string launch_file;    // empty: a private folder of its own
};

// Serves the control's panel until SIGINT or SIGTERM. Returns the program's
// exit code.
int ServePanel(const ServeOptions& options);

// Calls ProcVals.ChkVals by name with settings ("lng=..;svr=..;prt=..;
// usr=..;pwd=..;"). Returns the method's byte (0: the handoff file was
// written), or -1 with the reason in error when the call could not be made.
int CallChkVals(const std::u16string& settings, std::string* error);

}  // namespace bexa::apps
