// bexa-catalogue dump FILE [--json]: the entries of a catalogue file with
// their versions, for people who need to look inside one.
#include <cstdio>
#include <filesystem>
#include <string>

#include "catalogue/catalogue_file.h"
#include "platform/codepage.h"
#include "platform/drives.h"
#include "util/dates.h"

namespace {

using namespace bexa;

constexpr const char* kUsage =
    "usage: bexa-catalogue dump FILE [--json]\n"
    "  Prints every entry of a catalogue file (filelist.vdb) with its versions:\n"
    "  one line per version (backup date, modification date, size), and where\n"
    "  a damaged file stopped. With --json, one object\n"
    "  {\"load_ok\": bool, \"entries\": [...]} with the entries in key order.\n"
    "  Exit status: 0 when the load succeeded, 1 when it failed, 2 on bad arguments.\n";

std::string Utf8(std::u16string_view s) { return platform::WideToUtf8(s); }

std::string JsonString(std::u16string_view text) {
  std::string out = "\"";
  for (unsigned char c : Utf8(text)) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof(buf), "\\u%04x", c);
          out += buf;
        } else {
          out.push_back(static_cast<char>(c));
        }
    }
  }
  return out + "\"";
}

std::string DateText(const DateTime& d) {
  if (!d.IsValid()) return d.status() == DateTime::Status::kNull ? "null" : "invalid";
  return Utf8(FormatProtocolDate(d));
}

std::string JsonDate(const DateTime& d) {
  if (!d.IsValid()) return "null";
  const std::u16string text = FormatProtocolDate(d);
  return text.empty() ? "null" : JsonString(text);
}

std::string JsonDates(const COleDateTimeList& list) {
  std::string out = "[";
  for (size_t i = 0; i < list.Count(); ++i) out += (i ? ", " : "") + JsonDate(list.At(i));
  return out + "]";
}

void PrintJson(bool ok, const Catalogue& catalogue) {
  std::printf("{\"load_ok\": %s, \"entries\": [", ok ? "true" : "false");
  bool first = true;
  for (const auto& [key, r] : catalogue) {
    std::string sizes = "[";
    for (size_t i = 0; i < r->sizes().size(); ++i)
      sizes += (i ? ", " : "") + std::to_string(r->sizes()[i]);
    sizes += "]";
    std::printf(
        "%s\n  {\"key\": %s, \"format_version\": %u, \"first\": %u, \"present\": %u, "
        "\"extra_date\": %s, \"second\": %u, \"backup_dates\": %s, \"modified_dates\": %s, "
        "\"sizes\": %s}",
        first ? "" : ",", JsonString(key).c_str(), r->format_version(), r->first_value(),
        r->present(), JsonDate(r->extra_date()).c_str(), r->second_value(),
        JsonDates(r->backup_dates()).c_str(), JsonDates(r->modified_dates()).c_str(), sizes.c_str());
    first = false;
  }
  std::printf("%s]}\n", first ? "" : "\n");
}

void PrintText(bool ok, const Catalogue& catalogue, const CatalogueLoadReport& report) {
  for (const auto& [key, r] : catalogue) {
    const std::string k = Utf8(key);
    const size_t n = std::max({r->backup_dates().Count(), r->modified_dates().Count(), r->sizes().size()});
    if (n == 0) std::printf("%s\t(no versions)\n", k.c_str());
    for (size_t i = 0; i < n; ++i) {
      const std::string b = i < r->backup_dates().Count() ? DateText(r->backup_dates().At(i)) : "-";
      const std::string m = i < r->modified_dates().Count() ? DateText(r->modified_dates().At(i)) : "-";
      const std::string s = i < r->sizes().size() ? std::to_string(r->sizes()[i]) : "-";
      std::printf("%s\tbackup %s\tmodified %s\tsize %s\n", k.c_str(), b.c_str(), m.c_str(), s.c_str());
    }
  }
  if (!ok) {
    std::printf("load failed: the file could not be opened or read (%u entries read)\n",
                report.entries_read);
  } else if (report.format_error) {
    std::printf("damaged file: reading stopped near byte %llu in entry %u of %u; %zu entries kept\n",
                static_cast<unsigned long long>(report.stop_offset), report.entries_read + 1,
                report.map_count, catalogue.size());
  } else {
    std::printf("%u entries in the file, %zu kept\n", report.map_count, catalogue.size());
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string file;
  bool json = false, dump = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (a == "--json") {
      json = true;
    } else if (!dump && a == "dump") {
      dump = true;
    } else if (dump && file.empty() && (a.empty() || a[0] != '-')) {
      file = a;
    } else {
      std::fprintf(stderr, "bexa-catalogue: unexpected argument '%s'\n%s", a.c_str(), kUsage);
      return 2;
    }
  }
  if (!dump || file.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::error_code ec;
  const std::string host = std::filesystem::absolute(file, ec).lexically_normal().string();
  Catalogue catalogue;
  CatalogueLoadReport report;
  const bool ok = LoadCatalogue(platform::WindowsPathOf(host), catalogue, &report);
  if (json) {
    PrintJson(ok, catalogue);
  } else {
    PrintText(ok, catalogue, report);
  }
  return ok ? 0 : 1;
}
