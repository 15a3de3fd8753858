// Receives one file's data from the server (File data PDUs), deciphers it
// when the server stored it enciphered, expands it when it is compressed,
// writes it, and proves it with the CRC-32 exchange (VERR/VERP).
//
// The receiver (the caller of Run) queues the payload blocks as they
// arrive; the writer deciphers, expands and writes them. The writer runs on
// a thread of its own once more than kInlineBytes have arrived, else on the
// caller's thread after the last block.
//
// The data goes to a temporary file beside the destination, which replaces
// the destination only after both CRC checks have succeeded: a failed or
// cut transfer never destroys the user's existing copy.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "restore/block_queue.h"
#include "util/datetime.h"

namespace bexa {

// The connection as a transfer sees it.
class TransferPeer {
 public:
  enum class Received { kFileData, kVerify, kOther, kFailed, kProtocolError };
  virtual ~TransferPeer() = default;
  // Waits for the next PDU. kFileData fills block and last; kVerify fills
  // the peer's text and CRC.
  virtual Received Next(DataBlock& block, bool& last, std::u16string& verify_text,
                        uint32_t& verify_crc) = 0;
  virtual void SendAbort(int32_t reason) = 0;
  virtual void SendVerifyResponse(int32_t status) = 0;
};

// The expander: reads compressed bytes through `read` (0 at the end), writes
// the expanded bytes through `write` (false stops it), returns its result
// code (0 success).
using ReadFunction = std::function<size_t(uint8_t* buffer, size_t size)>;
using WriteFunction = std::function<bool(const uint8_t* data, size_t size)>;
using ExpandFunction = std::function<int(const ReadFunction& read, const WriteFunction& write)>;

// A file cipher: its block size and in-place deciphering of whole blocks.
struct FileCipher {
  size_t block_size = 0;
  std::function<bool(uint8_t* data, size_t length)> decipher_blocks;
};

class FileTransfer {
 public:
  enum Error : int32_t {
    kNone = 0,
    kReceiveFailed = 2,
    kProtocolFailure = 6,
    kExpandFailed = 14,
    kWriterException = 15,
    kDiskFull = 17,
    kNotOpen = 19,
    kCipherFailed = 21,
  };
  static constexpr int32_t kNotCompressed = 3;
  static constexpr uint64_t kInlineBytes = 1 << 20;

  FileTransfer();
  ~FileTransfer();  // removes a temporary file that was not committed
  FileTransfer(const FileTransfer&) = delete;
  FileTransfer& operator=(const FileTransfer&) = delete;

  // Creates the temporary file beside `destination` (the folder must exist).
  bool Open(const std::u16string& destination);
  void SetPeer(TransferPeer* peer) { peer_ = peer; }
  void SetCompression(int32_t code) { compression_ = code; }
  void SetExpander(ExpandFunction expand) { expand_ = std::move(expand); }
  // An empty cipher (block_size 0) means the data is not enciphered.
  void SetFileCipher(FileCipher cipher) { cipher_ = std::move(cipher); }
  void SetExpectedCrc(uint32_t crc) { expected_crc_ = crc; }

  // The data phase and the check; true when the file was written, both CRCs
  // matched and the destination now holds the new file.
  bool Run();
  // For a file of size 0: commits the empty file without a transfer.
  bool Close();

  int32_t error_code() const { return error_; }
  uint64_t bytes_received() const { return bytes_received_; }
  uint64_t bytes_written() const { return bytes_written_; }
  float compression_percent() const { return compression_percent_; }
  const DateTime& start_time() const { return start_; }
  const DateTime& end_time() const { return end_; }
  int64_t elapsed_seconds() const { return elapsed_seconds_; }
  uint32_t stream_crc() const { return stream_crc_; }
  const std::u16string& temporary_path() const { return temp_path_; }

 private:
  class Writer;
  bool Commit();
  void Discard();
  bool ReceiveAll(BlockQueue& queue, const std::function<void()>& more_than_inline);

  // Constant during Run.
  TransferPeer* peer_ = nullptr;
  int32_t compression_ = kNotCompressed;
  ExpandFunction expand_;
  FileCipher cipher_;
  uint32_t expected_crc_ = 0;
  std::u16string destination_;
  std::u16string temp_path_;

  // Written by the writer thread during the data phase, read after it ends.
  struct WriterState;
  std::unique_ptr<WriterState> state_;

  int32_t error_ = kNone;
  uint64_t bytes_received_ = 0;
  uint64_t bytes_written_ = 0;
  uint32_t stream_crc_ = 0;
  float compression_percent_ = 0;
  DateTime start_ = DateTime::Invalid();
  DateTime end_ = DateTime::Invalid();
  int64_t elapsed_seconds_ = 0;
  bool committed_ = false;
};

}  // namespace bexa
