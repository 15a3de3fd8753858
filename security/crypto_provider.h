// One cipher or digest of the catalogue (security/cipher_catalogue.h) behind
// its provider id: the session cipher, the data cipher, the digests of the
// logon and the CRC-32 of restored files all go through this class.
//
// Texts are UTF-16; where a text becomes bytes (hashing, encrypting), it is
// converted to Windows-1252 first, one byte per character. Digests and
// encrypted texts are lowercase hex.
//
// Misuse (a cipher operation on a digest or the reverse, a cipher without a
// key text, a zero length or an empty text) throws MisuseError
// (util/exceptions.h). A provider is used by one thread at a time.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include <cryptopp/cryptlib.h>
#include <cryptopp/modes.h>
#include <cryptopp/secblock.h>

#include "platform/files.h"
#include "security/cipher_catalogue.h"

namespace bexa {

class CryptoProvider {
 public:
  // Digest form. Without full strength, an id that has no reduced form
  // becomes 7 (Blowfish), which is a cipher and so needs a key text: the
  // construction then throws MisuseError, as it does for any cipher id here.
  // An id outside the catalogue gives a provider that does nothing.
  CryptoProvider(int32_t id, bool full_strength);

  // Cipher form: the key bytes come from `key_text` (DeriveKeyBytes) in the
  // catalogue's length for the id and strength. An empty key text for a
  // cipher throws MisuseError. A digest id with a key text constructs, but
  // its DigestHex, HashFile and HashFileSlice then throw MisuseError.
  CryptoProvider(int32_t id, bool full_strength, std::u16string_view key_text);

  // Closes an unfinished file slice; the key text and key bytes are wiped,
  // and the cipher objects wipe their key schedules.
  ~CryptoProvider();

  CryptoProvider(const CryptoProvider&) = delete;
  CryptoProvider& operator=(const CryptoProvider&) = delete;

  // The id after substitution (see the digest form).
  int32_t Id() const { return id_; }
  bool FullStrength() const { return full_strength_; }
  bool IsCipher() const { return is_cipher_; }

  // Encrypts (decrypts) the floor(length / BlockSize()) whole blocks at the
  // start of `buffer` in place, each block by itself (ECB, no padding, no
  // chaining); the last length mod BlockSize() bytes are left as they are.
  // The whole range goes to the cipher in one call. Always returns true.
  // REQUIRES: a cipher, length > 0.
  bool EncryptBlocks(uint8_t* buffer, uint32_t length);
  bool DecryptBlocks(uint8_t* buffer, uint32_t length);

  // The cipher's block size in bytes (8 or 16). REQUIRES: a cipher.
  uint32_t BlockSize() const;

  // The text's ANSI bytes, zero-padded to ceil(characters / BlockSize())
  // blocks, encrypted, as 2 * blocks * BlockSize() hex digits.
  // REQUIRES: a cipher, a non-empty text.
  std::u16string EncryptTextToHex(std::u16string_view text);

  // The reverse: reads the hex (HexToBytes) into ceil(bytes / BlockSize())
  // zeroed blocks, decrypts them, and returns the bytes up to the first zero
  // byte as ANSI text. REQUIRES: a cipher, a non-empty hex text.
  std::u16string DecryptHexToText(std::u16string_view hex);

  // Starts a new digest (CRC-32: register all ones). REQUIRES: not a cipher.
  void Reset();

  // Adds `length` bytes to the digest; length 0 adds nothing. Returns true.
  // REQUIRES: not a cipher.
  bool Update(const uint8_t* bytes, uint32_t length);

  // Finishes the digest into `out`. `capacity` is the room in `out` on entry
  // and the digest length on success. Returns false, writing nothing, when the
  // capacity is below the digest length (20 SHA-1 and RIPEMD-160, 16 MD5,
  // 4 CRC-32) or the id names no digest. SHA-1, RIPEMD-160 and MD5 zero the
  // whole capacity before writing the digest; CRC-32 writes its four bytes
  // least significant first. Afterwards the state starts a new message.
  // REQUIRES: not a cipher.
  bool Final(uint8_t* out, uint32_t& capacity);

  // Reset, then Update with the text's ANSI bytes. REQUIRES: not a cipher.
  void HashText(std::u16string_view text);

  // Finishes the digest and returns it as lowercase hex (40 digits for SHA-1
  // and RIPEMD-160, 32 MD5, 8 CRC-32 in Final's byte order, so the CRC value
  // shows byte-reversed; empty for an id that names no digest). The text is
  // also kept as LastDigestHex(). REQUIRES: a digest without key text.
  std::u16string DigestHex();
  const std::u16string& LastDigestHex() const { return digest_hex_; }

  // Digest of a whole file, read in 4096-byte blocks; take it with
  // DigestHex. False when the file cannot be opened or a read fails (the
  // digest state is then undefined until the next Reset).
  // REQUIRES: a digest without key text, a non-empty path.
  bool HashFile(std::u16string_view path);

  // Digest of a file in time slices, so that the caller can keep its
  // connection alive between calls. With `first_call` set it resets the
  // digest, opens the file and clears `first_call`. It then reads 4096-byte
  // blocks and, after every 16 blocks, stops once `budget_seconds` whole
  // seconds have passed: `done` cleared, true, the file kept open for the next
  // call. The end of the file closes it: `done` set, true. An open or read
  // failure: `done` set, false. An empty path or a zero budget closes any open
  // file: `done` set, true. REQUIRES: a digest without key text.
  bool HashFileSlice(std::u16string_view path, uint32_t budget_seconds, bool& first_call,
                     bool& done);

 private:
  void RequireCipher() const;
  void RequireDigestState() const;
  void RequireDigestWithoutKey() const;
  void CloseFile();

  int32_t id_;
  bool full_strength_;
  bool is_cipher_ = false;
  ProviderKind kind_ = ProviderKind::kNone;
  std::u16string key_text_;
  CryptoPP::SecByteBlock key_bytes_;

  // Ciphers: both directions, and the ECB mode objects that hand a whole
  // range to them in one call.
  BlockCipherPair ciphers_;
  std::unique_ptr<CryptoPP::ECB_Mode_ExternalCipher::Encryption> ecb_encrypt_;
  std::unique_ptr<CryptoPP::ECB_Mode_ExternalCipher::Decryption> ecb_decrypt_;

  // Digests: a library state for SHA-1, RIPEMD-160 and MD5, or the CRC-32
  // value as zlib keeps it (0 is the preset register).
  std::unique_ptr<CryptoPP::HashTransformation> hash_;
  uint32_t crc_ = 0;
  std::u16string digest_hex_;

  std::unique_ptr<platform::File> file_;  // the file of an unfinished HashFileSlice
};

}  // namespace bexa
