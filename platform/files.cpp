#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/codepage.h"
#include "platform/drives.h"

namespace bexa::platform {
namespace {

thread_local uint32_t t_last_error = 0;

constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;
constexpr const char* kDosAttribName = "user.DOSATTRIB";
constexpr uint32_t kXattrBits = kAttrHidden | kAttrSystem | kAttrArchive;

uint64_t ToFileTime(int64_t sec, int64_t nsec) {
  if (sec < -11644473600LL) return 0;
  return kUnixEpochAsFileTime + static_cast<uint64_t>(sec * 10000000LL + nsec / 100);
}

struct timespec ToTimespec(uint64_t ft) {
  struct timespec ts;
  int64_t units = static_cast<int64_t>(ft) - static_cast<int64_t>(kUnixEpochAsFileTime);
  ts.tv_sec = units / 10000000LL;
  ts.tv_nsec = (units % 10000000LL) * 100;
  if (ts.tv_nsec < 0) ts.tv_nsec += 1000000000L, ts.tv_sec -= 1;
  return ts;
}

bool Fail(uint32_t code) {
  t_last_error = code;
  return false;
}

// Maps the path, setting the last error when it cannot be mapped.
bool Host(std::u16string_view path, std::string& host) {
  switch (MapToHost(path, host)) {
    case MapStatus::kOk:
      return true;
    case MapStatus::kNoDrive:
      return Fail(kErrorPathNotFound);
    case MapStatus::kNoShare:
      return Fail(kErrorBadNetName);
    case MapStatus::kInvalid:
      break;
  }
  return Fail(kErrorInvalidName);
}

// ENOENT means "file not found" when the folder exists, else "path not found".
uint32_t MissingError(const std::string& host) {
  size_t slash = host.find_last_of('/');
  if (slash == std::string::npos) return kErrorFileNotFound;
  std::string parent = slash == 0 ? "/" : host.substr(0, slash);
  struct stat st;
  return (::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ? kErrorFileNotFound
                                                                    : kErrorPathNotFound;
}

bool FailErrno(const std::string& host) {
  int err = errno;
  return Fail(err == ENOENT ? MissingError(host) : ErrorFromErrno(err));
}

uint32_t ReadXattrBits(const std::string& host) {
  char buf[64];
  ssize_t n = ::getxattr(host.c_str(), kDosAttribName, buf, sizeof(buf) - 1);
  if (n <= 0) return 0;
  buf[n] = 0;
  unsigned long v = std::strtoul(buf, nullptr, 0);
  return static_cast<uint32_t>(v) & kXattrBits;
}

uint32_t AttributesOf(const std::string& host, const struct stat& st) {
  uint32_t a = ReadXattrBits(host);
  if (S_ISDIR(st.st_mode)) a |= kAttrDirectory;
  if (!(st.st_mode & S_IWUSR)) a |= kAttrReadOnly;
  return a == 0 ? kAttrNormal : a;
}

std::u16string LastComponent(std::u16string_view path) {
  size_t slash = path.find_last_of(u"\\/");
  return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

uint32_t LastError() { return t_last_error; }
void SetLastError(uint32_t code) { t_last_error = code; }

uint32_t ErrorFromErrno(int err) {
  switch (err) {
    case 0: return kErrorSuccess;
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return kErrorAccessDenied;
    case EEXIST: return kErrorAlreadyExists;
    case ENOTEMPTY: return kErrorDirNotEmpty;
    case ENOSPC:
    case EDQUOT: return kErrorDiskFull;
    case EMFILE:
    case ENFILE: return kErrorTooManyOpenFiles;
    case ENAMETOOLONG: return kErrorFilenameExcedRange;
    case EBADF: return kErrorInvalidHandle;
    case ENOMEM: return kErrorNotEnoughMemory;
    case EBUSY:
    case ETXTBSY: return kErrorSharingViolation;
    case EINVAL: return kErrorInvalidParameter;
    case EIO: return kErrorWriteFault;
    default: return kErrorAccessDenied;
  }
}

std::u16string ErrorText(uint32_t code) {
  struct {
    uint32_t code;
    const char* text;
  } static const kTexts[] = {
      {kErrorSuccess, "The operation completed successfully."},
      {kErrorFileNotFound, "The system cannot find the file specified."},
      {kErrorPathNotFound, "The system cannot find the path specified."},
      {kErrorTooManyOpenFiles, "The system cannot open the file."},
      {kErrorAccessDenied, "Access is denied."},
      {kErrorInvalidHandle, "The handle is invalid."},
      {kErrorNotEnoughMemory, "Not enough storage is available to process this command."},
      {kErrorNotReady, "The device is not ready."},
      {kErrorWriteFault, "The system cannot write to the specified device."},
      {kErrorReadFault, "The system cannot read from the specified device."},
      {kErrorSharingViolation,
       "The process cannot access the file because it is being used by another process."},
      {kErrorHandleDiskFull, "The disk is full."},
      {kErrorBadNetPath, "The network path was not found."},
      {kErrorBadNetName, "The network name cannot be found."},
      {kErrorFileExists, "The file exists."},
      {kErrorInvalidParameter, "The parameter is incorrect."},
      {kErrorDiskFull, "There is not enough space on the disk."},
      {kErrorInvalidName, "The filename, directory name, or volume label syntax is incorrect."},
      {kErrorDirNotEmpty, "The directory is not empty."},
      {kErrorAlreadyExists, "Cannot create a file when that file already exists."},
      {kErrorFilenameExcedRange, "The filename or extension is too long."},
  };
  for (const auto& t : kTexts)
    if (t.code == code) return Utf8ToWide(t.text);
  return Utf8ToWide("Error " + std::to_string(code) + ".");
}

uint32_t GetAttributes(std::u16string_view path) {
  std::string host;
  if (!Host(path, host)) return kInvalidAttributes;
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) {
    FailErrno(host);
    return kInvalidAttributes;
  }
  return AttributesOf(host, st);
}

bool SetAttributes(std::u16string_view path, uint32_t attributes) {
  std::string host;
  if (!Host(path, host)) return false;
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) return FailErrno(host);
  mode_t mode = st.st_mode & 07777;
  if (attributes & kAttrReadOnly)
    mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  else
    mode |= S_IWUSR;
  if (mode != (st.st_mode & 07777) && ::chmod(host.c_str(), mode) != 0) return FailErrno(host);
  const uint32_t bits = attributes & kXattrBits;
  if (bits == 0) {
    ::removexattr(host.c_str(), kDosAttribName);
  } else {
    char buf[16];
    int n = std::snprintf(buf, sizeof(buf), "0x%x", bits);
    // Without extended attributes the bits are dropped: nothing to report.
    ::setxattr(host.c_str(), kDosAttribName, buf, static_cast<size_t>(n), 0);
  }
  return true;
}

bool GetTimes(std::u16string_view path, FileTimes& times) {
  std::string host;
  if (!Host(path, host)) return false;
  struct statx stx;
  if (::statx(AT_FDCWD, host.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &stx) != 0)
    return FailErrno(host);
  times.last_write = ToFileTime(stx.stx_mtime.tv_sec, stx.stx_mtime.tv_nsec);
  times.last_access = ToFileTime(stx.stx_atime.tv_sec, stx.stx_atime.tv_nsec);
  times.creation = (stx.stx_mask & STATX_BTIME)
                       ? ToFileTime(stx.stx_btime.tv_sec, stx.stx_btime.tv_nsec)
                       : 0;
  return true;
}

bool SetTimes(std::u16string_view path, const uint64_t* /*creation*/, const uint64_t* last_access,
              const uint64_t* last_write) {
  std::string host;
  if (!Host(path, host)) return false;
  struct timespec ts[2];
  ts[0].tv_nsec = UTIME_OMIT;
  ts[1].tv_nsec = UTIME_OMIT;
  if (last_access) ts[0] = ToTimespec(*last_access);
  if (last_write) ts[1] = ToTimespec(*last_write);
  if (::utimensat(AT_FDCWD, host.c_str(), ts, 0) != 0) return FailErrno(host);
  return true;
}

bool FindOne(std::u16string_view path, FindData& data) {
  std::string host;
  if (!Host(path, host)) return false;
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) return FailErrno(host);
  data.attributes = AttributesOf(host, st);
  data.size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
  data.name = LastComponent(path);
  return GetTimes(path, data.times);
}

bool WildcardMatch(std::u16string_view pattern, std::u16string_view name) {
  auto fold = [](char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; };
  // Greedy match with one back-tracking point, linear in practice.
  size_t p = 0, n = 0, star = std::u16string_view::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == u'?' || fold(pattern[p]) == fold(name[n]))) {
      ++p, ++n;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      star = p++;
      mark = n;
    } else if (star != std::u16string_view::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

bool FindFirstMatch(std::u16string_view pattern_path, FindData& data) {
  const size_t slash = pattern_path.find_last_of(u"\\/");
  if (slash == std::u16string_view::npos) return Fail(kErrorInvalidName);
  const std::u16string_view folder = pattern_path.substr(0, slash + 1);
  const std::u16string_view pattern = pattern_path.substr(slash + 1);
  std::string host;
  if (!Host(folder, host)) return false;
  DIR* dir = ::opendir(host.c_str());
  if (!dir) return FailErrno(host);
  bool found = false;
  while (struct dirent* e = ::readdir(dir)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    const std::u16string name = Utf8ToWide(e->d_name);
    if (WildcardMatch(pattern, name)) {
      found = FindOne(std::u16string(folder) + name, data);
      if (found) break;
    }
  }
  ::closedir(dir);
  return found ? true : Fail(kErrorFileNotFound);
}

bool CreateDirectoryAt(std::u16string_view path) {
  std::string host;
  if (!Host(path, host)) return false;
  if (::mkdir(host.c_str(), 0777) != 0) {
    if (errno == EEXIST) return Fail(kErrorAlreadyExists);
    if (errno == ENOENT) return Fail(kErrorPathNotFound);
    return FailErrno(host);
  }
  return true;
}

bool RemoveDirectoryAt(std::u16string_view path) {
  std::string host;
  if (!Host(path, host)) return false;
  if (::rmdir(host.c_str()) != 0) return FailErrno(host);
  return true;
}

bool DeleteFileAt(std::u16string_view path) {
  std::string host;
  if (!Host(path, host)) return false;
  struct stat st;
  if (::lstat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return Fail(kErrorAccessDenied);
  if (::unlink(host.c_str()) != 0) return FailErrno(host);
  return true;
}

bool MoveFileAt(std::u16string_view from, std::u16string_view to, bool replace) {
  std::string a, b;
  if (!Host(from, a) || !Host(to, b)) return false;
  int rc = ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), replace ? 0 : RENAME_NOREPLACE);
  if (rc != 0 && errno == EINVAL && !replace) {
    // A file system without RENAME_NOREPLACE: a hard link fails on an existing name.
    if (::link(a.c_str(), b.c_str()) != 0) {
      if (errno == EEXIST) return Fail(kErrorAlreadyExists);
      return FailErrno(b);
    }
    rc = ::unlink(a.c_str());
  }
  if (rc != 0) {
    if (errno == EEXIST) return Fail(kErrorAlreadyExists);
    return FailErrno(b);
  }
  return true;
}

