#include "server/store.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

namespace bexa::server {
namespace fs = std::filesystem;
using nlohmann::json;

namespace {

json Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  try {
    return json::parse(in);
  } catch (const json::exception& e) {
    throw std::runtime_error(path.string() + ": " + e.what());
  }
}

void Write(const fs::path& path, const json& j) {
  const fs::path tmp = path.string() + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out << j.dump(1) << "\n";
    if (!out) throw std::runtime_error("cannot write " + tmp.string());
  }
  fs::rename(tmp, path);  // a reader never sees half a file
}

template <typename T>
void Get(const json& j, const char* key, T& out) {
  if (auto it = j.find(key); it != j.end() && !it->is_null()) out = it->get<T>();
}

Faults FaultsFrom(const json& j) {
  Faults f;
  Get(j, "announce_version", f.announce_version);
  Get(j, "heartbeat_instead_of_prot", f.heartbeat_instead_of_prot);
  Get(j, "close_after_prot", f.close_after_prot);
  Get(j, "uppercase_encp_digest", f.uppercase_encp_digest);
  Get(j, "wrong_pdu_instead_of_cspp", f.wrong_pdu_instead_of_cspp);
  Get(j, "ainf_type", f.ainf_type);
  Get(j, "usrp_result", f.usrp_result);
  Get(j, "reject_secret_key_times", f.reject_secret_key_times);
  Get(j, "rvlp_status", f.rvlp_status);
  Get(j, "slow_link_ms", f.slow_link_ms);
  Get(j, "trailing_byte_pdu", f.trailing_byte_pdu);
  return f;
}

json FaultsTo(const Faults& f) {
  json j = json::object();
  const Faults none;
  if (f.announce_version != none.announce_version) j["announce_version"] = f.announce_version;
  if (f.heartbeat_instead_of_prot) j["heartbeat_instead_of_prot"] = true;
  if (f.close_after_prot) j["close_after_prot"] = true;
  if (f.uppercase_encp_digest) j["uppercase_encp_digest"] = true;
  if (f.wrong_pdu_instead_of_cspp) j["wrong_pdu_instead_of_cspp"] = true;
  if (f.ainf_type >= 0) j["ainf_type"] = f.ainf_type;
  if (f.usrp_result >= 0) j["usrp_result"] = f.usrp_result;
  if (f.reject_secret_key_times) j["reject_secret_key_times"] = f.reject_secret_key_times;
  if (!f.rvlp_status.empty()) j["rvlp_status"] = f.rvlp_status;
  if (f.slow_link_ms) j["slow_link_ms"] = f.slow_link_ms;
  if (!f.trailing_byte_pdu.empty()) j["trailing_byte_pdu"] = f.trailing_byte_pdu;
  return j;
}

FileFaults FileFaultsFrom(const json& j) {
  FileFaults f;
  Get(j, "sfil_status", f.sfil_status);
  Get(j, "wrong_finf_crc", f.wrong_finf_crc);
  Get(j, "wrong_verr_crc", f.wrong_verr_crc);
  Get(j, "close_mid_file", f.close_mid_file);
  Get(j, "corrupt_stream", f.corrupt_stream);
  return f;
}

json FileFaultsTo(const FileFaults& f) {
  json j = json::object();
  if (f.sfil_status) j["sfil_status"] = f.sfil_status;
  if (f.wrong_finf_crc) j["wrong_finf_crc"] = true;
  if (f.wrong_verr_crc) j["wrong_verr_crc"] = true;
  if (f.close_mid_file) j["close_mid_file"] = true;
  if (f.corrupt_stream) j["corrupt_stream"] = true;
  return j;
}

}  // namespace

Faults Faults::Merge(const Faults& base, const Faults& over) {
  Faults f = base;
  if (!over.announce_version.empty()) f.announce_version = over.announce_version;
  f.heartbeat_instead_of_prot |= over.heartbeat_instead_of_prot;
  f.close_after_prot |= over.close_after_prot;
  f.uppercase_encp_digest |= over.uppercase_encp_digest;
  f.wrong_pdu_instead_of_cspp |= over.wrong_pdu_instead_of_cspp;
  if (over.ainf_type >= 0) f.ainf_type = over.ainf_type;
  if (!over.trailing_byte_pdu.empty()) f.trailing_byte_pdu = over.trailing_byte_pdu;
  if (over.usrp_result >= 0) f.usrp_result = over.usrp_result;
  if (over.reject_secret_key_times) f.reject_secret_key_times = over.reject_secret_key_times;
  for (const auto& [volume, status] : over.rvlp_status) f.rvlp_status[volume] = status;
  if (over.slow_link_ms) f.slow_link_ms = over.slow_link_ms;
  return f;
}

