// Where the platform keeps its configuration: BEXA_HOME (default ~/.bexa).
#pragma once

#include <string>

namespace bexa::platform {

// $BEXA_HOME, else $HOME/.bexa, else ./.bexa. No trailing "/".
std::string BexaHome();
// $BEXA_HOME/win.ini: [Intl], [Drives], [Shares], [Winlogon].
std::string WinIniPath();
// The Internet cookies folder ($BEXA_HOME/cookies).
std::string CookiesFolder();
// The Windows directory ($BEXA_HOME/windows).
std::string WindowsDirectory();
// The store that registration writes ($BEXA_HOME/registry).
std::string RegistryFolder();

}  // namespace bexa::platform
