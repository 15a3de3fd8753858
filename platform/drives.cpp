#include "platform/drives.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <mutex>

#include "platform/codepage.h"
#include "platform/home.h"
#include "platform/profile.h"

namespace bexa::platform {
namespace {

char16_t Upper(char16_t c) { return (c >= u'a' && c <= u'z') ? c - 32 : c; }

bool SameNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

std::string StripSlashes(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::u16string TrimBlanks(std::u16string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == u' ' || s[b] == u'\t')) ++b;
  while (e > b && (s[e - 1] == u' ' || s[e - 1] == u'\t')) --e;
  return std::u16string(s.substr(b, e - b));
}

DriveType TypeByName(std::u16string_view name) {
  struct {
    const char16_t* name;
    DriveType type;
  } static const kTypes[] = {{u"fixed", kDriveFixed},     {u"removable", kDriveRemovable},
                             {u"cdrom", kDriveCdrom},     {u"cd-rom", kDriveCdrom},
                             {u"remote", kDriveRemote},   {u"ramdisk", kDriveRamdisk},
                             {u"unknown", kDriveUnknown}};
  for (const auto& t : kTypes)
    if (SameNoCase(name, t.name)) return t.type;
  return kDriveFixed;
}

struct Tables {
  long long stamp = -2;
  std::string ini_path;
  std::vector<Drive> drives;
  std::vector<Share> shares;
};

// The tables, re-read when win.ini (or BEXA_HOME) changed since the last call.
Tables CurrentTables() {
  static std::mutex mutex;
  static Tables cached;
  const std::string ini = WinIniPath();
  const long long stamp = FileModificationStamp(ini);
  std::lock_guard<std::mutex> lock(mutex);
  if (cached.stamp == stamp && cached.ini_path == ini) return cached;

  Tables t;
  t.stamp = stamp;
  t.ini_path = ini;
  Drive c;
  c.letter = u'C';
  c.host_folder = BexaHome() + "/drive_c";
  Drive z;
  z.letter = u'Z';
  z.host_folder = "/";
  t.drives = {c, z};
  for (const auto& [key, value] : GetProfileSection(u"Drives", ini)) {
    if (key.empty() || Upper(key[0]) < u'A' || Upper(key[0]) > u'Z') continue;
    if (key.size() > 2 || (key.size() == 2 && key[1] != u':')) continue;
    Drive d;
    d.letter = Upper(key[0]);
    std::vector<std::u16string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= value.size(); ++i) {
      if (i == value.size() || value[i] == u',') {
        parts.push_back(TrimBlanks(std::u16string_view(value).substr(start, i - start)));
        start = i + 1;
      }
    }
    d.host_folder = StripSlashes(WideToUtf8(parts[0]));
    if (parts.size() > 1) d.type = TypeByName(parts[1]);
    if (parts.size() > 2) d.remote_name = parts[2];
    auto it = std::find_if(t.drives.begin(), t.drives.end(),
                           [&](const Drive& x) { return x.letter == d.letter; });
    if (it != t.drives.end())
      *it = d;
    else
      t.drives.push_back(d);
  }
  std::sort(t.drives.begin(), t.drives.end(),
            [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
  for (const auto& [key, value] : GetProfileSection(u"Shares", ini)) {
    if (key.size() < 5 || key[0] != u'\\' || key[1] != u'\\') continue;
    t.shares.push_back({key, StripSlashes(WideToUtf8(value))});
  }
  cached = t;
  return t;
}

bool IsDirectory(const std::string& host) {
  struct stat st;
  return ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

const Drive* FindDrive(const Tables& t, char16_t letter) {
  letter = Upper(letter);
  for (const auto& d : t.drives)
    if (d.letter == letter) return &d;
  return nullptr;
}

// Appends the components of `rest` ("a\b\..\c") to `base`, resolving "." and
// ".." without going above base.
std::string JoinComponents(const std::string& base, std::u16string_view rest) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= rest.size(); ++i) {
    if (i == rest.size() || rest[i] == u'\\' || rest[i] == u'/') {
      std::u16string_view part = rest.substr(start, i - start);
      start = i + 1;
      if (part.empty() || part == u".") continue;
      if (part == u"..") {
        if (!parts.empty()) parts.pop_back();
        continue;
      }
      parts.push_back(WideToUtf8(part));
    }
  }
  std::string out = base == "/" ? std::string() : base;
  for (const auto& p : parts) out += "/" + p;
  if (out.empty()) out = "/";
  return out;
}

std::u16string_view StripLongPrefix(std::u16string_view path, bool& unc) {
  unc = false;
  if (path.substr(0, 8) == u"\\\\?\\UNC\\") {
    unc = true;
    return path.substr(8);
  }
  if (path.substr(0, 4) == u"\\\\?\\") return path.substr(4);
  if (path.substr(0, 2) == u"\\\\") {
    unc = true;
    return path.substr(2);
  }
  return path;
}

}  // namespace

