#include "apps/restore_cli/options.h"

#include <cstdlib>

#include "util/text.h"

namespace bexa::cli {

std::string HelpText() {
  return R"(Usage: bexa-restore --server HOST[:PORT] --user USER [options] ACTION

Restores files from the backup server, or lists what it keeps.

Actions (one of):
  --check-logon          log on and off again; reports a failure with its message
  --list [PATH]          without PATH: the backed-up volumes; with a stored path
                         (\\PC1\C\Docs or //PC1/C/Docs): its folders and files
                         with the versions kept of each
  --restore PATH...      restores stored files or whole folders (newest versions);
                         PATH@YYYYMMDDHHMMSS picks the version backed up then
  --help                 this text

Connection:
  --server HOST[:PORT]   the backup server (port 308 unless given)
  --user USER            the account's user name
  --password PASSWORD    the account's password; without it the environment
                         variable BEXA_PASSWORD, else a prompt that does not echo
  --secret-key KEY       the secret key of enciphered backups (default: the
                         password); asked for when the server rejects it
  --language CODE        eng, esp, cat, euq or gll (the texts of messages)

Restore:
  --to FOLDER            restore below this folder (a host path such as
                         /home/me/restored, or C:\Out); the stored folder
                         hierarchy is rebuilt below it. Default: the files'
                         original locations.
  --flat                 with --to: put every file directly into FOLDER
  --overwrite MODE       what to do with a file that exists already:
                         ask (default: a question per file on the terminal;
                         no terminal means no), yes-all, no-all,
                         unique (a new name, asking again next time),
                         unique-all (new names for all)
  --progress             show a progress line on the terminal

Exit status: 0 when every requested file was restored (or the listing or logon
succeeded), 1 when some were not, 2 on a failed logon or bad arguments.
The summary goes to standard output, errors to standard error.
)";
}

int LanguageOffsetOf(const std::string& code) {
  static const char* kCodes[] = {"eng", "esp", "cat", "euq", "gll"};
  for (int i = 0; i < 5; ++i)
    if (code == kCodes[i]) return i * 1000;
  return -1;
}

std::optional<StoredPath> ParseStoredPath(const std::string& text, std::string& error) {
  StoredPath out;
  std::string path = text;
  const size_t at = path.rfind('@');
  if (at != std::string::npos && path.size() - at - 1 == 14 &&
      path.find_first_not_of("0123456789", at + 1) == std::string::npos) {
    out.version = Utf8ToWide(path.substr(at + 1));
    path.resize(at);
  }
  for (auto& c : path)
    if (c == '/') c = '\\';
  while (path.size() > 2 && path.back() == '\\') path.pop_back();
  // \\COMPUTER\VOLUME at least.
  const size_t machine_end = path.rfind("\\\\", 0) == 0 ? path.find('\\', 2) : std::string::npos;
  if (machine_end == std::string::npos || machine_end == 2 || machine_end + 1 >= path.size()) {
    error = "'" + text + "' is not a stored path: write it as \\\\COMPUTER\\VOLUME\\folder\\file "
            "or //COMPUTER/VOLUME/folder/file";
    return std::nullopt;
  }
  out.path = Utf8ToWide(path);
  return out;
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
  Options o;
  bool have_action = false;
  auto set_action = [&](Action a) {
    if (have_action && o.action != a) {
      error = "give one action only: --check-logon, --list or --restore";
      return false;
    }
    have_action = true;
    o.action = a;
    return true;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0) {
        error = a + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    std::string v;
    if (a == "--help" || a == "-h") {
      o.action = Action::kHelp;
      return o;
    } else if (a == "--server") {
      if (!value(v)) return std::nullopt;
      const size_t colon = v.rfind(':');
      o.host = v.substr(0, colon);
      if (colon != std::string::npos) {
        const std::string port = v.substr(colon + 1);
        char* end = nullptr;
        const long p = std::strtol(port.c_str(), &end, 10);
        if (port.empty() || *end != 0 || p < 1 || p > 65535) {
          error = "the port in --server must be a number from 1 to 65535";
          return std::nullopt;
        }
        o.port = static_cast<int>(p);
      }
      if (o.host.empty()) {
        error = "--server needs a host name or address";
        return std::nullopt;
      }
    } else if (a == "--user") {
      if (!value(o.user)) return std::nullopt;
    } else if (a == "--password") {
      if (!value(v)) return std::nullopt;
      o.password = v;
    } else if (a == "--secret-key") {
      if (!value(v)) return std::nullopt;
      o.secret_key = v;
    } else if (a == "--language") {
      if (!value(o.language)) return std::nullopt;
      if (LanguageOffsetOf(o.language) < 0) {
        error = "--language must be eng, esp, cat, euq or gll";
        return std::nullopt;
      }
    } else if (a == "--check-logon") {
      if (!set_action(Action::kCheckLogon)) return std::nullopt;
    } else if (a == "--list") {
      if (!set_action(Action::kList)) return std::nullopt;
      if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) o.list_path = args[++i];
    } else if (a == "--restore") {
      if (!set_action(Action::kRestore)) return std::nullopt;
      while (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) o.restore.push_back(args[++i]);
      if (o.restore.empty()) {
        error = "--restore needs at least one stored path";
        return std::nullopt;
      }
    } else if (a == "--to") {
      if (!value(o.to)) return std::nullopt;
    } else if (a == "--flat") {
      o.flat = true;
    } else if (a == "--overwrite") {
      if (!value(v)) return std::nullopt;
      if (v == "ask") o.overwrite = Overwrite::kAsk;
      else if (v == "yes-all") o.overwrite = Overwrite::kYesAll;
      else if (v == "no-all") o.overwrite = Overwrite::kNoAll;
      else if (v == "unique") o.overwrite = Overwrite::kUnique;
      else if (v == "unique-all") o.overwrite = Overwrite::kUniqueAll;
      else {
        error = "--overwrite must be ask, yes-all, no-all, unique or unique-all";
        return std::nullopt;
      }
    } else if (a == "--progress") {
      o.progress = true;
    } else {
      error = "unknown argument '" + a + "' (see --help)";
      return std::nullopt;
    }
  }
  if (!have_action) {
    error = "say what to do: --check-logon, --list or --restore (see --help)";
    return std::nullopt;
  }
  if (o.host.empty()) {
    error = "--server is missing";
    return std::nullopt;
  }
  if (o.user.empty()) {
    error = "--user is missing";
    return std::nullopt;
  }
  if (o.flat && o.to.empty()) {
    error = "--flat needs --to FOLDER";
    return std::nullopt;
  }
  return o;
}

}  // namespace bexa::cli
