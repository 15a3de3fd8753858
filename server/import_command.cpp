// The import and catalogue subcommands of bexa-server.
#include <iostream>
#include <stdexcept>

#include "server/command_line.h"
#include "server/importer.h"

namespace bexa::server {

namespace {

const char kImportUsage[] =
    "usage: bexa-server import --store DIR --account USER --volume '\\\\PC1\\C'\n"
    "                          --computer PC1 HOST_FOLDER [--compress] [--encrypt]\n"
    "                          [--date YYYYMMDDHHMMSS] [--create]\n"
    "\n"
    "Adds one backup version of every file below HOST_FOLDER to the volume: a new\n"
    "version only where size, last-write time or CRC-32 changed. The volume's\n"
    "entry in the system list is COMPUTER:VOLUME (for example PC1:\\\\PC1\\C).\n"
    "\n"
    "  --compress   store the data imploded (binary or ASCII coding and the\n"
    "               dictionary size chosen per file)\n"
    "  --encrypt    encipher the stored data with the account's data key\n"
    "               (secret key, else password, else user name): AES-128 ECB,\n"
    "               whole blocks, the tail in the clear\n"
    "  --date       the backup date of the new versions (default: now)\n"
    "  --create     make the store (config.json) when it does not exist\n";

}  // namespace

int ImportCommand(Arguments& args) {
  if (args.Flag("--help")) {
    std::cout << kImportUsage;
    return 0;
  }
  const std::string dir = args.Required("--store");
  ImportOptions options;
  options.account = args.Required("--account");
  options.volume = args.Required("--volume");
  options.computer = args.Required("--computer");
  options.compress = args.Flag("--compress");
  options.encrypt = args.Flag("--encrypt");
  const bool create = args.Flag("--create");
  options.backup_date = args.Value("--date", "");
  if (!options.backup_date.empty() &&
      (options.backup_date.size() != 14 ||
       options.backup_date.find_first_not_of("0123456789") != std::string::npos))
    throw UsageError("--date takes 14 digits, YYYYMMDDHHMMSS");
  const auto operands = args.Operands();
  args.RequireDone();
  if (operands.size() != 1) throw UsageError("one HOST_FOLDER is needed");
  options.folder = operands[0];
  const Store store = Store::Open(dir, create);
  const ImportResult r = ImportFolder(store, options);
  std::cout << r.files_seen << " files, " << r.versions_added << " new versions\n";
  return 0;
}

}  // namespace bexa::server
