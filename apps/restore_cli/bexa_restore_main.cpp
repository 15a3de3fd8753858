// bexa-restore: the restore engine from the command line.
#include <cstdlib>
#include <iostream>
#include <map>

#include "apps/restore_cli/catalogue_view.h"
#include "apps/restore_cli/console_ui.h"
#include "apps/restore_cli/options.h"
#include "platform/console.h"
#include "platform/drives.h"
#include "platform/locale.h"
#include "platform/system.h"
#include "restore/dcl_expander.h"
#include "restore/restore_engine.h"
#include "restore/session_restore_connection.h"
#include "session/file_histories.h"
#include "session/session.h"
#include "util/text.h"

namespace bexa::cli {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitIncomplete = 1;
constexpr int kExitFailed = 2;

int Fail(const std::string& message) {
  std::cerr << "bexa-restore: " << message << "\n";
  return kExitFailed;
}

// The folder of --to as a Windows path: host paths are mapped through the
// drive table (absolute, or relative to the current folder).
std::u16string DestinationFolder(const std::string& to) {
  if (to.size() >= 2 && (to[1] == ':' || (to[0] == '\\' && to[1] == '\\'))) return Utf8ToWide(to);
  std::string host = to;
  if (host.empty() || host[0] != '/') host = platform::CurrentHostFolder() + "/" + host;
  return platform::WindowsPathOf(host);
}

std::u16string ComputerNameOf(Session& session) { return session.ComputerName(); }

// Logs on, reading the account's volumes. False with the message shown.
bool LogOn(Session& session, ConsoleUi& ui) {
  try {
    if (!session.OpenConnection()) throw CBackupException(101);
    session.LogOn();
    return true;
  } catch (const CBackupException& e) {
    ui.ReportError(e);
    session.CloseConnection();
    return false;
  }
}

std::map<std::u16string, std::u16string> ReadVolumes(Session& session) {
  std::map<std::u16string, std::u16string> volumes;  // volume -> computer
  for (const auto& entry : FetchVolumeList(session)) {
    const size_t colon = entry.find(u':');
    if (colon == std::u16string::npos) continue;
    volumes[entry.substr(colon + 1)] = entry.substr(0, colon);
    session.volume_to_computer()[entry.substr(colon + 1)] = entry.substr(0, colon);
  }
  return volumes;
}

VolumeFiles FetchVolume(Session& session, ConsoleUi& ui, std::vector<std::u16string>& keys,
                        const std::u16string& volume, const std::u16string& computer) {
  ExtendKeyList(session, keys);
  VolumeFiles v;
  v.volume = volume;
  v.computer = computer;
  v.files = FetchFileHistories(session, computer + u":" + volume, keys, &ui, nullptr);
  return v;
}

int Run(const Options& o) {
  Session& session = TheSession();
  SessionParameters p;
  p.server = Utf8ToWide(o.host);
  p.port = o.port;
  p.user = Utf8ToWide(o.user);
  std::string password;
  if (o.password) {
    password = *o.password;
  } else if (const char* env = std::getenv("BEXA_PASSWORD")) {
    password = env;
  } else if (platform::StdinIsTerminal()) {
    if (!platform::ReadSecretLine("Password for " + o.user + ": ", password))
      return Fail("no password given");
  } else {
    return Fail("no password: give --password, set BEXA_PASSWORD, or run it at a terminal");
  }
  p.password = Utf8ToWide(password);
  p.secret_key = o.secret_key ? Utf8ToWide(*o.secret_key) : p.password;
  p.language_offset = LanguageOffsetOf(o.language);
  session.SetParameters(p);
  session.SetLanguageOffset(p.language_offset);

  DestinationChoice destination;
  if (!o.to.empty()) {
    destination.mode = 1;
    destination.folder = DestinationFolder(o.to);
    destination.rebuild_hierarchy = !o.flat;
  } else {
    destination.mode = 0;
  }
  ConsoleUi ui(o, session.texts(), destination);
  session.SetSecretKeyDialog(&ui);
  const std::u16string thousands = platform::ThousandSeparator();

  if (!LogOn(session, ui)) return kExitFailed;
  if (o.action == Action::kCheckLogon) {
    session.CloseConnection();
    std::cout << "Logged on to " << o.host << ":" << o.port << " as " << o.user
              << " (server version " << WideToUtf8(session.server_version().ToText()) << ")\n";
    return kExitOk;
  }

  std::vector<std::u16string> keys;
  std::vector<SelectionEntry> entries;
  try {
    const auto volumes = ReadVolumes(session);
    if (o.action == Action::kList && o.list_path.empty()) {
      session.CloseConnection();
      for (const auto& [volume, computer] : volumes)
        std::cout << WideToUtf8(volume) << "    (backed up as " << WideToUtf8(computer) << ")\n";
      if (volumes.empty()) std::cout << "(no volumes are backed up for this account)\n";
      return kExitOk;
    }
    std::map<std::u16string, VolumeFiles> fetched;
    auto files_of = [&](const std::u16string& path) -> const VolumeFiles* {
      const auto* v = FindVolume(volumes, path);
      if (!v) return nullptr;
      auto it = fetched.find(v->first);
      if (it == fetched.end())
        it = fetched.emplace(v->first, FetchVolume(session, ui, keys, v->first, v->second)).first;
      return &it->second;
    };
    if (o.action == Action::kList) {
      std::string error;
      auto path = ParseStoredPath(o.list_path, error);
      if (!path) return Fail(error);
      const VolumeFiles* v = files_of(path->path);
      session.CloseConnection();
      if (!v) return Fail(WideToUtf8(path->path) + " is on no backed-up volume (see --list)");
      std::cout << ListPath(*v, path->path, thousands);
      return kExitOk;
    }
    for (const auto& text : o.restore) {
      std::string error;
      auto path = ParseStoredPath(text, error);
      if (!path) return Fail(error);
      const VolumeFiles* v = files_of(path->path);
      if (!v) return Fail(WideToUtf8(path->path) + " is on no backed-up volume (see --list)");
      auto selected = SelectPath(*v, *path, error);
      if (selected.empty()) return Fail(error);
      entries.insert(entries.end(), selected.begin(), selected.end());
    }
  } catch (const CBackupException& e) {
    ui.ReportError(e);
    session.CloseConnection();
    return kExitFailed;
  }
  session.CloseConnection();

  // The selection is a sorted set without duplicate keys.
  std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.key < b.key; });
  entries.erase(std::unique(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.key == b.key; }),
                entries.end());
  int64_t count = 0;
  for (const auto& e : entries) count += e.size >= 0;

  RestoreContext ctx;
  ctx.user = p.user;
  ctx.password = p.password;
  ctx.server = p.server;
  ctx.port = p.port;
  ctx.secret_key = session.security().secretKey;
  ctx.computer_name = ComputerNameOf(session);
  ctx.domain_name = session.DomainName();
  ctx.volume_computers = session.volume_to_computer();
  ctx.thousands = thousands;
  ctx.text = [&session](int id) { return std::u16string(session.texts().Get(id)); };
  RestorePanelState panel;
  panel.key_list = keys;
  ShareAvailability shares;
  SessionRestoreConnection connection(session, nullptr, DclExpander());
  const RestoreOutcome out = RunRestore(entries, count, ctx, panel, connection, ui, shares);
  if (out.aborted && !panel.summary.empty()) std::cout << WideToUtf8(panel.summary);
  if (!out.started) return Fail("nothing to restore");
  return out.restored == out.requested && !out.aborted ? kExitOk : kExitIncomplete;
}

}  // namespace
}  // namespace bexa::cli

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  auto options = bexa::cli::ParseOptions(args, error);
  if (!options) {
    std::cerr << "bexa-restore: " << error << "\n";
    return 2;
  }
  if (options->action == bexa::cli::Action::kHelp) {
    std::cout << bexa::cli::HelpText();
    return 0;
  }
  return bexa::cli::Run(*options);
}
