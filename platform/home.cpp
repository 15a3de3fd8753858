#include "platform/home.h"

#include <cstdlib>

namespace bexa::platform {

std::string BexaHome() {
  std::string home;
  if (const char* env = std::getenv("BEXA_HOME"); env && *env) {
    home = env;
  } else if (const char* user = std::getenv("HOME"); user && *user) {
    home = std::string(user) + "/.bexa";
  } else {
    home = ".bexa";
  }
  while (home.size() > 1 && home.back() == '/') home.pop_back();
  return home;
}

std::string WinIniPath() { return BexaHome() + "/win.ini"; }
std::string CookiesFolder() { return BexaHome() + "/cookies"; }
std::string WindowsDirectory() { return BexaHome() + "/windows"; }
std::string RegistryFolder() { return BexaHome() + "/registry"; }

}  // namespace bexa::platform
