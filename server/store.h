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

// Faults the server can be told to inject, for the client's tests. The
// configuration holds one set for every connection ("faults" at the top) and
// one per account; once the user is known, the account's set is laid over
// the top-level one (every field the account sets wins).
struct Faults {
  // Before the user is known (only the top-level set can act on these).
  std::string announce_version;     // announce this version instead
  bool heartbeat_instead_of_prot = false;
  bool close_after_prot = false;
  bool uppercase_encp_digest = false;
  bool wrong_pdu_instead_of_cspp = false;  // ENCP goes out instead of CSPP
  int ainf_type = -1;               // >= 0: announce this authentication type
  // Code of a PDU type ("PROT", "SLSP", ...) whose frames get one byte more
  // after their end of contents; empty: none.
  std::string trailing_byte_pdu;
  // Once the user is known.
  int usrp_result = -1;             // >= 0: answer USRR with this result
  int reject_secret_key_times = 0;  // PWDR answered "rejected" this often
  // Volume entry ("WORKGRP:\\PC1\C") to the RVLP status forced for it: 1
  // always; 2 on the first request of a connection that names the volume,
  // the keys are judged as usual afterwards.
  std::map<std::string, int> rvlp_status;
  int slow_link_ms = 0;             // delay between FDTA blocks

  // `over` laid on `base`: every field that `over` sets replaces base's.
  static Faults Merge(const Faults& base, const Faults& over);
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
  // The method the account is set up for: 0, 3, 4, 6 password in USRR; 1, 5
  // security package (answered with result 6, then the master key); 7
  // access-key challenge. AINF comes before the user is named, so the
  // server announces Store::AuthType(), see there.
  int auth_type = 0;
  // The key the account's data is enciphered with; empty: the password (and
  // the user name when that is empty too), as the client keys its cipher.
  std::string secret_key;
  std::string secret_key_hint;
  bool disabled = false;
  int64_t allowed_kb = 0;
  int64_t used_kb = 0;
  std::string cutoff_date;  // USRP cut-off date, 14 digits; empty: none
  Faults faults;

  // The key text of the data cipher and of the key checks.
  const std::string& DataKey() const {
    return !secret_key.empty() ? secret_key : !password.empty() ? password : user;
  }
};

constexpr int kStored = 3;
constexpr int kImploded = 1;

struct FileVersion {
  std::string backup_date;  // 14 digits
  std::string modified;     // last-write time, 14 digits
  std::string created;
  std::string accessed;
  int64_t size = 0;
  uint32_t attributes = 0x20;
  uint32_t crc32 = 0;     // of the original file
  // The FINF compression code: kStored, or kImploded for a DCL implode stream.
  int compression = kStored;
  bool encrypted = false;
  std::string blob;       // file name below the volume's blobs folder
  int64_t stored_size = 0;  // bytes of the blob: the stream as sent
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
  // The AINF type; -1: the accounts' common auth_type, 0 when they differ.
  int auth_type = -1;
  Faults faults;  // for every connection
  int AuthType() const;

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
