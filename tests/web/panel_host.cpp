// A host for the browser test of the main panel: a bexa-server listener with
// a demo account in the test's BEXA_HOME, the handoff file with its values,
// and the panel on the local page server. Prints "READY <port>" once the
// launch file is written, then runs the panel until it is stopped.
//   bexa_panel_host panel LAUNCH_FILE
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "control/main_panel.h"
#include "control/session_parameters.h"
#include "lang/kvo_lang.h"
#include "platform/home.h"
#include "platform/sync.h"
#include "platform/system.h"
#include "server/importer.h"
#include "server/listener.h"
#include "server/store.h"
#include "web/web_bridge.h"

namespace {

using namespace bexa;
namespace ui = platform::ui;
namespace fs = std::filesystem;

volatile std::sig_atomic_t stop = 0;

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

void Import(server::Store& store, const std::string& volume, const std::string& computer,
            const fs::path& folder, const std::string& date) {
  server::ImportOptions o;
  o.account = "ann";
  o.volume = volume;
  o.computer = computer;
  o.folder = folder;
  o.compress = true;
  o.backup_date = date;
  server::ImportFolder(store, o);
}

// The demo account: this computer's C: with two backups, and another
// computer's share.
void MakeDemoStore(const fs::path& dir) {
  server::Store store = server::Store::Open(dir / "store", /*create=*/true);
  server::Account account;
  account.user = "ann";
  account.password = "pw";
  store.accounts.push_back(account);
  store.SaveConfig();
  const fs::path host = dir / "demo";
  const std::string volume = "\\\\" + platform::WideToUtf8(platform::ComputerName()) + "\\C";
  WriteFile(host / "Docs" / "report.txt", "The first draft.");
  WriteFile(host / "Docs" / "budget.xls", std::string(1500, 'b'));
  WriteFile(host / "Docs" / "Photos" / "beach.jpg", std::string(250000, 'p'));
  WriteFile(host / "Docs" / "Photos" / "hills.jpg", std::string(180000, 'h'));
  WriteFile(host / "notes.txt", "notes");
  Import(store, volume, "WORKGRP", host, "20240102030405");
  WriteFile(host / "Docs" / "report.txt", "The second draft, a little longer.");
  Import(store, volume, "WORKGRP", host, "20240203040506");
  fs::remove_all(host);
  WriteFile(host / "shared.txt", "shared");
  Import(store, "\\\\PC2\\D", "OTHER", host, "20240102030405");
}

std::u16string Text(int32_t id) {
  std::u16string buffer(kKvolBufferSize, u'\0');
  KVOL_get(id, buffer.data());
  return std::u16string(buffer.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: bexa_panel_host panel LAUNCH_FILE\n";
    return 2;
  }
  std::signal(SIGTERM, [](int) { stop = 1; });
  const fs::path home = platform::BexaHome();
  MakeDemoStore(home);
  server::ServerOptions options;
  options.store_dir = home / "store";
  options.port = 0;
  server::Listener listener(options);
  listener.Start();
  const std::u16string settings = u"lng=ENG;svr=127.0.0.1;prt=" +
                                  platform::Utf8ToWide(std::to_string(listener.port())) +
                                  u";usr=ann;pwd=pw;";
  fs::create_directories(platform::WindowsDirectory());
  fs::create_directories(home / "drive_c");  // drive C: is there
  if (WriteHandoffFile(settings, HandoffFilePath()) != 0) {
    std::cerr << "cannot write the handoff file\n";
    return 1;
  }

  ui::WindowSystem system;
  web::WebBridge bridge(system);
  ui::WindowMessageBoxes boxes(system);
  ui::ScopedMessageBoxes scoped(boxes);
  bridge.Start();
  if (!bridge.WriteLaunchFile(argv[2])) {
    std::cerr << "cannot write the launch file\n";
    return 1;
  }
  std::cout << "READY " << bridge.port() << std::endl;

  // Like a browser, the host shows the panel once the page is there.
  while (!stop && bridge.PageCount() == 0) {
    system.PumpPendingMessages();
    platform::SleepMs(10);
  }
  Session& session = TheSession();
  MainPanel panel(system, session, Text);
  panel.Create();
  panel.Show(true);
  while (!stop) {
    system.PumpPendingMessages();
    platform::SleepMs(5);
  }
  return 0;
}
