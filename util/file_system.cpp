#include "util/file_system.h"

#include "util/exceptions.h"

namespace bexa {
namespace {

constexpr char16_t kPathEmpty[] = u"Path cannot be empty";
constexpr char16_t kPathInvalid[] = u"Path is invalid";
constexpr char16_t kDirectoryEmpty[] = u"Directory cannot be empty";
constexpr std::u16string_view kLongPrefix = u"\\\\?\\";
constexpr std::u16string_view kLongUncPrefix = u"\\\\?\\UNC\\";

bool StartsWith(std::u16string_view s, std::u16string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

}  // namespace

size_t RootLength(std::u16string_view path) {
  if (path.empty()) throw FileSystemException(kPathEmpty);
  const size_t colon = path.find(u':');
  if (colon != std::u16string_view::npos) {
    if (colon + 1 >= path.size()) throw FileSystemException(kPathInvalid);
    return colon + 2;
  }
  size_t s;
  if (StartsWith(path, kLongUncPrefix))
    s = kLongUncPrefix.size();
  else if (StartsWith(path, u"\\\\"))
    s = 2;
  else
    throw FileSystemException(kPathInvalid);
  const size_t server_end = path.find(u'\\', s);
  if (server_end == std::u16string_view::npos || server_end + 2 >= path.size())
    throw FileSystemException(kPathInvalid);
  size_t share_end = path.find(u'\\', server_end + 1);
  if (share_end == std::u16string_view::npos) share_end = path.size() - 1;
  return share_end + 1;
}

bool IsRootPath(std::u16string_view path) {
  if (path.empty()) throw FileSystemException(kPathEmpty);
  const std::u16string with = AddTrailingBackslash(path);
  return RootLength(with) == with.size();
}

std::u16string AddTrailingBackslash(std::u16string_view path) {
  if (path.empty()) throw FileSystemException(kDirectoryEmpty);
  std::u16string out(path);
  if (out.back() != u'\\') out += u'\\';
  return out;
}

std::u16string RemoveTrailingBackslash(std::u16string_view path) {
  if (path.empty()) throw FileSystemException(kDirectoryEmpty);
  std::u16string out(path);
  if (out.back() == u'\\') out.pop_back();
  return out;
}

bool IsLongPath(std::u16string_view path) {
  if (path.empty()) throw FileSystemException(kPathEmpty);
  return path.find(kLongPrefix) != std::u16string_view::npos;
}

std::u16string ToLongPath(std::u16string_view path) {
  if (path.empty()) throw FileSystemException(kPathEmpty);
  if (IsLongPath(path)) return std::u16string(path);
  if (path.find(u":\\") != std::u16string_view::npos) return std::u16string(kLongPrefix) += path;
  if (StartsWith(path, u"\\\\")) return std::u16string(kLongUncPrefix) += path.substr(2);
  return std::u16string(path);
}

bool PathExists(std::u16string_view path) {
  if (path.empty()) throw FileSystemException(kPathEmpty);
  return platform::GetAttributes(ToLongPath(path)) != platform::kInvalidAttributes;
}

bool GetPathAttributes(std::u16string_view path, bool& is_directory) {
  if (path.empty()) throw FileSystemException(kPathEmpty);
  const uint32_t a = platform::GetAttributes(ToLongPath(path));
  if (a == platform::kInvalidAttributes) return false;
  is_directory = (a & platform::kAttrDirectory) != 0;
  return true;
}

bool CreateDirectoryTree(std::u16string_view directory) {
  if (directory.empty()) throw FileSystemException(kDirectoryEmpty);
  if (IsRootPath(directory)) return PathExists(AddTrailingBackslash(directory));
  const std::u16string d = RemoveTrailingBackslash(ToLongPath(directory));
  bool is_directory = false;
  if (GetPathAttributes(d, is_directory)) return is_directory;

  // Create each folder of the chain below the root, then d itself.
  size_t pos = d.find(u'\\', RootLength(d));
  while (pos != std::u16string::npos) {
    const std::u16string part = d.substr(0, pos);
    if (part != u"\\" && !platform::CreateDirectoryAt(part) &&
        platform::LastError() != platform::kErrorAlreadyExists)
      return false;
    pos = d.find(u'\\', pos + 1);
  }
  if (!platform::CreateDirectoryAt(d) && platform::LastError() != platform::kErrorAlreadyExists)
    return false;
  return true;
}

FileError::Cause FileErrorCauseOf(uint32_t os_error) {
  switch (os_error) {
    case 0: return FileError::kNone;
    case 2: return FileError::kFileNotFound;
    case 3:
    case 15:
    case 53:
    case 67:
    case 123:
    case 161:
    case 206: return FileError::kBadPath;
    case 4: return FileError::kTooManyOpenFiles;
    case 5:
    case 19:
    case 80:
    case 183: return FileError::kAccessDenied;
    case 6: return FileError::kInvalidFile;
    case 16: return FileError::kRemoveCurrentDir;
    case 18: return FileError::kDirectoryFull;
    case 25:
    case 131: return FileError::kBadSeek;
    case 29:
    case 30: return FileError::kHardIo;
    case 32: return FileError::kSharingViolation;
    case 33: return FileError::kLockViolation;
    case 39:
    case 112: return FileError::kDiskFull;
    case 38: return FileError::kEndOfFile;
    default: return FileError::kGeneric;
  }
}

bool NS_File::Open(std::u16string_view path, uint32_t flags, FileError* error) {
  auto fail = [&](uint32_t code) {
    if (error) {
      error->os_error = code;
      error->cause = FileErrorCauseOf(code);
      error->file_name = std::u16string(path);
    }
    return false;
  };
  if (path.empty()) return fail(platform::kErrorInvalidName);
  std::u16string name(path);
  if (!IsLongPath(path) && !platform::FullPathName(path, name, 32767))
    return fail(platform::LastError());
  path_ = name;

  uint32_t access;
  switch (flags & 3) {
    case modeWrite: access = platform::kAccessWrite; break;
    case modeReadWrite: access = platform::kAccessReadWrite; break;
    default: access = platform::kAccessRead; break;
  }
  uint32_t creation = platform::kOpenExisting;
  if (flags & modeCreate)
    creation = (flags & modeNoTruncate) ? platform::kOpenAlways : platform::kCreateAlways;
  // Sharing, inheritance and caching flags have no counterpart on this
  // platform: handles are never inherited and files are not locked.
  if (!platform::File::Open(ToLongPath(path_), access, creation))
    return fail(platform::LastError());
  return true;
}

}  // namespace bexa
