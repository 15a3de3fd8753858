// The requests of a logged-on client: system list, directory list with file
// histories, restore volume list and restore file list with the transfer of
// every file.
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "platform/codepage.h"
#include "protocol/pdu_catalogue.h"
#include "server/session.h"
#include "util/crc32.h"
#include "util/text.h"

namespace bexa::server {

using namespace protocol;
using platform::Utf8ToWide;
using platform::WideToUtf8;

namespace {

constexpr int32_t kAesData = 11;  // the client's data cipher

// Volume answers of RVLP and answers of DLSP.
constexpr int32_t kVolumeServed = 0;
constexpr int32_t kVolumeServerError = 1;
constexpr int32_t kVolumeNeedsKey = 2;
constexpr int32_t kListFollows = 0;
constexpr int32_t kNoHistories = 1;
constexpr int32_t kKeyRejected = 2;

// SFIL status of a file the server does not hold.
constexpr int32_t kFileNotFound = 1;
// FSTS: the client wants the data.
constexpr int32_t kSendFile = 0;
// ABRT reason when the stored data cannot be read.
constexpr int32_t kAbortServerError = 1;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

bool SameNoCase(std::u16string_view a, std::u16string_view b) {
  return CompareNoCase(a, b) == 0;
}

// The restore root of a volume: the computer name, then the volume name
// without its first backslash ("WORKGRP" and "\\PC1\C" give "WORKGRP\PC1\C").
std::u16string RestoreRoot(const Volume& v) {
  std::string name = v.name;
  if (name.rfind("\\\\", 0) == 0) name.erase(0, 1);
  return Utf8ToWide(v.computer + name);
}

const FileHistory* FindHistory(const VolumeIndex& index, const std::u16string& path) {
  if (const FileHistory* h = index.Find(WideToUtf8(path))) return h;
  for (const auto& h : index.files)
    if (SameNoCase(Utf8ToWide(h.path), path)) return &h;
  return nullptr;
}

}  // namespace

void Session::Serve() {
  for (;;) {
    const int type = Receive();
    bool ok = true;
    switch (type) {
      case 0:
        return;
      case kPduQuit:
        Event("quit");
        return;
      case kPduSlsr:
        ok = ServeSystemList();
        break;
      case kPduDlsr:
        ok = ServeDirectoryList();
        break;
      case kPduRvlr:
        ok = ServeRestoreVolumes();
        break;
      case kPduRflr:
        ok = ServeRestoreFiles() != Next::kClose;
        break;
      case kPduCncl:
      case kPduAbrt:
        break;  // nothing is running that they could end
      default:
        Event("unexpected " + WideToUtf8(PduCode(type)));
        return;
    }
    if (!ok) return;
  }
}

std::optional<Volume> Session::FindVolume(const std::u16string& entry) const {
  const auto volumes = store_.Volumes(account_->user);
  for (const auto& v : volumes)
    if (Utf8ToWide(v.Entry()) == entry) return v;
  for (const auto& v : volumes)
    if (SameNoCase(Utf8ToWide(v.Entry()), entry)) return v;
  return std::nullopt;
}

bool Session::KeysAccepted(const std::vector<std::u16string>& keys) const {
  const std::u16string key = Utf8ToWide(account_->DataKey());
  for (const auto& k : keys)
    if (k == key) return true;
  return false;
}

bool Session::ServeSystemList() {
  auto& list = out_.MutableTextList(tag::kVolume);
  for (const auto& v : store_.Volumes(account_->user)) list.push_back(Utf8ToWide(v.Entry()));
  out_.SetInt(tag::kVolumeCount, static_cast<int64_t>(list.size()));
  return Send(kPduSlsp);
}

bool Session::ServeDirectoryList() {
  const std::u16string entry = in_.Text(tag::kVolume);
  const std::vector<std::u16string> keys = in_.TextList(tag::kKeyText);
  const auto volume = FindVolume(entry);
  std::optional<VolumeIndex> index;
  if (volume) index = store_.LoadVolume(account_->user, volume->Entry());
  if (!index || index->files.empty()) {
    out_.SetInt(tag::kListAnswer, kNoHistories);
    out_.SetInt(tag::kCount13, 0);
    return Send(kPduDlsp);
  }
  if (!KeysAccepted(keys)) {
    out_.SetInt(tag::kListAnswer, kKeyRejected);
    out_.SetText(tag::kKeyHint, Utf8ToWide(account_->secret_key_hint));
    out_.SetInt(tag::kCount13, 0);
    return Send(kPduDlsp);
  }
  out_.SetInt(tag::kListAnswer, kListFollows);
  out_.SetInt(tag::kCount13, static_cast<int64_t>(index->files.size()));
  if (!Send(kPduDlsp)) return false;
  for (const auto& file : index->files) {
    out_.SetText(tag::kFilePath, Utf8ToWide(file.path));
    out_.SetText(tag::kListDate, u"");
    auto& records = out_.MutableRecords(tag::kFileVersionRecord);
    for (const auto& v : file.versions)  // oldest first, as the store keeps them
      records.push_back(PduRecord::FileVersion(Utf8ToWide(v.backup_date),
                                               Utf8ToWide(v.modified), v.size));
    out_.SetInt(tag::kVersionCount, static_cast<int64_t>(records.size()));
    if (!Send(kPduLinf)) return false;
  }
  return true;
}

bool Session::ServeRestoreVolumes() {
  const std::vector<std::u16string> paths = in_.TextList(tag::kVolume);
  const std::vector<std::u16string> keys = in_.TextList(tag::kKeyText);
  const std::u16string hint = Utf8ToWide(account_->secret_key_hint);
  auto& answers = out_.MutableRecords(tag::kVolumeAnswerRecord);
  for (const auto& path : paths) {
    const std::string entry = WideToUtf8(path);
    int forced = -1;
    if (auto it = faults_.rvlp_status.find(entry); it != faults_.rvlp_status.end())
      forced = it->second;
    const auto volume = FindVolume(path);
    int32_t status = kVolumeServed;
    if (forced == kVolumeServerError || (forced > kVolumeNeedsKey)) {
      status = forced;
    } else if (forced == kVolumeNeedsKey && forced_once_.insert(entry).second) {
      status = kVolumeNeedsKey;
    } else if (!volume) {
      status = kVolumeServerError;
    } else if (!KeysAccepted(keys)) {
      status = kVolumeNeedsKey;
    }
    if (status == kVolumeServed) granted_volumes_.insert(volume->Entry());
    answers.push_back(PduRecord::VolumeAnswer(status, status == kVolumeNeedsKey ? hint : u""));
  }
  out_.SetInt(tag::kAnswerCount, static_cast<int64_t>(answers.size()));
  return Send(kPduRvlp);
}

Session::Next Session::ServeRestoreFiles() {
  const std::u16string root = in_.Text(tag::kVolume);
  struct Wanted {
    std::u16string path, backup_date;
  };
  std::vector<Wanted> wanted;
  for (const auto& r : in_.Records(tag::kRequestedFileRecord))
    wanted.push_back({r.Text(tag::kFilePath), r.Text(tag::kBackupDate)});

  std::optional<VolumeIndex> index;
  for (const auto& v : store_.Volumes(account_->user)) {
    if (!SameNoCase(RestoreRoot(v), root)) continue;
    if (granted_volumes_.count(v.Entry()))
      index = store_.LoadVolume(account_->user, v.Entry());
    else
      Event("RFLR for a volume no RVLP has served: " + v.Entry());
    break;
  }
  if (!index) {
    Event("RFLR root not served: " + WideToUtf8(root));
    index.emplace();  // every file is then answered as not held
  }
  for (const auto& w : wanted) {
    const Next next = ServeFile(*index, w.path, w.backup_date);
    if (next != Next::kGoOn) return next;
  }
  return Next::kGoOn;
}

Session::Next Session::ServeFile(const VolumeIndex& index, const std::u16string& path,
                                 const std::u16string& backup_date) {
  const FileHistory* history = FindHistory(index, path);
  const FileVersion* version = nullptr;
  if (history != nullptr && !history->versions.empty()) {
    if (backup_date.empty()) version = &history->versions.back();
    for (const auto& v : history->versions)
      if (Utf8ToWide(v.backup_date) == backup_date) version = &v;
  }
  out_.SetText(tag::kFilePath, path);
  out_.SetInt(tag::kServerFileStatus,
              version == nullptr ? kFileNotFound : version->faults.sfil_status);
  out_.SetInt(tag::kCrc, 0);
  if (!Send(kPduSfil)) return Next::kClose;
  if (version == nullptr || version->faults.sfil_status != 0) return Next::kGoOn;

  out_.SetText(tag::kFilePath, path);
  out_.SetInt(tag::kFurtherValue16, 0);
  out_.SetInt(tag::kCompression, version->compression);
  out_.SetInt(tag::kEncryptionFlag, version->encrypted ? 1 : 0);
  out_.SetText(tag::kBackupDate, Utf8ToWide(version->backup_date));
  out_.SetInt(tag::kFileSize, version->size);
  out_.SetInt(tag::kAttributes, version->attributes);
  out_.SetText(tag::kCreationTime, Utf8ToWide(version->created));
  out_.SetText(tag::kModificationDate, Utf8ToWide(version->modified));
  out_.SetText(tag::kLastAccessTime, Utf8ToWide(version->accessed));
  out_.SetInt(tag::kCrc, version->faults.wrong_finf_crc ? ~version->crc32 : version->crc32);
  out_.SetInt(tag::kFurtherValue23, 0);
  if (!Send(kPduFinf)) return Next::kClose;

  switch (Receive()) {
    case kPduFsts:
      break;
    case kPduCncl:
    case kPduAbrt:
      return Next::kEndList;
    case kPduQuit:
      Event("quit");
      return Next::kClose;
    case 0:
      return Next::kClose;
    default:
      Event("expected FSTS");
      return Next::kClose;
  }
  if (in_.Int(tag::kFileStatus) != kSendFile) return Next::kGoOn;
  // The client runs no transfer for an empty file: no data, no verify.
  if (version->size == 0) return Next::kGoOn;
  const Next next = StreamFile(index, *version, path);
  return next == Next::kGoOn ? AwaitVerifyResponse() : next;
}

Session::Next Session::StreamFile(const VolumeIndex& index, const FileVersion& version,
                                  const std::u16string& path) {
  const auto blob = store_.BlobPath(account_->user, index.volume, version.blob);
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(blob.c_str(), "rb"));
  if (!file) {
    Event("cannot read " + blob.string());
    out_.SetInt(tag::kAbortReason, kAbortServerError);
    Send(kPduAbrt);
    return Next::kEndList;
  }
  const FileFaults& faults = version.faults;
  const int64_t total = version.stored_size;
  // Blocks are whole cipher blocks, so the client's cipher stage never has
  // to carry a part block from one File data PDU to the next.
  size_t block_size = std::max<size_t>(16, options_.data_block_size / 16 * 16);
  // A small file needs no more than its own size (in whole cipher blocks).
  if (total > 0 && static_cast<uint64_t>(total) < block_size)
    block_size = (static_cast<size_t>(total) + 15) / 16 * 16;
  std::vector<uint8_t> block(block_size);
  uint32_t crc = 0;
  int64_t sent = 0;
  bool first = true;
  for (;;) {
    const size_t n = std::fread(block.data(), 1, block.size(), file.get());
    const bool last = n < block.size() || std::feof(file.get()) ||
                      (total > 0 && sent + static_cast<int64_t>(n) >= total);
    if (first && faults.corrupt_stream && n >= 2) {
      // An invalid literal coding and dictionary size in the stream header,
      // under the data cipher when the file is enciphered.
      std::unique_ptr<CryptoProvider> cipher;
      if (version.encrypted && n >= 16)
        cipher = std::make_unique<CryptoProvider>(kAesData, true,
                                                  Utf8ToWide(account_->DataKey()));
      if (cipher) cipher->DecryptBlocks(block.data(), 16);
      block[0] = 0x07;
      block[1] = 0x09;
      if (cipher) cipher->EncryptBlocks(block.data(), 16);
    }
    first = false;
    size_t count = n;
    if (faults.close_mid_file && sent + static_cast<int64_t>(n) >= (total + 1) / 2) {
      count = static_cast<size_t>(std::max<int64_t>((total + 1) / 2 - sent, 0));
      if (count > 0) SendFileData(false, {block.data(), count});
      Event("closing in the middle of " + WideToUtf8(path) + " (fault)");
      return Next::kClose;
    }
    crc = Crc32(crc, block.data(), count);
    if (!SendFileData(last, {block.data(), count})) return Next::kClose;
    sent += static_cast<int64_t>(count);
    if (last) break;
    if (faults_.slow_link_ms > 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(faults_.slow_link_ms));
  }
  const uint32_t stream_crc = crc;
  out_.SetText(tag::kFilePath, path);
  out_.SetInt(tag::kVerifyCrc, faults.wrong_verr_crc ? ~stream_crc : stream_crc);
  return Send(kPduVerr) ? Next::kGoOn : Next::kClose;
}

Session::Next Session::AwaitVerifyResponse() {
  switch (Receive()) {
    case kPduVerp:
      if (in_.Int(tag::kVerifyStatus) != 1) Event("the client reports a failed check");
      return Next::kGoOn;
    case kPduCncl:
    case kPduAbrt:
      return Next::kEndList;
    case kPduQuit:
      Event("quit");
      return Next::kClose;
    case 0:
      return Next::kClose;
    default:
      Event("expected VERP");
      return Next::kClose;
  }
}

}  // namespace bexa::server
