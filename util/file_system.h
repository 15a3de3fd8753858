// Path helpers on Windows path texts ("\" as separator) with long-path
// support, and the system's file class. Bad arguments throw
// FileSystemException with a fixed text; failures of the file system are
// reported by the return value.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace bexa {

// Characters of the root part: "C:\" of C:\dir (the ":" and the character
// after it), "\\server\share\" of a UNC path (or the whole text when nothing
// follows the share), and the same for the long forms.
// Throws "Path cannot be empty" or "Path is invalid".
size_t RootLength(std::u16string_view path);

// True when the path with a trailing "\" is only its root.
bool IsRootPath(std::u16string_view path);

// Throw "Directory cannot be empty".
std::u16string AddTrailingBackslash(std::u16string_view path);
std::u16string RemoveTrailingBackslash(std::u16string_view path);

// True when the text contains "\\?\" anywhere.
bool IsLongPath(std::u16string_view path);

// C:\a -> \\?\C:\a, \\srv\share\a -> \\?\UNC\srv\share\a; long and relative
// paths stay as they are.
std::u16string ToLongPath(std::u16string_view path);

// Whether the attributes of the long form can be read.
bool PathExists(std::u16string_view path);
bool GetPathAttributes(std::u16string_view path, bool& is_directory);

// Creates every missing folder of the chain; true when the directory exists
// afterwards. An existing file of that name gives false.
bool CreateDirectoryTree(std::u16string_view directory);

// The error record of a failed open.
struct FileError {
  // Causes of the platform's file exception.
  enum Cause : int {
    kNone = 0,
    kGeneric = 1,
    kFileNotFound = 2,
    kBadPath = 3,
    kTooManyOpenFiles = 4,
    kAccessDenied = 5,
    kInvalidFile = 6,
    kRemoveCurrentDir = 7,
    kDirectoryFull = 8,
    kBadSeek = 9,
    kHardIo = 10,
    kSharingViolation = 11,
    kLockViolation = 12,
    kDiskFull = 13,
    kEndOfFile = 14,
  };
  Cause cause = kNone;
  uint32_t os_error = 0;
  std::u16string file_name;
};

// The system's file: the platform file, opened through the long-path form.
class NS_File : public platform::File {
 public:
  // Mode flags of the platform file class.
  enum : uint32_t {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000,
    osNoBuffer = 0x10000,
    osWriteThrough = 0x20000,
    osRandomAccess = 0x40000,
    osSequentialScan = 0x80000,
  };

  // Opens the file; on failure fills `error` (when given) and returns false.
  bool Open(std::u16string_view path, uint32_t flags, FileError* error = nullptr);

  // The full path the file was opened by.
  const std::u16string& FilePath() const { return path_; }

 private:
  std::u16string path_;
};

// The file exception cause of a system error code.
FileError::Cause FileErrorCauseOf(uint32_t os_error);

}  // namespace bexa