std::u16string CurrentDirectory() {
  std::vector<char> buf(4096);
  while (!::getcwd(buf.data(), buf.size())) {
    if (errno != ERANGE) return u"C:\\";
    buf.resize(buf.size() * 2);
  }
  return WindowsPathOf(buf.data());
}

bool FullPathName(std::u16string_view path, std::u16string& full, size_t max_chars) {
  if (path.empty()) return Fail(kErrorInvalidParameter);
  std::u16string in(path);
  for (auto& c : in)
    if (c == u'/') c = u'\\';
  if (in.rfind(u"\\\\?\\", 0) == 0) {
    full = in;  // long forms are taken as they are
  } else {
    std::u16string prefix, rest;
    if (in.size() >= 2 && in[1] == u':') {
      prefix = in.substr(0, 2);
      rest = in.substr(2);
    } else if (in.rfind(u"\\\\", 0) == 0) {
      // \\server\share is the root of a UNC path and is kept as it is.
      size_t s = in.find(u'\\', 2);
      size_t e = s == std::u16string::npos ? s : in.find(u'\\', s + 1);
      prefix = in.substr(0, e);
      rest = e == std::u16string::npos ? u"" : in.substr(e);
    } else if (!in.empty() && in[0] == u'\\') {
      prefix = CurrentDirectory().substr(0, 2);
      rest = in;
    } else {
      std::u16string cwd = CurrentDirectory();
      prefix = cwd.substr(0, 2);
      rest = cwd.substr(2) + u"\\" + in;
    }
    std::vector<std::u16string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= rest.size(); ++i) {
      if (i == rest.size() || rest[i] == u'\\') {
        std::u16string part = rest.substr(start, i - start);
        start = i + 1;
        if (part.empty() || part == u".") continue;
        if (part == u"..") {
          if (!parts.empty()) parts.pop_back();
          continue;
        }
        parts.push_back(part);
      }
    }
    full = prefix;
    for (const auto& p : parts) full += u"\\" + p;
    if (parts.empty() || (!rest.empty() && rest.back() == u'\\')) full += u"\\";
  }
  if (full.size() > max_chars) return Fail(kErrorFilenameExcedRange);
  return true;
}

