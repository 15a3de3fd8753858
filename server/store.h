// The reference server's store: a folder with a readable configuration
// (config.json: accounts and their settings) and, per account and volume, an
// index of file histories (index.json) with the stored data of each version
// in its own blob file.
//
//   STORE/config.json
//   STORE/accounts/<user>/<volume id>/volume.json  (computer and volume name)
//   STORE/accounts/<user>/<volume id>/index.json
//   STORE/accounts/<user>/<volume id>/blobs/<n>.bin
//
// The server is a test peer, not part of the client: it uses the standard
// library's file system directly.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace bexa::server {

// Faults the server can be told to inject, for the client's tests.
struct Faults {
  std::string announce_version;     // announce this version instead
  bool heartbeat_instead_of_prot = false;
  bool close_after_prot = false;
  bool uppercase_encp_digest = false;
  bool wrong_pdu_instead_of_cspp = false;
  int ainf_type = -1;               // >= 0: announce this authentication type
  int usrp_result = -1;             // >= 0: answer USRR with this result
  int reject_secret_key_times = 0;  // PWDR answered "rejected" this often
  int rvlp_status = -1;             // >= 0: answer every volume with this status
  int slow_link_ms = 0;             // delay between FDTA blocks
  bool trailing_byte_in_frame = false;
};

// Faults of one file version.
struct FileFaults {
  int sfil_status = 0;
  bool wrong_finf_crc = false;
  bool wrong_verr_crc = false;
  bool close_mid_file = false;
  bool corrupt_stream = false;
};

struct Account {
  std::string user;
  std::string password;
  int auth_type = 0;  // AINF type: 0, 3, 4, 6 password; 7 access key
  std::string secret_key;
  std::string secret_key_hint;
  bool disabled = false;
  int64_t allowed_kb = 0;
  int64_t used_kb = 0;
  Faults faults;
};

struct FileVersion {
  std::string backup_date;  // 14 digits
  std::string modified;     // last-write time, 14 digits
  std::string created;
  std::string accessed;
  int64_t size = 0;
  uint32_t attributes = 0x20;
  uint32_t crc32 = 0;     // of the original file
  int compression = 0;    // 0 stored, 1 imploded
  bool encrypted = false;
  std::string blob;       // file name below the volume's blobs folder
  int64_t stored_size = 0;
  FileFaults faults;
};

struct FileHistory {
  std::string path;  // below the volume, "\" separated, UTF-8
  std::vector<FileVersion> versions;  // oldest first
};

struct Volume {
  std::string computer;  // the name it was backed up under ("WORKGRP")
  std::string name;      // "\\PC1\C"
  std::string id;        // folder name in the store

  // The volume list entry: computer, ":", volume name.
  std::string Entry() const { return computer + ":" + name; }
};

struct VolumeIndex {
  Volume volume;
  std::vector<FileHistory> files;  // sorted by path
  int64_t next_blob = 1;

  FileHistory* Find(const std::string& path);
  const FileHistory* Find(const std::string& path) const;
};

class Store {
 public:
  // Opens (and with create, makes) the store folder. Throws
  // std::runtime_error with a readable message on a broken configuration.
  static Store Open(const std::filesystem::path& dir, bool create = false);

  const std::filesystem::path& dir() const { return dir_; }
  std::string server_version = "7.0";

  std::vector<Account> accounts;
  Account* FindAccount(const std::string& user);

  // The volumes of an account, from its folder.
  std::vector<Volume> Volumes(const std::string& user) const;
  std::optional<VolumeIndex> LoadVolume(const std::string& user, const std::string& entry) const;
  VolumeIndex LoadOrCreateVolume(const std::string& user, const std::string& computer,
                                 const std::string& volume_name) const;
  void SaveVolume(const std::string& user, const VolumeIndex& index) const;
  std::filesystem::path BlobPath(const std::string& user, const Volume& volume,
                                 const std::string& blob) const;

  void SaveConfig() const;

 private:
  std::filesystem::path VolumeDir(const std::string& user, const std::string& id) const;
  std::filesystem::path dir_;
};

// A folder name for a volume entry: letters and digits kept, others as _XX.
std::string VolumeId(const std::string& computer, const std::string& volume_name);

}  // namespace bexa::server
