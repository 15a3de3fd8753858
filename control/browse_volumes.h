// Which volumes the browse tree shows: this computer's drives matched
// against the account's volume list from the server, missing drives, and
// other computers' shares under the network. Pure: the drives and the
// server's list come in, the nodes to create go out.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "util/text.h"

namespace bexa {

// Node kinds of the browse tree (kind + 1: the same kind shown open).
enum BrowseKind : int32_t {
  kKindDesktop = 0,
  kKindComputer = 2,
  kKindNetwork = 4,
  kKindRemovable = 6,
  kKindLocalDisk = 8,
  kKindCdrom = 10,
  kKindMappedDrive = 12,
  kKindMissingDrive = 14,
  kKindNetworkComputer = 16,
  kKindNetworkShare = 18,
  kKindFolder = 20,
  kKindFile = 22,
};

// The size field's "no size" value: low 32 bits all ones, high bits zero.
constexpr int64_t kNoSize = 0xFFFFFFFFLL;

// One logical drive of this computer, as the platform reports it.
struct LocalDrive {
  std::u16string root;          // "C:\"
  uint32_t drive_type = 3;      // platform DriveType
  std::u16string remote_name;   // \\server\share of a network drive, else empty
  std::u16string display_name;  // the shell's name; empty when there is none
  uint64_t free_bytes = 0;
};

// The universal name of a drive: its share for a network drive, else
// "\\COMPUTER\C" (without a trailing "\").
std::u16string UniversalNameOf(const LocalDrive& drive, const std::u16string& computer_name);

// The session's volume map: drive root -> volume name for this computer's
// drives that the account backed up, volume name -> "" for the others.
using SessionVolumeMap = std::map<std::u16string, std::u16string>;

// Builds the session map from the server's list ("COMPUTER:volume"
// entries) and fills `volume_computers` (volume -> computer or domain).
SessionVolumeMap BuildSessionVolumeMap(const std::vector<std::u16string>& server_volumes,
                                       const std::vector<LocalDrive>& drives,
                                       const std::u16string& computer_name,
                                       std::map<std::u16string, std::u16string>& volume_computers);

struct VolumeNode {
  int32_t kind = kKindMissingDrive;
  std::u16string label;      // display name
  std::u16string path_part;  // the volume's name on the server (no trailing "\")
  std::u16string sort_name;
  int64_t size = kNoSize;    // free bytes for kinds 8, 10 and 12
  std::vector<VolumeNode> children;  // shares of a network computer
};

struct VolumePlan {
  std::vector<VolumeNode> computer;  // under the computer node, sorted
  std::vector<VolumeNode> network;   // network computers with their shares, sorted
};

// The volume nodes of a tree build. Records the domain name in
// `volume_computers` for every volume of the session map it lacks.
// `text` gives localised texts (1157 "%s on '%s' (%s)").
VolumePlan PlanVolumes(const SessionVolumeMap& session_map, const std::vector<LocalDrive>& drives,
                       const std::u16string& computer_name, const std::u16string& domain_name,
                       std::map<std::u16string, std::u16string>& volume_computers,
                       const TextById& text);

// Kind first, then the sort name without regard to letter case.
bool BrowseOrder(int32_t kind_a, const std::u16string& sort_a, int32_t kind_b,
                 const std::u16string& sort_b);

// "0KB", "%sKB" (grouped, "1KB" below 1 KiB), "%.2fMB", "%.2fGB".
std::u16string SizeText(int64_t bytes, std::u16string_view thousands);

}  // namespace bexa
