// A host for the browser tests: serves one dialog on the local page server,
// writes the launch file (the token never appears on the command line), and
// prints what the dialog returned as one line "RESULT {json}".
//   bexa_dialog_host DIALOG LAUNCH_FILE
// DIALOG: manual, destination, destination-work, replace, progress, status,
// secretkey.
#include <cstdio>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "control/confirm_replace_dialog.h"
#include "control/manual_settings_dialog.h"
#include "control/progress_dialog.h"
#include "control/restore_destination_dialog.h"
#include "control/secret_key_dialog.h"
#include "control/status_box.h"
#include "platform/codepage.h"
#include "platform/sync.h"
#include "platform/ui/folder_picker.h"
#include "web/web_bridge.h"

namespace {

using namespace bexa;
namespace ui = platform::ui;
using nlohmann::json;

// The English texts of the dialogs, as the language library holds them.
const std::map<int, std::u16string> kTexts = {
    {1017, u"Secret Key Entry"},
    {1026, u"Hide"},
    {1027, u"Manual Settings Required"},
    {1028, u"User:"},
    {1029, u"Password:"},
    {1030, u"Server:"},
    {1031, u"\nThis dialog is provided as an alternative for such a case.\nYou may manually enter values here, or cancel to quit. "},
    {1032, u"Unable to get values from cookie. "},
    {1040, u"Restore files to"},
    {1041, u"As files are restored, they can be copied to their original locations, or copied to a temporary folder of your choice.  Existing files will not be overwritten unless requested."},
    {1042, u"Copy files to original locations"},
    {1043, u"Copy files to a temporary folder"},
    {1044, u"Browse"},
    {1045, u"Rebuild folder hierarchy for restored files"},
    {1046, u"A temporary work folder is needed during the restore process to prepare files.  Please select a work folder below."},
    {1047, u"Work folder:"},
    {1048, u"Help"},
    {1049, u"Confirm File Replace"},
    {1050, u"The folder "},
    {1052, u"Would you like to replace the existing file"},
    {1055, u"with this one?"},
    {1056, u"More >>"},
    {1057, u"Yes to All"},
    {1058, u"No to All"},
    {1059, u"Yes"},
    {1060, u"No"},
    {1061, u"Save file with unique name"},
    {1062, u"Save all conflicting files with unique names"},
    {1063, u"Backup Status"},
    {1159, u"Preparing to retrieve file list from server..."},
    {1161, u"%s Status"},
    {1163, u"%s tasks remaining."},
    {1164, u"Are you sure you want to cancel this operation?"},
    {1165, u"Please enter a folder where the files should be restored."},
    {1166, u"Please enter a work folder where the files can be prepared during the restore process."},
    {1167, u"Restore Destination"},
    {1168, u"Hint: %s"},
    {1169, u" Please enter your secret key."},
    {1187, u"already contains a file called "},
    {1188, u"This folder already contains a file called '%s'"},
};

std::u16string Text(int32_t id) {
  auto it = kTexts.find(id % 1000 + 1000);
  return it == kTexts.end() ? std::u16string() : it->second;
}

std::string U8(const std::u16string& s) { return platform::WideToUtf8(s); }

json RunDialog(const std::string& name, ui::WindowSystem& system) {
  const std::u16string display_name = u"Bexa Restore";
  if (name == "manual") {
    ManualSettingsDialog dialog(system, Text);
    std::optional<ManualSettings> v = dialog.Ask(0);
    if (!v) return {{"ok", false}};
    return {{"ok", true}, {"user", U8(v->user)}, {"password", U8(v->password)}, {"server", U8(v->server)}};
  }
  if (name == "destination" || name == "destination-work") {
    RestoreDestinationRequest request;
    request.work_folder_needed = name == "destination-work";
    request.display_name = display_name;
    RestoreDestination result;
    bool ok = AskRestoreDestination(system, Text, request, ui::SystemFolderPicker(system), result);
    return {{"ok", ok},
            {"mode", result.mode},
            {"restoreFolder", U8(result.restore_folder)},
            {"rebuild", result.rebuild},
            {"workFolder", U8(result.work_folder)}};
  }
  if (name == "replace") {
    ReplaceQuestion q;
    q.existing_path = u"C:\\Users\\alice\\Documents\\Quarterly report.doc";
    q.existing_size = 1500;
    q.existing_modified = DateTime::FromParts(2024, 3, 5, 14, 7, 0);
    q.backup_size = 1234567;
    q.backup_date = DateTime::FromParts(2024, 2, 28, 9, 30, 0);
    q.icon = u".doc";
    ReplaceAnswer a = AskReplace(system, Text, q);
    return {{"ok", a.ok}, {"result", a.result}, {"details", a.details}};
  }
  if (name == "progress") {
    ProgressDialog progress(system, Text, 0, display_name);
    progress.Create();
    progress.SetOperationKind(kOperationReceivingFiles);
    progress.StartPhase(Text(1159), 100);
    progress.SetTaskCount(1234);
    progress.SetLowerPosition(35);
    for (int step = 0; progress.IsOpen(); ++step) {
      if (step < 40) {
        progress.Step(u"Receiving file " + platform::Utf8ToWide(std::to_string(step + 1)) + u".dat");
        progress.TaskDone();
      }
      system.PumpPendingMessages();
      platform::SleepMs(20);
    }
    return {{"cancelled", progress.cancelled()}};
  }
  if (name == "status") {
    StatusBoxRequest r;
    r.message = u"The restore finished, but some files could not be restored.";
    r.icon = StatusIcon::kWarning;
    r.hide_cancel = true;
    r.details = u"Restored: 12 files (3,072KB)\r\nSkipped: C:\\Data\\locked.db (in use)\r\nSkipped: C:\\Data\\old.tmp";
    r.flash = std::make_pair(true, 43200u);
    r.display_name = display_name;
    StatusBox box(system, Text, r);
    return {{"button", box.DoModal()}};
  }
  if (name == "secretkey") {
    std::optional<std::u16string> key = AskSecretKey(system, Text, 0, u"the name of my first cat");
    if (!key) return {{"ok", false}};
    return {{"ok", true}, {"key", U8(*key)}};
  }
  return {{"error", "unknown dialog"}};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: bexa_dialog_host DIALOG LAUNCH_FILE\n";
    return 2;
  }
  ui::WindowSystem system;
  web::WebBridge bridge(system);
  bridge.Start();
  if (!bridge.WriteLaunchFile(argv[2])) {
    std::cerr << "cannot write the launch file\n";
    return 1;
  }
  std::cout << "READY " << bridge.port() << std::endl;
  json result = RunDialog(argv[1], system);
  std::cout << "RESULT " << result.dump() << std::endl;
  // The page sees the dialog go before the server stops.
  platform::SleepMs(300);
  return 0;
}
