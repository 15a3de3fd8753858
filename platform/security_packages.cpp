#include "platform/security_packages.h"

#include <utility>

namespace bexa::platform {
namespace {

SecurityInterfaceLoader& InstalledLoader() {
  static SecurityInterfaceLoader loader;
  return loader;
}

}  // namespace

int LoadSecurityInterface(std::unique_ptr<SecurityInterface>& table) {
  table.reset();
  if (const SecurityInterfaceLoader& loader = InstalledLoader()) return loader(table);
  // Neither "secur32.dll" nor "security.dll" exists on this platform.
  return kSecurityNoLibrary;
}

SecurityInterfaceLoader SetSecurityInterfaceLoader(SecurityInterfaceLoader loader) {
  return std::exchange(InstalledLoader(), std::move(loader));
}

}  // namespace bexa::platform
