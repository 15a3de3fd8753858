// The catalogue subcommand of bexa-server: a volume's catalogue file for
// tests and the demo.
#include <iostream>
#include <stdexcept>

#include "server/command_line.h"
#include "server/store.h"

namespace bexa::server {

namespace {

const char kCatalogueUsage[] =
    "usage: bexa-server catalogue --store DIR --account USER --volume ENTRY --out FILE\n"
    "\n"
    "Writes the file histories of one volume (ENTRY as the system list names it,\n"
    "for example PC1:\\\\PC1\\C) as a catalogue file (filelist.vdb), the archive\n"
    "the client reads before it asks the server for a directory list.\n";

}  // namespace

int CatalogueCommand(Arguments& args) {
  if (args.Flag("--help")) {
    std::cout << kCatalogueUsage;
    return 0;
  }
  const Store store = Store::Open(args.Required("--store"));
  const std::string account = args.Required("--account");
  const std::string entry = args.Required("--volume");
  const std::string out = args.Required("--out");
  args.RequireDone();
  if (!store.LoadVolume(account, entry))
    throw std::runtime_error("no volume '" + entry + "' for account '" + account + "'");
  // The archive writer belongs to the catalogue layer and is not part of
  // this build yet.
  throw std::runtime_error("writing " + out + ": the catalogue archive writer is not available");
}

}  // namespace bexa::server
