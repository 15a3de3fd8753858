#include "apps/bexa_host.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <future>
#include <optional>
#include <stdexcept>
#include <thread>

#include "control/bexa_ids.h"
#include "platform/com/control.h"
#include "platform/com/dispatch.h"
#include "platform/com/hresult.h"
#include "platform/com/inproc_server.h"
#include "platform/codepage.h"
#include "platform/sync.h"
#include "platform/ui/window_system.h"
#include "web/web_bridge.h"

namespace bexa::apps {

namespace com = platform::com;
namespace ui = platform::ui;

namespace {

constexpr char kLibrary[] = "libBexa.so";

// The host's own window, in which the control lives: the size of the panel.
constexpr int kHostWindowResource = 1;
constexpr int kHostWidth = 445, kHostHeight = 195;

std::atomic<bool> stop_requested{false};

void OnStopSignal(int) { stop_requested = true; }

void InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  // A second Ctrl-C ends the program at once, also while a dialog waits.
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

// The default launch file: in a new folder that only this user can enter.
std::string PrivateLaunchFile() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string base = runtime && *runtime ? runtime : "/tmp";
  std::string pattern = base + "/bexa-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern + "/open.html";
}

// The first browser found on the path, or empty.
std::string FindBrowser() {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  for (const char* name : {"xdg-open", "sensible-browser", "x-www-browser", "chromium", "firefox"}) {
    std::string dirs = path;
    size_t start = 0;
    while (start <= dirs.size()) {
      size_t end = dirs.find(':', start);
      if (end == std::string::npos) end = dirs.size();
      std::string candidate = dirs.substr(start, end - start) + "/" + name;
      if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
      start = end + 1;
    }
  }
  return {};
}

// Starts the browser on the launch file: the file's name is all that goes
// on its command line. Returns the browser's process id, or 0.
pid_t StartBrowser(const std::string& browser, const std::string& launch_file) {
  pid_t pid = ::fork();
  if (pid == 0) {
    ::execl(browser.c_str(), browser.c_str(), launch_file.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  return pid > 0 ? pid : 0;
}

// Calls member of a new ProcVals by name with one text argument, as a
// page's script does. The result byte as text; nothing when ProcVals has no
// such member; -1 with the reason in error when the call fails.
std::optional<int> InvokeProcVals(const com::InprocServer& server, const std::u16string& member,
                                  const std::u16string& argument, std::string* error) {
  com::ComRef<com::IDispatch> vals;
  com::HRESULT hr = server.CreateInstance(CLSID_ProcVals, com::IID_IDispatch, vals.Out());
  if (!com::Succeeded(hr) || !vals) {
    *error = "cannot create ProcVals: " + com::HresultText(hr);
    return -1;
  }
  com::DispId id = 0;
  hr = vals->GetIDsOfNames(member.c_str(), &id);
  if (hr == com::DISP_E_UNKNOWNNAME) return std::nullopt;
  com::Variant arg = com::Variant::Text(argument);
  com::Variant result;
  if (com::Succeeded(hr)) hr = vals->Invoke(id, &arg, 1, &result);
  if (!com::Succeeded(hr) || result.type != com::VarType::kUi1) {
    *error = "the call failed: " + com::HresultText(hr);
    return -1;
  }
  return result.ui1;
}

// The page's script bridge: POST /call/ProcVals/ChkVals. ProcVals is
// apartment-threaded, so the call runs on the user-interface thread; the
// server's thread waits for it a while.
std::optional<std::string> CallFromPage(ui::WindowSystem& system, const com::InprocServer& server,
                                        const std::string& object, const std::string& member,
                                        const std::string& argument) {
  if (object != "ProcVals") return std::nullopt;
  auto reply = std::make_shared<std::promise<std::optional<std::string>>>();
  std::future<std::optional<std::string>> future = reply->get_future();
  system.PostTask([&server, reply, member = platform::Utf8ToWide(member), argument = platform::Utf8ToWide(argument)] {
    std::string error;
    std::optional<int> ret = InvokeProcVals(server, member, argument, &error);
    if (!ret) reply->set_value(std::nullopt);
    else reply->set_value(*ret < 0 ? "error: " + error : std::to_string(*ret));
  });
  if (future.wait_for(std::chrono::seconds(10)) != std::future_status::ready) return "error: busy";
  return future.get();
}

}  // namespace

int ServePanel(const ServeOptions& options) {
  std::string error;
  auto server = com::OpenBesideProgram(kLibrary, &error);
  if (!server) {
    std::fprintf(stderr, "bexa: %s\n", error.c_str());
    return 1;
  }
  int exit_code = 0;
  {
    ui::WindowSystem system;
    web::WebBridge bridge(system);
    bridge.SetScriptCall([&system, &server = *server](const std::string& object, const std::string& member,
                                                      const std::string& argument) {
      return CallFromPage(system, server, object, member, argument);
    });

    // The control is made on this thread, so its panel lives on this
    // thread's window system.
    com::ComRef<com::IControlWindow> control;
    com::HRESULT hr = server->CreateInstance(CLSID_BexaCtrl, com::IID_IControlWindow, control.Out());
    if (!com::Succeeded(hr) || !control) {
      std::fprintf(stderr, "bexa: cannot create the control: %s\n", com::HresultText(hr).c_str());
      return 1;
    }
    uint16_t port = 0;
    try {
      port = bridge.Start(options.port);
    } catch (const std::runtime_error& e) {
      std::fprintf(stderr, "bexa: cannot serve on 127.0.0.1:%u: %s\n", options.port, e.what());
      return 1;
    }
    const std::string launch_file = options.launch_file.empty() ? PrivateLaunchFile() : options.launch_file;
    if (launch_file.empty() || !bridge.WriteLaunchFile(launch_file)) {
      std::fprintf(stderr, "bexa: cannot write the launch file %s\n", launch_file.c_str());
      return 1;
    }
    InstallStopSignals();
    std::printf("bexa: serving the panel on 127.0.0.1:%u\n", port);
    std::printf("bexa: launch file (opens the page): %s\n", launch_file.c_str());
    // The address holds the page's token: it goes to the user's own
    // terminal only, never into a redirected output or log.
    if (::isatty(STDOUT_FILENO)) std::printf("bexa: open %s\n", bridge.LaunchUrl().c_str());
    std::printf("bexa: Ctrl-C stops\n");
    std::fflush(stdout);
    if (options.open_browser) {
      const std::string browser = FindBrowser();
      if (browser.empty()) {
        std::fprintf(stderr, "bexa: no browser found; open the launch file yourself\n");
      } else if (StartBrowser(browser, launch_file) == 0) {
        std::fprintf(stderr, "bexa: cannot start %s\n", browser.c_str());
      }
    }

    // A stop may come while a dialog waits in its own loop (the logon's
    // Secret Key Entry, a question): cancel dialogs until the main loop
    // sees the stop.
    std::atomic<bool> main_loop_done{false};
    std::thread stop_watch([&system, &main_loop_done] {
      while (!main_loop_done) {
        platform::SleepMs(100);
        if (!stop_requested || main_loop_done) continue;
        system.PostTask([&system] {
          if (int modal = system.ModalWindow(); modal != 0) system.EndModal(modal, ui::kIdCancel);
        });
      }
    });
    // The page is served before the control gets its window: the panel
    // may ask for the connection values (Manual Settings) as it is made.
    ui::DialogTemplate frame;
    frame.resource_id = kHostWindowResource;
    frame.caption = u"Bexa";
    frame.width = kHostWidth;
    frame.height = kHostHeight;
    const int window = system.CreateFromTemplate(frame, ui::WindowKind::kPanel, nullptr);
    // The host window itself stays hidden: the page shows the panel alone.
    const com::ComRect bounds{0, 0, kHostWidth, kHostHeight};
    int32_t created = -1;
    hr = control->CreateControlWindow(static_cast<com::WindowHandle>(window), bounds, &created);
    if (!com::Succeeded(hr) || created != 0) {
      std::fprintf(stderr, "bexa: the control has no window: %s\n", com::HresultText(hr).c_str());
      stop_requested = true;
      exit_code = 1;
    }

    // Drawing shows the panel; its first show logs on.
    if (!stop_requested) control->Draw(bounds, bounds);
    while (!stop_requested) {
      system.PumpPendingMessages();
      platform::SleepMs(20);
    }
    main_loop_done = true;
    stop_watch.join();
    std::printf("bexa: stopping\n");
    std::fflush(stdout);
    control->DestroyControlWindow();
    control.Reset();
    system.PumpPendingMessages();
    bridge.Stop();
    std::error_code ignored;
    if (options.launch_file.empty()) {
      std::filesystem::remove(launch_file, ignored);
      std::filesystem::remove(std::filesystem::path(launch_file).parent_path(), ignored);
    }
    if (server->CanUnloadNow() != com::S_OK) {
      std::fprintf(stderr, "bexa: the library still has live objects\n");
      exit_code = 1;
    }
  }
  return exit_code;
}

int CallChkVals(const std::u16string& settings, std::string* error) {
  auto server = com::OpenBesideProgram(kLibrary, error);
  if (!server) return -1;
  std::optional<int> ret = InvokeProcVals(*server, u"ChkVals", settings, error);
  if (!ret) {
    *error = "ProcVals has no ChkVals";
    return -1;
  }
  return *ret;
}

}  // namespace bexa::apps