std::vector<Drive> Drives() { return CurrentTables().drives; }
std::vector<Share> Shares() { return CurrentTables().shares; }

uint32_t LogicalDrivesMask() {
  uint32_t mask = 0;
  for (const auto& d : CurrentTables().drives) mask |= 1u << (d.letter - u'A');
  return mask;
}

DriveType DriveTypeOf(std::u16string_view root) {
  bool unc = false;
  std::u16string_view p = StripLongPrefix(root, unc);
  Tables t = CurrentTables();
  if (unc) {
    std::string host;
    return MapToHost(root, host) == MapStatus::kOk ? kDriveRemote : kDriveNoRootDir;
  }
  if (p.size() < 2 || p[1] != u':') return kDriveNoRootDir;
  const Drive* d = FindDrive(t, p[0]);
  if (!d || !IsDirectory(d->host_folder)) return kDriveNoRootDir;
  return d->type;
}

bool UniversalNameOf(std::u16string_view drive_path, std::u16string& universal) {
  bool unc = false;
  std::u16string_view p = StripLongPrefix(drive_path, unc);
  if (unc || p.size() < 2 || p[1] != u':') return false;
  Tables t = CurrentTables();
  const Drive* d = FindDrive(t, p[0]);
  if (!d || d->type != kDriveRemote || d->remote_name.empty()) return false;
  std::u16string rest(p.substr(2));
  universal = d->remote_name;
  if (!rest.empty() && rest[0] != u'\\') universal += u'\\';
  universal += rest;
  return true;
}

bool FreeBytesAvailable(std::u16string_view root, uint64_t& free_bytes) {
  std::string host;
  if (MapToHost(root, host) != MapStatus::kOk) return false;
  struct statvfs vfs;
  if (::statvfs(host.c_str(), &vfs) != 0) return false;
  free_bytes = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
  return true;
}

MapStatus MapToHost(std::u16string_view windows_path, std::string& host_path) {
  bool unc = false;
  std::u16string_view p = StripLongPrefix(windows_path, unc);
  Tables t = CurrentTables();
  if (!unc) {
    if (p.size() < 2 || p[1] != u':') return MapStatus::kInvalid;
    const Drive* d = FindDrive(t, p[0]);
    if (!d) return MapStatus::kNoDrive;
    std::u16string_view rest = p.substr(2);
    // "C:dir" is relative to the drive's current folder; there is none here.
    if (!rest.empty() && rest[0] != u'\\' && rest[0] != u'/') return MapStatus::kInvalid;
    host_path = JoinComponents(d->host_folder, rest);
    return MapStatus::kOk;
  }
  // server\share\rest
  size_t server_end = p.find(u'\\');
  if (server_end == 0 || server_end == std::u16string_view::npos) return MapStatus::kInvalid;
  size_t share_end = p.find(u'\\', server_end + 1);
  std::u16string_view share = p.substr(0, share_end);
  if (share.size() <= server_end + 1) return MapStatus::kInvalid;
  std::u16string_view rest =
      share_end == std::u16string_view::npos ? std::u16string_view() : p.substr(share_end);
  const std::u16string name = u"\\\\" + std::u16string(share);
  for (const auto& s : t.shares) {
    if (SameNoCase(s.name, name)) {
      host_path = JoinComponents(s.host_folder, rest);
      return MapStatus::kOk;
    }
  }
  // A remote drive connected to this share reaches it too.
  for (const auto& d : t.drives) {
    if (d.type == kDriveRemote && SameNoCase(d.remote_name, name)) {
      host_path = JoinComponents(d.host_folder, rest);
      return MapStatus::kOk;
    }
  }
  return MapStatus::kNoShare;
}

std::optional<std::string> HostPathOf(std::u16string_view windows_path) {
  std::string host;
  if (MapToHost(windows_path, host) != MapStatus::kOk) return std::nullopt;
  return host;
}

std::u16string WindowsPathOf(std::string_view host_path) {
  Tables t = CurrentTables();
  const Drive* best = nullptr;
  size_t best_len = 0;
  for (const auto& d : t.drives) {
    const std::string& f = d.host_folder;
    bool match = f == "/" ? true
                          : host_path.substr(0, f.size()) == f &&
                                (host_path.size() == f.size() || host_path[f.size()] == '/');
    size_t len = f == "/" ? 0 : f.size();
    if (match && (!best || len > best_len)) best = &d, best_len = len;
  }
  std::u16string out;
  if (!best) return Utf8ToWide(host_path);
  out.push_back(best->letter);
  out += u":";
  std::u16string rest = Utf8ToWide(host_path.substr(best_len));
  for (auto& c : rest)
    if (c == u'/') c = u'\\';
  if (rest.empty() || rest[0] != u'\\') rest.insert(rest.begin(), u'\\');
  out += rest;
  return out;
}

}  // namespace bexa::platform
