#include "restore/file_transfer.h"

#include <atomic>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/sync.h"
#include "restore/stream_decipher.h"
#include "util/crc32.h"
#include "util/file_system.h"
#include "util/text.h"

namespace bexa {
namespace {

std::u16string TemporaryNameFor(const std::u16string& destination) {
  static std::atomic<uint32_t> counter{0};
  static const uint32_t run = std::random_device{}();
  const size_t slash = destination.rfind(u'\\');
  const std::u16string folder = slash == std::u16string::npos ? u"" : destination.substr(0, slash + 1);
  const std::u16string name = slash == std::u16string::npos ? destination : destination.substr(slash + 1);
  return Format(u"%s.%s.bexa-%u-%u.part", folder, name, run,
                counter.fetch_add(1) + 1);
}

}  // namespace

// The writer's side: everything the writer thread touches while it runs.
struct FileTransfer::WriterState {
  NS_File file;
  std::atomic<int32_t> error{kNone};
  uint64_t bytes_written = 0;
  uint32_t stream_crc = 0;  // of the bytes as received
  uint32_t file_crc = 0;    // of the bytes as written
  bool same_as_stream = false;

  // Pending deciphered bytes for the expander's reader.
  std::vector<std::pair<const uint8_t*, size_t>> pieces;
  size_t piece_index = 0;
  size_t piece_offset = 0;
  DataBlock current;  // keeps the block behind `pieces` alive
  bool source_ended = false;

  void SetError(int32_t code) {
    int32_t none = kNone;
    error.compare_exchange_strong(none, code);
  }