File::~File() { Close(); }

File::File(File&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

bool File::Open(std::u16string_view path, uint32_t access, uint32_t creation, bool owner_only) {
  Close();
  std::string host;
  if (!Host(path, host)) return false;
  int flags = O_CLOEXEC;
  switch (access & 3) {
    case kAccessRead: flags |= O_RDONLY; break;
    case kAccessWrite: flags |= O_WRONLY; break;
    default: flags |= O_RDWR; break;
  }
  switch (creation) {
    case kCreateNew: flags |= O_CREAT | O_EXCL; break;
    case kCreateAlways: flags |= O_CREAT | O_TRUNC; break;
    case kOpenAlways: flags |= O_CREAT; break;
    case kTruncateExisting: flags |= O_TRUNC; break;
    default: break;
  }
  fd_ = ::open(host.c_str(), flags, owner_only ? 0600 : 0666);
  if (fd_ < 0) {
    if (errno == EEXIST) return Fail(kErrorFileExists);
    return FailErrno(host);
  }
  struct stat st;
  if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode) && (access & kAccessWrite)) {
    Close();
    return Fail(kErrorAccessDenied);
  }
  return true;
}

bool File::Read(void* data, size_t n, size_t& done) {
  done = 0;
  if (fd_ < 0) return Fail(kErrorInvalidHandle);
  while (done < n) {
    ssize_t r = ::read(fd_, static_cast<char*>(data) + done, n - done);
    if (r < 0) {
      if (errno == EINTR) continue;
      return Fail(errno == EISDIR ? kErrorAccessDenied : kErrorReadFault);
    }
    if (r == 0) break;
    done += static_cast<size_t>(r);
  }
  return true;
}

