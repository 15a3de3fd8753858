#include "server/importer.h"

#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "catalogue/implode.h"
#include "platform/codepage.h"
#include "security/crypto_provider.h"
#include "util/crc32.h"

namespace bexa::server {
namespace fs = std::filesystem;

namespace {

constexpr int32_t kAesData = 11;
constexpr size_t kSampleSize = 64 * 1024;
constexpr uint32_t kAttributeReadOnly = 0x01;
constexpr uint32_t kAttributeArchive = 0x20;

std::string LocalDate(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y%m%d%H%M%S", &tm);
  return buffer;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream out;
  out << in.rdbuf();
  if (in.bad()) throw std::runtime_error("cannot read " + path.string());
  return out.str();
}

void WriteAll(const fs::path& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// The path below the volume root, folders joined by "\".
std::string VolumePath(const fs::path& relative) {
  std::string out;
  for (const auto& part : relative) {
    if (!out.empty()) out += '\\';
    out += part.string();
  }
  return out;
}

}  // namespace

void EncipherData(std::string& data, const std::string& key_text) {
  const size_t whole = data.size() / 16 * 16;
  if (whole == 0) return;
  CryptoProvider cipher(kAesData, true, platform::Utf8ToWide(key_text));
  cipher.EncryptBlocks(reinterpret_cast<uint8_t*>(data.data()), static_cast<uint32_t>(whole));
}

std::string ImplodeData(const std::string& data) {
  const std::string_view sample(data.data(), std::min(data.size(), kSampleSize));
  dcl::Coding best_coding = dcl::kBinary;
  uint32_t best_bits = dcl::kMaxDictBits;
  std::string best;
  for (dcl::Coding coding : {dcl::kBinary, dcl::kAscii}) {
    for (uint32_t bits = dcl::kMinDictBits; bits <= dcl::kMaxDictBits; ++bits) {
      std::string stream = Implode(sample, coding, bits);
      if (best.empty() || stream.size() < best.size()) {
        best = std::move(stream);
        best_coding = coding;
        best_bits = bits;
      }
    }
  }
  // A file no longer than the sample is already compressed.
  if (sample.size() == data.size()) return best;
  return Implode(data, best_coding, best_bits);
}

ImportResult ImportFolder(const Store& store, const ImportOptions& options) {
  const Account* account = nullptr;
  for (const auto& a : store.accounts)
    if (a.user == options.account) account = &a;
  if (account == nullptr) throw std::runtime_error("no account '" + options.account + "' in config.json");
  if (!fs::is_directory(options.folder))
    throw std::runtime_error("not a folder: " + options.folder.string());
  const std::string backup_date =
      options.backup_date.empty() ? LocalDate(std::time(nullptr)) : options.backup_date;

  std::vector<fs::path> files;
  for (const auto& e : fs::recursive_directory_iterator(options.folder))
    if (e.is_regular_file()) files.push_back(e.path());
  std::sort(files.begin(), files.end());

  VolumeIndex index = store.LoadOrCreateVolume(options.account, options.computer, options.volume);
  // The index is saved last, so blobs come first: their folder must exist.
  fs::create_directories(store.BlobPath(options.account, index.volume, "x").parent_path());
  ImportResult result;
  for (const auto& path : files) {
    ++result.files_seen;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) throw std::runtime_error("cannot stat " + path.string());
    const std::string data = ReadAll(path);
    FileVersion v;
    v.backup_date = backup_date;
    v.modified = LocalDate(st.st_mtime);
    v.accessed = LocalDate(st.st_atime);
    v.created = LocalDate(std::min(st.st_ctime, st.st_mtime));
    v.size = static_cast<int64_t>(data.size());
    v.attributes = kAttributeArchive | ((st.st_mode & S_IWUSR) ? 0 : kAttributeReadOnly);
    v.crc32 = Crc32(0, data.data(), data.size());

    const std::string rel = VolumePath(fs::relative(path, options.folder));
    FileHistory* history = index.Find(rel);
    if (history != nullptr && !history->versions.empty()) {
      const FileVersion& newest = history->versions.back();
      if (newest.size == v.size && newest.modified == v.modified && newest.crc32 == v.crc32)
        continue;
      if (newest.backup_date >= backup_date)
        throw std::runtime_error(rel + ": a version of " + newest.backup_date +
                                 " exists; the new backup date must be later");
    }

    std::string stored = data;
    v.compression = kStored;
    if (options.compress) {
      stored = ImplodeData(data);
      v.compression = kImploded;
    }
    if (options.encrypt) {
      EncipherData(stored, account->DataKey());
      v.encrypted = true;
    }
    v.blob = std::to_string(index.next_blob++) + ".bin";
    v.stored_size = static_cast<int64_t>(stored.size());
    WriteAll(store.BlobPath(options.account, index.volume, v.blob), stored);

    if (history == nullptr) {
      FileHistory h;
      h.path = rel;
      index.files.push_back(std::move(h));
      std::sort(index.files.begin(), index.files.end(),
                [](const FileHistory& a, const FileHistory& b) { return a.path < b.path; });
      history = index.Find(rel);
    }
    history->versions.push_back(std::move(v));
    ++result.versions_added;
  }
  store.SaveVolume(options.account, index);
  return result;
}

}  // namespace bexa::server
