// bexa: the host of the control library. It plays the browser's part: it
// loads libBexa.so through its entry points and runs its registration; it
// will create the control and serve its panel to a local browser.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/com/hresult.h"
#include "platform/com/inproc_server.h"

namespace {

using bexa::platform::com::HRESULT;

constexpr char kLibrary[] = "libBexa.so";

constexpr char kUsage[] =
    "Usage: bexa [OPTION]\n"
    "Host of the Bexa control library (libBexa.so, looked up beside this program,\n"
    "then on the loader's path).\n"
    "\n"
    "  --register     register the library's classes in the registry store\n"
    "                 (BEXA_HOME/registry)\n"
    "  --unregister   remove them again\n"
    "  --help         show this text\n"
    "\n"
    "Without an option bexa serves the control's panel to a local browser;\n"
    "that is not available in this build yet.\n";

int RunRegistration(bool do_register) {
  std::string error;
  auto server = bexa::platform::com::OpenBesideProgram(kLibrary, &error);
  if (!server) {
    std::fprintf(stderr, "bexa: %s\n", error.c_str());
    return 1;
  }
  const char* name = do_register ? "DllRegisterServer" : "DllUnregisterServer";
  const HRESULT hr = do_register ? server->RegisterServer() : server->UnregisterServer();
  std::printf("%s of %s: %s\n", name, server->Path().c_str(),
              bexa::platform::com::HresultText(hr).c_str());
  return bexa::platform::com::Succeeded(hr) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--register") == 0) return RunRegistration(true);
  if (argc == 2 && std::strcmp(argv[1], "--unregister") == 0) return RunRegistration(false);
  if (argc == 1) {
    std::fputs("bexa: serving the panel is not available in this build yet; "
               "see bexa --help.\n", stderr);
    return 2;
  }
  std::fprintf(stderr, "bexa: unknown option %s\n%s", argv[1], kUsage);
  return 2;
}
