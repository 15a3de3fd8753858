// The command line of bexa-restore.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace bexa::cli {

enum class Action { kHelp, kCheckLogon, kList, kRestore };
enum class Overwrite { kAsk, kYesAll, kNoAll, kUnique, kUniqueAll };

struct Options {
  Action action = Action::kHelp;
  std::string host;
  int port = 308;
  std::string user;
  std::optional<std::string> password;
  std::optional<std::string> secret_key;
  std::string language = "eng";
  std::string list_path;              // --list PATH (empty: the volumes)
  std::vector<std::string> restore;   // stored paths, PATH or PATH@YYYYMMDDHHMMSS
  std::string to;                     // empty: original locations
  bool flat = false;
  Overwrite overwrite = Overwrite::kAsk;
  bool progress = false;
};

// Parses the arguments (without the program name). On a mistake returns
// nothing and sets `error` to a sentence for the user.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);

// The help text.
std::string HelpText();

// The language offset of eng, esp, cat, euq or gll; -1 for anything else.
int LanguageOffsetOf(const std::string& code);

// A stored path as typed ("//PC1/C/Docs" or "\\PC1\C\Docs\", with an
// optional "@YYYYMMDDHHMMSS"): the path with backslashes and no trailing
// one, and the version's date (empty for the newest).
struct StoredPath {
  std::u16string path;
  std::u16string version;
};
std::optional<StoredPath> ParseStoredPath(const std::string& text, std::string& error);

}  // namespace bexa::cli