int Store::AuthType() const {
  if (auth_type >= 0) return auth_type;
  if (accounts.empty()) return 0;
  for (const auto& a : accounts)
    if (a.auth_type != accounts.front().auth_type) return 0;
  return accounts.front().auth_type;
}

std::string VolumeId(const std::string& computer, const std::string& volume_name) {
  std::string id;
  static const char* kHex = "0123456789ABCDEF";
  for (unsigned char c : computer + ":" + volume_name) {
    if (std::isalnum(c) || c == '-') {
      id += static_cast<char>(c);
    } else {
      id += '_';
      id += kHex[c >> 4];
      id += kHex[c & 15];
    }
  }
  return id;
}

FileHistory* VolumeIndex::Find(const std::string& path) {
  auto it = std::lower_bound(files.begin(), files.end(), path,
                             [](const FileHistory& f, const std::string& p) { return f.path < p; });
  return it != files.end() && it->path == path ? &*it : nullptr;
}

const FileHistory* VolumeIndex::Find(const std::string& path) const {
  return const_cast<VolumeIndex*>(this)->Find(path);
}

Store Store::Open(const fs::path& dir, bool create) {
  Store s;
  s.dir_ = dir;
  const fs::path config = dir / "config.json";
  if (!fs::exists(config)) {
    if (!create) throw std::runtime_error("no store at " + dir.string() + " (config.json missing)");
    fs::create_directories(dir);
    s.SaveConfig();
    return s;
  }
  const json j = Read(config);
  Get(j, "server_version", s.server_version);
  Get(j, "auth_type", s.auth_type);
  if (auto f = j.find("faults"); f != j.end()) s.faults = FaultsFrom(*f);
  if (auto it = j.find("accounts"); it != j.end()) {
    for (const auto& a : *it) {
      Account acc;
      Get(a, "user", acc.user);
      if (acc.user.empty()) throw std::runtime_error("config.json: an account without a user");
      Get(a, "password", acc.password);
      Get(a, "auth_type", acc.auth_type);
      Get(a, "secret_key", acc.secret_key);
      Get(a, "secret_key_hint", acc.secret_key_hint);
      Get(a, "disabled", acc.disabled);
      Get(a, "allowed_kb", acc.allowed_kb);
      Get(a, "used_kb", acc.used_kb);
      Get(a, "cutoff_date", acc.cutoff_date);
      if (auto f = a.find("faults"); f != a.end()) acc.faults = FaultsFrom(*f);
      s.accounts.push_back(acc);
    }
  }
  return s;
}

void Store::SaveConfig() const {
  json j;
  j["server_version"] = server_version;
  if (auth_type >= 0) j["auth_type"] = auth_type;
  if (json f = FaultsTo(faults); !f.empty()) j["faults"] = f;
  j["accounts"] = json::array();
  for (const auto& a : accounts) {
    json x = {{"user", a.user},
              {"password", a.password},
              {"auth_type", a.auth_type},
              {"secret_key", a.secret_key},
              {"secret_key_hint", a.secret_key_hint},
              {"disabled", a.disabled},
              {"allowed_kb", a.allowed_kb},
              {"used_kb", a.used_kb}};
    if (!a.cutoff_date.empty()) x["cutoff_date"] = a.cutoff_date;
    json f = FaultsTo(a.faults);
    if (!f.empty()) x["faults"] = f;
    j["accounts"].push_back(x);
  }
  Write(dir_ / "config.json", j);
}

Account* Store::FindAccount(const std::string& user) {
  for (auto& a : accounts)
    if (a.user == user) return &a;
  return nullptr;
}

fs::path Store::VolumeDir(const std::string& user, const std::string& id) const {
  return dir_ / "accounts" / user / id;
}

std::vector<Volume> Store::Volumes(const std::string& user) const {
  std::vector<Volume> out;
  const fs::path base = dir_ / "accounts" / user;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(base, ec)) {
    const fs::path header = e.path() / "volume.json";
    if (!fs::exists(header)) continue;
    const json j = Read(header);
    Volume v;
    Get(j, "computer", v.computer);
    Get(j, "volume", v.name);
    v.id = e.path().filename().string();
    out.push_back(v);
  }
  std::sort(out.begin(), out.end(), [](const Volume& a, const Volume& b) { return a.Entry() < b.Entry(); });
  return out;
}

