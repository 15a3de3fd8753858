#include "control/browse_volumes.h"

#include <algorithm>

#include "platform/drives.h"

namespace bexa {
namespace {

std::u16string WithoutTrailingBackslash(std::u16string s) {
  if (!s.empty() && s.back() == u'\\') s.pop_back();
  return s;
}

char16_t DriveLetter(const std::u16string& root) { return root.empty() ? u'?' : ToUpperChar(root[0]); }

int32_t KindOfDriveType(uint32_t type) {
  switch (type) {
    case platform::kDriveRemovable: return kKindRemovable;
    case platform::kDriveFixed: return kKindLocalDisk;
    case platform::kDriveCdrom: return kKindCdrom;
    case platform::kDriveRemote: return kKindMappedDrive;
    // A RAM disk is a local disk to the user.
    case platform::kDriveRamdisk: return kKindLocalDisk;
    default: return kKindMissingDrive;
  }
}

void SortNodes(std::vector<VolumeNode>& nodes) {
  std::sort(nodes.begin(), nodes.end(), [](const VolumeNode& a, const VolumeNode& b) {
    return BrowseOrder(a.kind, a.sort_name, b.kind, b.sort_name);
  });
}

}  // namespace

std::u16string UniversalNameOf(const LocalDrive& drive, const std::u16string& computer_name) {
  if (!drive.remote_name.empty()) return WithoutTrailingBackslash(drive.remote_name);
  return WithoutTrailingBackslash(
      Format(u"\\\\%s\\%c%s", ToUpper(computer_name), DriveLetter(drive.root),
             drive.root.size() > 2 ? drive.root.substr(2) : std::u16string()));
}

SessionVolumeMap BuildSessionVolumeMap(const std::vector<std::u16string>& server_volumes,
                                       const std::vector<LocalDrive>& drives,
                                       const std::u16string& computer_name,
                                       std::map<std::u16string, std::u16string>& volume_computers) {
  SessionVolumeMap map;
  volume_computers.clear();
  for (const auto& entry : server_volumes) {
    const size_t colon = entry.find(u':');
    const std::u16string computer = colon == std::u16string::npos ? u"" : entry.substr(0, colon);
    const std::u16string volume = colon == std::u16string::npos ? entry : entry.substr(colon + 1);
    volume_computers[volume] = computer;
    if (volume.find(u"\\\\\\") != std::u16string::npos) continue;
    bool local = false;
    for (const auto& d : drives) {
      if (UniversalNameOf(d, computer_name) == volume) {
        map[d.root] = volume;
        local = true;
        break;
      }
    }
    if (!local) map[volume] = u"";
  }
  return map;
}

VolumePlan PlanVolumes(const SessionVolumeMap& session_map, const std::vector<LocalDrive>& drives,
                       const std::u16string& computer_name, const std::u16string& domain_name,
                       std::map<std::u16string, std::u16string>& volume_computers,
                       const TextById& text) {
  std::map<std::u16string, std::u16string> by_root, by_volume;
  for (const auto& [key, value] : session_map) {
    if (key.size() >= 2 && key[1] == u':') by_root[key] = value;
    if (key.size() >= 2 && key[1] == u':') {
      if (!value.empty()) by_volume[value] = key;
    } else {
      by_volume[key] = value;
    }
    // A panel of the same process that did not ask the server again knows
    // only this machine's domain for its drives' volumes.
    if (!value.empty() && !volume_computers.count(value)) volume_computers[value] = domain_name;
  }

  VolumePlan plan;
  for (const auto& d : drives) {
    const std::u16string& r = d.root;
    const std::u16string u = UniversalNameOf(d, computer_name);
    const int32_t kind = KindOfDriveType(d.drive_type);
    VolumeNode node;
    node.kind = kind;
    node.sort_name = r;
    if (kind == kKindRemovable || kind == kKindLocalDisk || kind == kKindCdrom) {
      auto it = by_root.find(r);
      if (it == by_root.end()) continue;
      node.label = !d.display_name.empty() ? d.display_name
                                           : Format(u"(%s)", ToUpper(r.substr(0, 2)));
      node.path_part = u;
      if (kind != kKindRemovable) node.size = static_cast<int64_t>(d.free_bytes);
      by_volume.erase(it->second);
      by_root.erase(it);
    } else if (kind == kKindMappedDrive) {
      auto it = by_volume.find(u);
      if (it == by_volume.end()) continue;
      node.label = !d.display_name.empty() ? d.display_name : Format(u"(%c:)", DriveLetter(r));
      node.path_part = u;
      node.size = static_cast<int64_t>(d.free_bytes);
      by_root.erase(it->second);
      by_volume.erase(it);
    } else {
      auto it = by_root.find(r);
      if (it == by_root.end()) continue;
      const std::u16string v = it->second;
      if (v.empty()) {
        node.label = Format(u"(%c:)", DriveLetter(r));
        node.path_part = r;
      } else {
        std::u16string rest = v.rfind(u"\\\\", 0) == 0 ? v.substr(2) : v;
        const size_t slash = rest.find(u'\\');
        const std::u16string server = rest.substr(0, slash);
        const std::u16string share = slash == std::u16string::npos ? u"" : rest.substr(slash + 1);
        node.label = Format(text(1157), share, server, Format(u"%c:", DriveLetter(r)));
        node.path_part = v;
      }
      by_root.erase(it);
      if (!v.empty()) by_volume.erase(v);
    }
    plan.computer.push_back(node);
  }

  // Drive roots the session knows that this computer no longer shows.
  for (const auto& [r, v] : by_root) {
    VolumeNode node;
    node.kind = kKindMissingDrive;
    node.label = r.size() >= 3 && r[2] == u'\\' ? Format(u"(%c:)", DriveLetter(r)) : ToUpper(r);
    node.path_part = v;
    node.sort_name = r;
    by_volume.erase(v);
    plan.computer.push_back(node);
  }

  // Other computers' volumes, under the network, in plain code order.
  for (const auto& [volume_key, root] : by_volume) {
    (void)root;
    const std::u16string volume = WithoutTrailingBackslash(volume_key);
    const size_t slash = volume.rfind(u'\\');
    if (slash == std::u16string::npos) continue;
    const std::u16string share = volume.substr(slash + 1);
    const std::u16string server_path = volume.substr(0, slash);
    if (share.empty()) continue;
    const std::u16string server_name = server_path.size() > 2 ? server_path.substr(2) : u"";
    auto it = std::find_if(plan.network.begin(), plan.network.end(),
                           [&](const VolumeNode& n) { return n.path_part == server_path; });
    if (it == plan.network.end()) {
      VolumeNode computer;
      computer.kind = kKindNetworkComputer;
      computer.label = server_name;
      computer.sort_name = server_name;
      computer.path_part = server_path;
      plan.network.push_back(computer);
      it = plan.network.end() - 1;
    }
    VolumeNode node;
    node.kind = kKindNetworkShare;
    node.label = share;
    node.path_part = share;
    node.sort_name = share;
    it->children.push_back(node);
  }
  SortNodes(plan.computer);
  SortNodes(plan.network);
  return plan;
}

bool BrowseOrder(int32_t kind_a, const std::u16string& sort_a, int32_t kind_b,
                 const std::u16string& sort_b) {
  if (kind_a != kind_b) return kind_a < kind_b;
  return CompareNoCase(sort_a, sort_b) < 0;
}

std::u16string SizeText(int64_t bytes, std::u16string_view thousands) {
  if (bytes <= 0) return u"0KB";
  if (bytes < 1048576) {
    const int64_t kb = bytes / 1024;
    return Format(u"%sKB", GroupDigits(ToText(kb == 0 ? 1 : kb), thousands));
  }
  if (bytes < 1073741824LL) return Format(u"%.2fMB", static_cast<double>(bytes) / 1048576.0);
  return Format(u"%.2fGB", static_cast<double>(bytes) / 1073741824.0);
}

}  // namespace bexa
