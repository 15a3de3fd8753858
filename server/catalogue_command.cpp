// The catalogue subcommand of bexa-server: a volume's catalogue file for
// tests and the demo.
#include <fstream>
#include <iostream>
#include <stdexcept>

#include "catalogue/catalogue_file.h"
#include "platform/codepage.h"

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

std::string CatalogueBytes(const VolumeIndex& index) {
  Catalogue catalogue;
  const std::u16string volume = platform::Utf8ToWide(index.volume.name);
  for (const auto& file : index.files) {
    auto record = std::make_unique<CRolloutFile>();
    for (const auto& v : file.versions)
      record->AddVersion(v.size, platform::Utf8ToWide(v.backup_date),
                         platform::Utf8ToWide(v.modified));
    // Keyed by the stored path: volume, "\", the path below it.
    catalogue[volume + u"\\" + platform::Utf8ToWide(file.path)] = std::move(record);
  }
  ArchiveWriter writer;
  WriteCatalogue(writer, catalogue);
  writer.Flush();
  return writer.bytes();
}

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
  const auto index = store.LoadVolume(account, entry);
  if (!index) throw std::runtime_error("no volume '" + entry + "' for account '" + account + "'");
  const std::string bytes = CatalogueBytes(*index);
  std::ofstream file(out, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + out);
  std::cout << index->files.size() << " files\n";
  return 0;
}

}  // namespace bexa::server