namespace {

// The parsed index of each volume file, kept while the file stays the same:
// a listing and the restore after it read the same index, which for a volume
// of many files takes longer than serving them.
class IndexCache {
 public:
  std::optional<VolumeIndex> Find(const fs::path& path, const std::string& stamp) {
    std::lock_guard lock(mutex_);
    const auto it = entries_.find(path.string());
    if (it == entries_.end() || it->second.first != stamp) return std::nullopt;
    return it->second.second;
  }
  void Keep(const fs::path& path, const std::string& stamp, const VolumeIndex& index) {
    std::lock_guard lock(mutex_);
    entries_[path.string()] = {stamp, index};
  }

 private:
  std::mutex mutex_;
  std::map<std::string, std::pair<std::string, VolumeIndex>> entries_;  // guarded by mutex_
};

IndexCache& TheIndexCache() {
  static IndexCache cache;
  return cache;
}

// Time, size and identity of a file; empty when it cannot be read.
std::string FileStamp(const fs::path& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return {};
  return std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + "/" +
         std::to_string(st.st_size) + "/" + std::to_string(st.st_ino);
}

}  // namespace

std::optional<VolumeIndex> Store::LoadVolume(const std::string& user, const std::string& entry) const {
  for (const auto& v : Volumes(user)) {
    if (v.Entry() != entry) continue;
    const fs::path path = VolumeDir(user, v.id) / "index.json";
    const std::string stamp = FileStamp(path);
    if (!stamp.empty()) {
      if (auto cached = TheIndexCache().Find(path, stamp)) {
        cached->volume = v;
        return cached;
      }
    }
    const json j = Read(path);
    VolumeIndex idx;
    idx.volume = v;
    Get(j, "next_blob", idx.next_blob);
    for (const auto& f : j.at("files")) {
      FileHistory h;
      Get(f, "path", h.path);
      for (const auto& x : f.at("versions")) {
        FileVersion ver;
        Get(x, "backup_date", ver.backup_date);
        Get(x, "modified", ver.modified);
        Get(x, "created", ver.created);
        Get(x, "accessed", ver.accessed);
        Get(x, "size", ver.size);
        Get(x, "attributes", ver.attributes);
        Get(x, "crc32", ver.crc32);
        Get(x, "compression", ver.compression);
        Get(x, "encrypted", ver.encrypted);
        Get(x, "blob", ver.blob);
        Get(x, "stored_size", ver.stored_size);
        if (auto ff = x.find("faults"); ff != x.end()) ver.faults = FileFaultsFrom(*ff);
        h.versions.push_back(ver);
      }
      idx.files.push_back(std::move(h));
    }
    std::sort(idx.files.begin(), idx.files.end(),
              [](const FileHistory& a, const FileHistory& b) { return a.path < b.path; });
    if (!stamp.empty()) TheIndexCache().Keep(path, stamp, idx);
    return idx;
  }
  return std::nullopt;
}

VolumeIndex Store::LoadOrCreateVolume(const std::string& user, const std::string& computer,
                                      const std::string& volume_name) const {
  Volume v{computer, volume_name, VolumeId(computer, volume_name)};
  if (auto idx = LoadVolume(user, v.Entry())) return *idx;
  VolumeIndex idx;
  idx.volume = v;
  return idx;
}

void Store::SaveVolume(const std::string& user, const VolumeIndex& idx) const {
  const fs::path dir = VolumeDir(user, idx.volume.id);
  fs::create_directories(dir / "blobs");
  Write(dir / "volume.json", {{"computer", idx.volume.computer}, {"volume", idx.volume.name}});
  json j;
  j["next_blob"] = idx.next_blob;
  j["files"] = json::array();
  for (const auto& f : idx.files) {
    json versions = json::array();
    for (const auto& v : f.versions) {
      json x = {{"backup_date", v.backup_date}, {"modified", v.modified},
                {"created", v.created},         {"accessed", v.accessed},
                {"size", v.size},               {"attributes", v.attributes},
                {"crc32", v.crc32},             {"compression", v.compression},
                {"encrypted", v.encrypted},     {"blob", v.blob},
                {"stored_size", v.stored_size}};
      json ff = FileFaultsTo(v.faults);
      if (!ff.empty()) x["faults"] = ff;
      versions.push_back(x);
    }
    j["files"].push_back({{"path", f.path}, {"versions", versions}});
  }
  Write(dir / "index.json", j);
}

fs::path Store::BlobPath(const std::string& user, const Volume& volume, const std::string& blob) const {
  return VolumeDir(user, volume.id) / "blobs" / blob;
}

}  // namespace bexa::server