  bool Write(const uint8_t* data, size_t n) {
    if (n == 0) return true;
    if (!file.IsOpen()) {
      SetError(kNotOpen);
      return false;
    }
    if (!file.Write(data, n)) {
      const uint32_t e = platform::LastError();
      SetError(e == platform::kErrorDiskFull || e == platform::kErrorHandleDiskFull ? kDiskFull
                                                                                     : kWriterException);
      return false;
    }
    // The file's CRC over exactly the bytes written: the same as reading
    // the file back, without a second pass over it. Data that is neither
    // enciphered nor compressed is written as received, so its stream CRC
    // is its file CRC too.
    if (!same_as_stream) file_crc = Crc32(file_crc, data, n);
    bytes_written += n;
    return true;
  }
};

FileTransfer::FileTransfer() : state_(std::make_unique<WriterState>()) {}

FileTransfer::~FileTransfer() {
  if (!committed_) Discard();
}

bool FileTransfer::Open(const std::u16string& destination) {
  // One full path for the open, the rename and the removal: a relative name
  // (such as "C:name") resolved by each on its own could name another file
  // and leave the temporary one behind.
  destination_ = destination;
  if (!IsLongPath(destination) && !platform::FullPathName(destination, destination_)) return false;
  temp_path_ = TemporaryNameFor(destination_);
  FileError error;
  return state_->file.Open(temp_path_, NS_File::modeCreate | NS_File::modeWrite, &error);
}

void FileTransfer::Discard() {
  state_->file.Close();
  if (!temp_path_.empty()) platform::DeleteFileAt(ToLongPath(temp_path_));
}

bool FileTransfer::Commit() {
  if (!state_->file.Close()) return false;
  if (!platform::MoveFileAt(ToLongPath(temp_path_), ToLongPath(destination_), /*replace=*/true))
    return false;
  committed_ = true;
  return true;
}

bool FileTransfer::Close() {
  if (!state_->file.IsOpen()) {
    error_ = kNotOpen;
    return false;
  }
  return Commit();
}

// The receiver loop on the calling thread. Returns true once the last block
// has been queued. `more_than_inline` is called once the data received
// exceeds what is kept for the calling thread to write after the transfer.
bool FileTransfer::ReceiveAll(BlockQueue& queue, const std::function<void()>& more_than_inline) {
  std::u16string text;
  uint32_t crc = 0;
  for (;;) {
    DataBlock block;
    bool last = false;
    const TransferPeer::Received r = peer_->Next(block, last, text, crc);
    if (r != TransferPeer::Received::kFileData) {
      queue.Finish();
      if (r == TransferPeer::Received::kFailed) {
        error_ = kReceiveFailed;
      } else {
        error_ = kProtocolFailure;
        peer_->SendAbort(6);
      }
      return false;
    }
    bytes_received_ += block.size;
    if (bytes_received_ > kInlineBytes) more_than_inline();
    queue.Push(std::move(block), last);
    if (last) return true;
  }
}

bool FileTransfer::Run() {
  if (!peer_ || !state_->file.IsOpen()) {
    error_ = kNotOpen;
    return false;
  }
  WriterState& w = *state_;
  BlockQueue queue;
  const bool compressed = compression_ != kNotCompressed;
  std::unique_ptr<StreamDecipher> decipher;
  if (cipher_.block_size > 0 && cipher_.block_size <= StreamDecipher::kMaxBlockSize)
    decipher = std::make_unique<StreamDecipher>(cipher_.block_size, cipher_.decipher_blocks);

  // Takes the next block off the queue into the writer's pieces (CRC of the
  // bytes as received, then deciphered in place). False at the end.
  auto refill = [&]() -> bool {
    w.pieces.clear();
    w.piece_index = 0;
    w.piece_offset = 0;
    while (w.pieces.empty()) {
      if (w.source_ended || w.error.load() != kNone) return false;
      DataBlock block;
      auto sink = [&](const uint8_t* p, size_t n) {
        w.pieces.emplace_back(p, n);
        return true;
      };
      if (!queue.Pop(block)) {
        w.source_ended = true;
        if (decipher) decipher->Finish(sink);
        return !w.pieces.empty();
      }
      w.stream_crc = Crc32(w.stream_crc, block.data, block.size);
      w.current = std::move(block);
      if (decipher) {
        if (!decipher->Feed(w.current.data, w.current.size, sink)) {
          w.SetError(kCipherFailed);
          return false;
        }
      } else {
        sink(w.current.data, w.current.size);
      }
    }
    return true;
  };

  w.same_as_stream = !compressed && !decipher;
  auto writer = [&] {
    try {
      if (!compressed) {
        // Each received block is written as it stands: no copy of the data.
        while (refill()) {
          for (const auto& [p, n] : w.pieces)
            if (!w.Write(p, n)) break;
          if (w.error.load() != kNone) break;
        }
      } else {
        // The expander's requests are filled from as many blocks as they
        // need, so its result never depends on how the server cut the data.
        ReadFunction read = [&](uint8_t* buffer, size_t size) -> size_t {
          size_t done = 0;
          while (done < size) {
            if (w.piece_index >= w.pieces.size() && !refill()) break;
            auto& [p, n] = w.pieces[w.piece_index];
            const size_t take = std::min(size - done, n - w.piece_offset);
            std::memcpy(buffer + done, p + w.piece_offset, take);
            done += take;
            w.piece_offset += take;
            if (w.piece_offset == n) {
              ++w.piece_index;
              w.piece_offset = 0;
            }
          }
          return done;
        };
        WriteFunction write = [&](const uint8_t* data, size_t size) { return w.Write(data, size); };
        const int result = expand_ ? expand_(read, write) : 1;
        // A full disk stops the expander too; its own code says more.
        if (result != 0 && w.error.load() != kDiskFull) w.error.store(kExpandFailed);
      }
    } catch (...) {
      w.SetError(kWriterException);
    }
    // The writer is done: a receiver waiting for space goes on, and the rest
    // of the data is dropped instead of piling up.
    queue.ReleaseSpace();
    w.current = DataBlock();
    w.pieces.clear();
    while (!w.source_ended) {
      DataBlock rest;
      if (!queue.Pop(rest)) break;
    }
  };

  start_ = DateTime::Now();
  const uint64_t start_ms = platform::TickCountMs();
  bool ok;
  try {
    // Most files are small: their data is queued whole and written on this
    // thread after the last block, which spares a thread per file. Only a
    // file with more data gets a writer thread beside the receiver.
    std::thread thread;
    ok = ReceiveAll(queue, [&] {
      if (!thread.joinable()) thread = std::thread(writer);
    });
    queue.Finish();
    if (thread.joinable())
      thread.join();
    else
      writer();
  } catch (const std::system_error&) {
    error_ = kWriterException;
    Discard();
    return false;
  }
  end_ = DateTime::Now();
  elapsed_seconds_ = static_cast<int64_t>((platform::TickCountMs() - start_ms) / 1000);
  bytes_written_ = w.bytes_written;
  stream_crc_ = w.stream_crc;
  if (w.same_as_stream) w.file_crc = w.stream_crc;
  if (compressed && bytes_written_ > bytes_received_)
    compression_percent_ = static_cast<float>(static_cast<double>(bytes_written_ - bytes_received_) /
                                              static_cast<double>(bytes_written_) * 100.0);
  if (error_ == kNone) error_ = w.error.load();
  if (!ok || error_ != kNone) {
    Discard();
    return false;
  }

  DataBlock unused;
  bool last = false;
  std::u16string text;
  uint32_t peer_crc = 0;
  if (peer_->Next(unused, last, text, peer_crc) != TransferPeer::Received::kVerify) {
    Discard();
    return false;
  }
  if (w.file_crc == expected_crc_ && stream_crc_ == peer_crc && Commit()) {
    peer_->SendVerifyResponse(1);
    return true;
  }
  peer_->SendVerifyResponse(0);
  Discard();
  return false;
}

}  // namespace bexa
