// The file system as the system sees it: Windows paths (mapped onto host
// folders by platform/drives.h), attributes, file times and Win32 error
// codes. Every call that fails sets the calling thread's last error.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace bexa::platform {

// Win32 error codes used by the system.
enum : uint32_t {
  kErrorSuccess = 0,
  kErrorFileNotFound = 2,
  kErrorPathNotFound = 3,
  kErrorTooManyOpenFiles = 4,
  kErrorAccessDenied = 5,
  kErrorInvalidHandle = 6,
  kErrorNotEnoughMemory = 8,
  kErrorNotReady = 21,
  kErrorWriteFault = 29,
  kErrorReadFault = 30,
  kErrorSharingViolation = 32,
  kErrorHandleEof = 38,
  kErrorHandleDiskFull = 39,
  kErrorBadNetPath = 53,
  kErrorBadNetName = 67,
  kErrorFileExists = 80,
  kErrorInvalidParameter = 87,
  kErrorDiskFull = 112,
  kErrorInvalidName = 123,
  kErrorDirNotEmpty = 145,
  kErrorAlreadyExists = 183,
  kErrorFilenameExcedRange = 206,
  kErrorDirectory = 267,
};

// File attributes.
enum : uint32_t {
  kAttrReadOnly = 0x01,
  kAttrHidden = 0x02,
  kAttrSystem = 0x04,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
  kAttrNormal = 0x80,
};
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFF;

uint32_t LastError();
void SetLastError(uint32_t code);
// The Win32 code of an errno value.
uint32_t ErrorFromErrno(int err);
// A short English text of a Win32 code ("The system cannot find the file
// specified.").
std::u16string ErrorText(uint32_t code);

// GetFileAttributes. Read-only is the absence of the owner's write bit;
// hidden, system and archive come from the extended attribute
// user.DOSATTRIB where the file system keeps one.
uint32_t GetAttributes(std::u16string_view path);
// SetFileAttributes (read-only, hidden, system, archive; others ignored).
bool SetAttributes(std::u16string_view path, uint32_t attributes);

// File times in 100 ns units since 1 January 1601 UTC; 0 = not known.
struct FileTimes {
  uint64_t creation = 0;  // birth time where the OS reports one
  uint64_t last_access = 0;
  uint64_t last_write = 0;
};
bool GetTimes(std::u16string_view path, FileTimes& times);
// Sets the given times (a null pointer keeps that time). The creation time
// cannot be set on this platform and is ignored.
bool SetTimes(std::u16string_view path, const uint64_t* creation, const uint64_t* last_access,
              const uint64_t* last_write);

// FindFirstFile of one name (no wild cards).
struct FindData {
  uint32_t attributes = 0;
  FileTimes times;
  uint64_t size = 0;
  std::u16string name;  // the last component
};
bool FindOne(std::u16string_view path, FindData& data);

// FindFirstFile with wild cards in the last component ("*" any run, "?" one
// character; letter case ignored as Windows does): the first entry of the
// folder, in the host's directory order, whose name matches. "." and ".."
// never match.
bool FindFirstMatch(std::u16string_view pattern_path, FindData& data);

// Whether a name matches a wild-card pattern, letter case ignored.
bool WildcardMatch(std::u16string_view pattern, std::u16string_view name);

// CreateDirectory: fails with kErrorAlreadyExists when the name exists and
// kErrorPathNotFound when the parent is missing.
bool CreateDirectoryAt(std::u16string_view path);
bool RemoveDirectoryAt(std::u16string_view path);
bool DeleteFileAt(std::u16string_view path);
// MoveFileEx; with replace, an existing destination file is replaced.
bool MoveFileAt(std::u16string_view from, std::u16string_view to, bool replace);

// GetFullPathName: an absolute Windows path with "." and ".." resolved; a
// relative path is taken relative to the host's current folder. False when
// the result would exceed max_chars.
bool FullPathName(std::u16string_view path, std::u16string& full, size_t max_chars = 32767);

// The host's current folder as a Windows path.
std::u16string CurrentDirectory();

// CreateFile and the handle operations.
enum FileAccess : uint32_t { kAccessRead = 1, kAccessWrite = 2, kAccessReadWrite = 3 };
enum FileCreation : uint32_t {
  kCreateNew = 1,
  kCreateAlways = 2,
  kOpenExisting = 3,
  kOpenAlways = 4,
  kTruncateExisting = 5,
};

class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // owner_only: a file created here is readable and writable by its owner
  // only (for files that hold credentials).
  bool Open(std::u16string_view path, uint32_t access, uint32_t creation,
            bool owner_only = false);
  bool IsOpen() const { return fd_ >= 0; }
  // Reads up to n bytes; false on failure, `done` 0 at the end of the file.
  bool Read(void* data, size_t n, size_t& done);
  // Writes all n bytes; false (with the last error) on failure.
  bool Write(const void* data, size_t n);
  bool Seek(int64_t offset, int whence, uint64_t* position = nullptr);
  bool Length(uint64_t& length) const;
  bool SetLength(uint64_t length);
  bool Close();
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
};

}  // namespace bexa::platform
