#include "security/crypto_provider.h"

#include <algorithm>
#include <cstring>


#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/sync.h"
#include "security/hex_text.h"
#include "security/key_derivation.h"
#include "util/crc32.h"
#include "util/exceptions.h"
#include "util/file_system.h"

namespace bexa {
namespace {

constexpr size_t kFileBlock = 4096;
constexpr uint32_t kBlocksPerTimeCheck = 16;  // 64 KiB between clock reads
constexpr uint32_t kLargestDigest = 20;

[[noreturn]] void Misuse() { throw MisuseError(); }

uint32_t BlockCount(size_t bytes, uint32_t block) {
  return static_cast<uint32_t>((bytes + block - 1) / block);
}

// Opens a file for binary reading through the long-path form. On this
// platform a reader never locks others out, so the one open stands for every
// share mode.
std::unique_ptr<platform::File> OpenForReading(std::u16string_view path) {
  auto file = std::make_unique<platform::File>();
  if (!file->Open(ToLongPath(path), platform::kAccessRead, platform::kOpenExisting)) return nullptr;
  return file;
}

// Reads up to n bytes; false on a read error.
bool ReadBlock(platform::File& file, uint8_t* block, size_t n, size_t& got) {
  return file.Read(block, n, got);
}

}  // namespace

CryptoProvider::CryptoProvider(int32_t id, bool full_strength)
    : CryptoProvider(id, full_strength, std::u16string_view()) {}

CryptoProvider::CryptoProvider(int32_t id, bool full_strength, std::u16string_view key_text)
    : id_(EffectiveProviderId(id, full_strength)), full_strength_(full_strength),
      key_text_(key_text) {
  const ProviderInfo* info = FindProvider(id_);
  if (info == nullptr) return;  // names nothing: constructs and does nothing
  kind_ = info->kind;
  is_cipher_ = kind_ == ProviderKind::kCipher;
  if (!is_cipher_) {
    Reset();
    return;
  }
  if (key_text_.empty()) Misuse();
  key_bytes_ = DeriveKeyBytes(key_text_, CipherKeyLength(*info, full_strength_));
  if (!full_strength_ && info->reduced_zero_from != 0) {
    // DES ignores nothing but the parity bits, so these bytes carry no key.
    std::fill(key_bytes_.begin() + info->reduced_zero_from, key_bytes_.end(), 0);
  }
  ciphers_ = CreateBlockCiphers(id_, key_bytes_.data(), key_bytes_.size());
  ecb_encrypt_ = std::make_unique<CryptoPP::ECB_Mode_ExternalCipher::Encryption>(*ciphers_.encryptor);
  ecb_decrypt_ = std::make_unique<CryptoPP::ECB_Mode_ExternalCipher::Decryption>(*ciphers_.decryptor);
}

CryptoProvider::~CryptoProvider() {
  CloseFile();
  std::fill(key_text_.begin(), key_text_.end(), u'\0');
}

void CryptoProvider::RequireCipher() const {
  if (!is_cipher_ || key_text_.empty()) Misuse();
}

void CryptoProvider::RequireDigestState() const {
  if (is_cipher_) Misuse();
}

void CryptoProvider::RequireDigestWithoutKey() const {
  if (is_cipher_ || !key_text_.empty()) Misuse();
}

bool CryptoProvider::EncryptBlocks(uint8_t* buffer, uint32_t length) {
  RequireCipher();
  if (length == 0) Misuse();
  size_t whole = length - length % BlockSize();
  if (whole > 0) ecb_encrypt_->ProcessData(buffer, buffer, whole);
  return true;
}

bool CryptoProvider::DecryptBlocks(uint8_t* buffer, uint32_t length) {
  RequireCipher();
  if (length == 0) Misuse();
  size_t whole = length - length % BlockSize();
  if (whole > 0) ecb_decrypt_->ProcessData(buffer, buffer, whole);
  return true;
}

uint32_t CryptoProvider::BlockSize() const {
  RequireCipher();
  return ciphers_.decryptor->BlockSize();
}

std::u16string CryptoProvider::EncryptTextToHex(std::u16string_view text) {
  RequireCipher();
  if (text.empty()) Misuse();
  // Windows-1252 has one byte per UTF-16 unit, so the text always fits.
  std::string ansi = platform::WideToAnsi(text);
  uint32_t block = BlockSize();
  CryptoPP::SecByteBlock buffer;
  buffer.CleanNew(BlockCount(ansi.size(), block) * block);
  std::memcpy(buffer.data(), ansi.data(), ansi.size());
  std::fill(ansi.begin(), ansi.end(), '\0');
  ecb_encrypt_->ProcessData(buffer.data(), buffer.data(), buffer.size());
  return BytesToHex(buffer.data(), buffer.size());
}

std::u16string CryptoProvider::DecryptHexToText(std::u16string_view hex) {
  RequireCipher();
  if (hex.empty()) Misuse();
  uint32_t block = BlockSize();
  // floor(digits / 2) bytes decide the block count; an odd last digit that
  // would fall past the last block is dropped rather than written beyond it.
  CryptoPP::SecByteBlock buffer;
  buffer.CleanNew(BlockCount(hex.size() / 2, block) * block);
  if (buffer.empty()) return std::u16string();
  HexToBytes(hex, buffer.data(), buffer.size());
  ecb_decrypt_->ProcessData(buffer.data(), buffer.data(), buffer.size());
  const uint8_t* end = std::find(buffer.begin(), buffer.end(), 0);
  return platform::AnsiToWide(
      std::string_view(reinterpret_cast<const char*>(buffer.data()), end - buffer.begin()));
}

void CryptoProvider::Reset() {
  RequireDigestState();
  crc_ = 0;
  if (hash_) {
    hash_->Restart();
  } else {
    hash_ = CreateHash(kind_);
  }
}

bool CryptoProvider::Update(const uint8_t* bytes, uint32_t length) {
  RequireDigestState();
  if (length == 0) return true;
  if (hash_) {
    hash_->Update(bytes, length);
  } else if (kind_ == ProviderKind::kCrc32) {
    crc_ = Crc32(crc_, bytes, length);
  }
  return true;
}

bool CryptoProvider::Final(uint8_t* out, uint32_t& capacity) {
  RequireDigestState();
  const ProviderInfo* info = FindProvider(id_);
  if (info == nullptr || capacity == 0 || capacity < info->block_size) return false;
  if (hash_) {
    std::memset(out, 0, capacity);
    hash_->Final(out);  // also restarts the state
  } else {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(crc_ >> (8 * i));
    crc_ = 0;
  }
  capacity = info->block_size;
  return true;
}

void CryptoProvider::HashText(std::u16string_view text) {
  Reset();
  std::string ansi = platform::WideToAnsi(text);
  Update(reinterpret_cast<const uint8_t*>(ansi.data()), static_cast<uint32_t>(ansi.size()));
}

std::u16string CryptoProvider::DigestHex() {
  RequireDigestWithoutKey();
  uint8_t digest[kLargestDigest] = {};
  uint32_t length = sizeof digest;
  if (!Final(digest, length)) length = 0;
  digest_hex_ = BytesToHex(digest, length);
  return digest_hex_;
}

void CryptoProvider::CloseFile() {
  file_.reset();
}

bool CryptoProvider::HashFile(std::u16string_view path) {
  RequireDigestWithoutKey();
  if (path.empty()) Misuse();
  Reset();
  std::unique_ptr<platform::File> file = OpenForReading(path);
  if (!file) return false;
  uint8_t block[kFileBlock];
  for (;;) {
    size_t got = 0;
    if (!ReadBlock(*file, block, sizeof block, got)) return false;
    Update(block, static_cast<uint32_t>(got));
    if (got < sizeof block) break;
  }
  return true;
}

bool CryptoProvider::HashFileSlice(std::u16string_view path, uint32_t budget_seconds,
                                   bool& first_call, bool& done) {
  RequireDigestWithoutKey();
  if (path.empty() || budget_seconds == 0) {
    CloseFile();
    done = true;
    return true;
  }
  if (first_call) {
    Reset();
    first_call = false;
    CloseFile();
    file_ = OpenForReading(path);
  }
  if (!file_) {
    // Either the open failed, or a later call came without an open slice.
    done = true;
    return false;
  }
  uint64_t start = platform::TickCountMs();
  uint8_t block[kFileBlock];
  for (uint32_t blocks = 1;; ++blocks) {
    size_t got = 0;
    if (!ReadBlock(*file_, block, sizeof block, got)) {
      CloseFile();
      done = true;
      return false;
    }
    Update(block, static_cast<uint32_t>(got));
    if (got < sizeof block) {
      CloseFile();
      done = true;
      return true;
    }
    if (blocks % kBlocksPerTimeCheck == 0 &&
        (platform::TickCountMs() - start) / 1000 >= budget_seconds) {
      done = false;
      return true;
    }
  }
}

}  // namespace bexa
