#include "restore/destination.h"

#include <algorithm>

#include "platform/drives.h"
#include "restore/file_status.h"
#include "util/dates.h"
#include "util/exceptions.h"
#include "util/file_system.h"
#include "util/text.h"

namespace bexa {
namespace {

constexpr int kMaxUniqueNumber = 1000000;

// The volume name with its "\" ("\\PC1\C\") and the rest ("Data\a.txt").
void SplitStoredRoot(const std::u16string& stored, std::u16string& root, std::u16string& rest) {
  size_t start = stored.rfind(u"\\\\", 0) == 0 ? 2 : 0;
  size_t machine_end = stored.find(u'\\', start);
  size_t volume_end =
      machine_end == std::u16string::npos ? machine_end : stored.find(u'\\', machine_end + 1);
  if (volume_end == std::u16string::npos) {
    root = stored + u"\\";
    rest.clear();
    return;
  }
  root = stored.substr(0, volume_end + 1);
  rest = stored.substr(volume_end + 1);
}

// Stem and extension at the last "." of the whole path.
void SplitExtension(const std::u16string& path, std::u16string& stem, std::u16string& ext) {
  const size_t dot = path.rfind(u'.');
  if (dot == std::u16string::npos) {
    stem = path;
    ext.clear();
  } else {
    stem = path.substr(0, dot);
    ext = path.substr(dot);
  }
}

bool Exists(const std::u16string& path) {
  FileStatus st;
  return GetFileStatus(path, st);
}

}  // namespace

bool ShareAvailability::IsAvailable(const std::u16string& share_root) {
  const std::u16string key = ToUpper(share_root);
  if (auto it = answers_.find(key); it != answers_.end()) return it->second;
  // The volume is available when its information can be read: here, when
  // the share is mapped to a folder that exists.
  const bool ok = platform::DriveTypeOf(AddTrailingBackslash(share_root)) != platform::kDriveNoRootDir;
  answers_[key] = ok;
  return ok;
}

std::map<std::u16string, std::u16string> BuildDriveMap(const std::u16string& computer_name) {
  std::map<std::u16string, std::u16string> map;
  for (const auto& d : platform::Drives()) {
    const std::u16string root = Format(u"%c:\\", d.letter);
    map[Format(u"\\\\%s\\%c%s", computer_name, d.letter, root.substr(2))] = root;
  }
  return map;
}

std::u16string DatedName(const std::u16string& path, const DateTime& backup_date) {
  std::u16string date = ShortDateTimeText(backup_date, false);
  if (date.empty()) return path;
  for (auto& c : date) {
    if (c == u'/') c = u'-';
    if (c == u':') c = u'.';
  }
  std::u16string stem, ext;
  SplitExtension(path, stem, ext);
  return Format(u"%s%s%s", stem, date, ext);
}

std::u16string DestinationPath(DestinationRun& run, const std::u16string& stored_path,
                               const std::u16string& backup_date_text, bool dated) {
  if (!dated && run.selected_versions) {
    std::vector<std::u16string> keys = run.selected_versions(stored_path);
    std::sort(keys.begin(), keys.end());
    // An older version of a file selected twice or more gets a dated name.
    dated = keys.size() > 1 && keys.back() != stored_path + u":" + backup_date_text;
  }

  std::u16string path;
  if (run.choice == 0) {
    if (run.drive_map.empty()) run.drive_map = BuildDriveMap(run.computer_name);
    std::u16string root, rest;
    SplitStoredRoot(stored_path, root, rest);
    auto it = std::find_if(run.drive_map.begin(), run.drive_map.end(),
                           [&](const auto& e) { return EqualsNoCase(e.first, root); });
    path = it != run.drive_map.end() ? it->second + rest : stored_path;
  } else if (run.rebuild_hierarchy) {
    std::u16string below = stored_path;
    if (below.rfind(u"\\\\", 0) == 0) below.erase(0, 2);
    if (below.rfind(u"\\", 0) == 0) below.erase(0, 1);
    path = AddTrailingBackslash(run.folder) + below;
  } else {
    const size_t slash = stored_path.rfind(u'\\');
    path = run.folder + u"\\" +
           (slash == std::u16string::npos ? stored_path : stored_path.substr(slash + 1));
  }

  if (const size_t slash = path.rfind(u'\\'); slash != std::u16string::npos && slash > 0) {
    const std::u16string folder = path.substr(0, slash);
    try {
      CreateDirectoryTree(folder);
    } catch (const FileSystemException&) {
      // A folder part that is no path at all: the open of the file reports it.
    }
  }

  if (dated) {
    DateTime backup;
    ParseProtocolDate(backup_date_text, backup);
    path = DatedName(path, backup);
  }
  return path;
}

std::u16string Destination(DestinationRun& run, const DestinationServices& services,
                           const std::u16string& stored_path,
                           const std::u16string& backup_date_text,
                           const std::u16string& last_write_text, int64_t size) {
  if (stored_path.empty()) return {};
  std::u16string path = DestinationPath(run, stored_path, backup_date_text, false);
  if (path.empty()) return {};
  ++run.destination_counter;

  if (path.rfind(u"\\\\", 0) == 0 && services.shares) {
    const size_t server_end = path.find(u'\\', 2);
    const size_t share_end =
        server_end == std::u16string::npos ? server_end : path.find(u'\\', server_end + 1);
    const std::u16string share_root = path.substr(0, share_end);
    if (!services.shares->IsAvailable(share_root)) {
      services.log->Log(Format(services.text(1149), share_root, path), LineKind::kError);
      return {};
    }
  }

  FileStatus existing;
  if (!GetFileStatus(path, existing)) return path;

  if (run.policy == kYes || run.policy == kNo || run.policy == kUniqueName) {
    DateTime new_write;
    ParseProtocolDate(last_write_text, new_write);
    run.policy = services.prompt->Ask(path, existing.size, existing.last_write, size, new_write,
                                      run.dialog_state);
  }

  switch (run.policy) {
    case kNoToAll:
    case kNo:
      services.log->Log(Format(services.text(1150), path), LineKind::kWarning);
      return {};
    case kYesToAll:
    case kYes: {
      if (existing.attributes & 0x01) {
        FileStatus writable = existing;
        writable.attributes &= static_cast<uint8_t>(~0x01);
        bool ok = false;
        try {
          ok = SetFileStatus(path, writable);
        } catch (...) {
          ok = false;
        }
        if (!ok) {
          services.log->Log(Format(services.text(1151), path), LineKind::kError);
          return {};
        }
      }
      return path;
    }
    default: {
      const std::u16string dated = DestinationPath(run, stored_path, backup_date_text, true);
      if (!Exists(dated)) return dated;
      std::u16string stem, ext;
      SplitExtension(dated, stem, ext);
      for (int n = 1; n < kMaxUniqueNumber; ++n) {
        const std::u16string candidate = Format(u"%s (%d)%s", stem, n, ext);
        if (!Exists(candidate)) return candidate;
      }
      return {};  // a folder that full is no place to add one more
    }
  }
}

}  // namespace bexa
