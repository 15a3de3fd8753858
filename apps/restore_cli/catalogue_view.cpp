#include "apps/restore_cli/catalogue_view.h"

#include <algorithm>
#include <set>

#include "util/dates.h"
#include "util/text.h"

namespace bexa::cli {
namespace {

// The part of a stored path below its volume ("" for the volume itself).
std::u16string BelowVolume(const std::u16string& path, const std::u16string& volume) {
  if (path.size() <= volume.size()) return u"";
  return path.substr(volume.size() + 1);
}

bool StartsWithNoCase(const std::u16string& s, const std::u16string& prefix) {
  return s.size() >= prefix.size() && EqualsNoCase(std::u16string_view(s).substr(0, prefix.size()), prefix);
}

std::u16string DateText(const std::u16string& protocol_date) {
  DateTime d;
  if (!ParseProtocolDate(protocol_date, d)) return protocol_date;
  return ShortDateTimeText(d, true);
}

}  // namespace

const std::pair<const std::u16string, std::u16string>* FindVolume(
    const std::map<std::u16string, std::u16string>& volumes, const std::u16string& path) {
  for (const auto& entry : volumes) {
    const std::u16string& v = entry.first;
    if (StartsWithNoCase(path, v) && (path.size() == v.size() || path[v.size()] == u'\\'))
      return &entry;
  }
  return nullptr;
}

const FileVersionInfo* NewestVersion(const FileHistoryRecord& file) {
  const FileVersionInfo* newest = nullptr;
  for (const auto& v : file.versions) {
    DateTime d;
    if (!ParseProtocolDate(v.backup_date, d)) continue;
    if (!newest || v.backup_date > newest->backup_date) newest = &v;
  }
  return newest;
}

std::vector<SelectionEntry> SelectPath(const VolumeFiles& volume, const StoredPath& path,
                                       std::string& error) {
  std::vector<SelectionEntry> out;
  const std::u16string below = BelowVolume(path.path, volume.volume);
  const std::u16string stored_volume = volume.volume;
  for (const auto& f : volume.files) {
    if (!EqualsNoCase(f.path, below)) continue;
    const FileVersionInfo* chosen = nullptr;
    if (path.version.empty()) {
      chosen = NewestVersion(f);
    } else {
      for (const auto& v : f.versions)
        if (v.backup_date == path.version) chosen = &v;
    }
    if (!chosen) {
      error = "no version of " + WideToUtf8(path.path) +
              (path.version.empty() ? std::string(" has a backup date")
                                    : " was backed up at " + WideToUtf8(path.version));
      return {};
    }
    out.push_back({stored_volume + u"\\" + f.path + u":" + chosen->backup_date, chosen->size, 0});
    return out;
  }
  if (!path.version.empty()) {
    error = WideToUtf8(path.path) + " is not a stored file (a version can be picked for files only)";
    return {};
  }
  const std::u16string prefix = below.empty() ? u"" : below + u"\\";
  for (const auto& f : volume.files) {
    if (!prefix.empty() && !StartsWithNoCase(f.path, prefix)) continue;
    if (const FileVersionInfo* v = NewestVersion(f))
      out.push_back({stored_volume + u"\\" + f.path + u":" + v->backup_date, v->size, 0});
  }
  if (out.empty()) {
    error = "nothing is stored at " + WideToUtf8(path.path);
    return {};
  }
  out.push_back({path.path, -1, 0});  // the folder, selected whole
  return out;
}

std::string ListPath(const VolumeFiles& volume, const std::u16string& path,
                     std::u16string_view thousands) {
  const std::u16string below = BelowVolume(path, volume.volume);
  const std::u16string prefix = below.empty() ? u"" : below + u"\\";
  std::set<std::u16string, bool (*)(const std::u16string&, const std::u16string&)> folders(
      [](const std::u16string& a, const std::u16string& b) { return CompareNoCase(a, b) < 0; });
  std::vector<const FileHistoryRecord*> files;
  for (const auto& f : volume.files) {
    if (!prefix.empty() && !StartsWithNoCase(f.path, prefix)) {
      if (EqualsNoCase(f.path, below)) files.push_back(&f);
      continue;
    }
    const std::u16string rest = f.path.substr(prefix.size());
    const size_t slash = rest.find(u'\\');
    if (slash == std::u16string::npos)
      files.push_back(&f);
    else
      folders.insert(rest.substr(0, slash));
  }
  std::sort(files.begin(), files.end(), [](auto* a, auto* b) { return CompareNoCase(a->path, b->path) < 0; });
  std::string out = WideToUtf8(path) + "\n";
  for (const auto& d : folders) out += "  " + WideToUtf8(d) + "\\\n";
  for (const auto* f : files) {
    const size_t slash = f->path.rfind(u'\\');
    out += "  " + WideToUtf8(slash == std::u16string::npos ? f->path : f->path.substr(slash + 1)) + "\n";
    std::vector<const FileVersionInfo*> versions;
    for (const auto& v : f->versions) versions.push_back(&v);
    std::sort(versions.begin(), versions.end(),
              [](auto* a, auto* b) { return a->backup_date > b->backup_date; });
    for (const auto* v : versions) {
      out += "      @" + WideToUtf8(v->backup_date) + "  backed up " +
             WideToUtf8(DateText(v->backup_date)) + ", modified " + WideToUtf8(DateText(v->modified)) +
             ", " + WideToUtf8(GroupDigits(ToText(v->size), thousands)) + " bytes\n";
    }
  }
  if (folders.empty() && files.empty()) out += "  (nothing stored here)\n";
  return out;
}

}  // namespace bexa::cli
