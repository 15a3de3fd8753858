// bexa: the host of the control library. It plays the browser's part: it
// loads libBexa.so through its entry points, runs its registration, hands
// connection values to it through ProcVals, and serves the control's panel
// to a local browser.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>

#include "apps/bexa_host.h"
#include "platform/codepage.h"

#include "platform/com/hresult.h"
#include "platform/com/inproc_server.h"

namespace {

using bexa::platform::com::HRESULT;

constexpr char kLibrary[] = "libBexa.so";

constexpr char kUsage[] =
    "Usage: bexa [--port PORT] [--open] [--launch-file FILE]\n"
    "       bexa --chkvals | --register | --unregister | --help\n"
    "Host of the Bexa control library (libBexa.so, looked up beside this program,\n"
    "then on the loader's path).\n"
    "\n"
    "Without --chkvals, --register or --unregister bexa serves the control's panel\n"
    "at http://127.0.0.1:PORT/ until Ctrl-C (SIGINT or SIGTERM). The page's token\n"
    "is in the launch file, readable by its owner only; the address with the\n"
    "token is printed only when the output is a terminal.\n"
    "\n"
    "  --port PORT         serve on this loopback port (default: a free one)\n"
    "  --open              start the browser on the launch file\n"
    "  --launch-file FILE  write the launch file here (default: a private folder)\n"
    "  --chkvals           read \"lng=..;svr=..;prt=..;usr=..;pwd=..;\" from standard\n"
    "                      input and hand it to the library through ProcVals.ChkVals\n"
    "                      (the handoff file that the panel reads at its logon)\n"
    "  --register          register the library's classes in the registry store\n"
    "                      (BEXA_HOME/registry)\n"
    "  --unregister        remove them again\n"
    "  --help              show this text\n";

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

// The values come on standard input: a password never goes on a command
// line, where other local users can read it.
int RunChkVals() {
  std::string settings((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  while (!settings.empty() && (settings.back() == '\n' || settings.back() == '\r')) settings.pop_back();
  std::string error;
  const int ret = bexa::apps::CallChkVals(bexa::platform::Utf8ToWide(settings), &error);
  if (ret < 0) {
    std::fprintf(stderr, "bexa: %s\n", error.c_str());
    return 1;
  }
  std::printf("ChkVals: %d\n", ret);
  return ret == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--register") == 0) return RunRegistration(true);
  if (argc == 2 && std::strcmp(argv[1], "--unregister") == 0) return RunRegistration(false);
  if (argc == 2 && std::strcmp(argv[1], "--chkvals") == 0) return RunChkVals();
  bexa::apps::ServeOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--open") {
      options.open_browser = true;
    } else if ((arg == "--port" || arg == "--launch-file") && i + 1 < argc) {
      const std::string value = argv[++i];
      if (arg == "--launch-file") {
        options.launch_file = value;
        continue;
      }
      char* end = nullptr;
      const long port = std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || port < 0 || port > 65535) {
        std::fprintf(stderr, "bexa: not a port: %s\n", value.c_str());
        return 2;
      }
      options.port = static_cast<uint16_t>(port);
    } else {
      std::fprintf(stderr, "bexa: unknown option %s\n%s", arg.c_str(), kUsage);
      return 2;
    }
  }
  return bexa::apps::ServePanel(options);
}
