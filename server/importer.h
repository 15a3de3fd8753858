// The import tool: adds one backup version of every file below a host folder
// to a volume of an account, storing each file's data as the server sends it
// (imploded and/or enciphered with the account's data cipher).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "server/store.h"

namespace bexa::server {

struct ImportOptions {
  std::string account;                 // an account of the store's config.json
  std::string volume;                  // "\\PC1\C"
  std::string computer;                // the name in the volume entry: "PC1" or "WORKGRP"
  std::filesystem::path folder;        // the host folder that stands for the volume root
  bool compress = false;               // implode (binary or ASCII coding per file)
  bool encrypt = false;                // AES-128 ECB with the account's data key
  std::string backup_date;             // 14 digits; empty: now
};

struct ImportResult {
  int files_seen = 0;
  int versions_added = 0;  // files new or changed since their newest version
};

// Walks `options.folder` (regular files, in path order) and adds a version
// for every file whose size, last-write time or CRC-32 differs from its
// newest stored version, or that has none. Throws std::runtime_error when
// the account is unknown or a file cannot be read; the index is only saved
// when every file went in.
ImportResult ImportFolder(const Store& store, const ImportOptions& options);

// Enciphers whole 16-byte blocks of `data` in place with the data cipher of
// `key_text` (AES-128 ECB, key bytes by DeriveKeyBytes); a tail shorter than
// a block stays clear, which is what the client's cipher stage undoes.
void EncipherData(std::string& data, const std::string& key_text);

// Implodes `data`, choosing literal coding and dictionary size by trying
// them on its first 64 KiB.
std::string ImplodeData(const std::string& data);

}  // namespace bexa::server