bool File::Write(const void* data, size_t n) {
  if (fd_ < 0) return Fail(kErrorInvalidHandle);
  size_t done = 0;
  while (done < n) {
    ssize_t w = ::write(fd_, static_cast<const char*>(data) + done, n - done);
    if (w < 0) {
      if (errno == EINTR) continue;
      return Fail(ErrorFromErrno(errno));
    }
    done += static_cast<size_t>(w);
  }
  return true;
}

bool File::Seek(int64_t offset, int whence, uint64_t* position) {
  if (fd_ < 0) return Fail(kErrorInvalidHandle);
  off_t r = ::lseek(fd_, offset, whence);
  if (r < 0) return Fail(ErrorFromErrno(errno));
  if (position) *position = static_cast<uint64_t>(r);
  return true;
}

bool File::Length(uint64_t& length) const {
  struct stat st;
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return Fail(kErrorInvalidHandle);
  length = static_cast<uint64_t>(st.st_size);
  return true;
}

bool File::SetLength(uint64_t length) {
  if (fd_ < 0) return Fail(kErrorInvalidHandle);
  if (::ftruncate(fd_, static_cast<off_t>(length)) != 0) return Fail(ErrorFromErrno(errno));
  return true;
}

bool File::Close() {
  if (fd_ < 0) return true;
  int rc = ::close(fd_);
  fd_ = -1;
  if (rc != 0) return Fail(ErrorFromErrno(errno));
  return true;
}

}  // namespace bexa::platform
