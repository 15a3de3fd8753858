// The drive and share tables that map Windows paths onto host folders, the
// way Wine maps drives. Configured in win.ini:
//   [Drives]  D=/mnt/data,removable      X=/srv/x,remote,\\PC2\D
//   [Shares]  \\PC2\E=/srv/e
// Drive types: fixed, removable, cdrom, remote, ramdisk, unknown. Defaults:
// C: is fixed at $BEXA_HOME/drive_c, Z: is fixed at the host root "/".
// A drive whose host folder is missing has no root directory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bexa::platform {

// GetDriveType results.
enum DriveType : uint32_t {
  kDriveUnknown = 0,
  kDriveNoRootDir = 1,
  kDriveRemovable = 2,
  kDriveFixed = 3,
  kDriveRemote = 4,
  kDriveCdrom = 5,
  kDriveRamdisk = 6,
};

struct Drive {
  char16_t letter = u'C';      // upper case
  std::string host_folder;     // absolute host path without trailing "/"
  DriveType type = kDriveFixed;
  std::u16string remote_name;  // \\server\share for a remote drive
};

struct Share {
  std::u16string name;  // \\server\share as configured
  std::string host_folder;
};

// The configured drives in letter order (re-read when win.ini changes).
std::vector<Drive> Drives();
std::vector<Share> Shares();

// GetLogicalDrives: bit 0 for A: ... bit 25 for Z:.
uint32_t LogicalDrivesMask();

// GetDriveType of a root such as "C:\" (or "C:" or "\\?\C:\"). A UNC root
// of a mapped share is remote; anything else unknown is kDriveNoRootDir.
DriveType DriveTypeOf(std::u16string_view root);

// WNetGetUniversalName: "X:\dir\f" of a remote drive -> "\\PC2\D\dir\f".
// False for a drive that is not remote.
bool UniversalNameOf(std::u16string_view drive_path, std::u16string& universal);

// Free bytes available to the caller on the volume of a root; false when the
// drive is not ready.
bool FreeBytesAvailable(std::u16string_view root, uint64_t& free_bytes);

// Result of mapping a Windows path.
enum class MapStatus { kOk, kNoDrive, kNoShare, kInvalid };

// Maps an absolute Windows path (drive, UNC or either long form) to a host
// path. "." and ".." are resolved without leaving the drive or share root.
MapStatus MapToHost(std::u16string_view windows_path, std::string& host_path);
std::optional<std::string> HostPathOf(std::u16string_view windows_path);

// The Windows form of an absolute host path: the drive whose host folder is
// the longest prefix of it (Z: for "/"), e.g. /home/u/out -> Z:\home\u\out.
std::u16string WindowsPathOf(std::string_view host_path);

}  // namespace bexa::platform
