// The protocol log: one time-stamped line per PDU sent, received or peeked,
// into a new text file per connection, flushed every few lines.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "util/datetime.h"
#include "util/file_system.h"

namespace bexa::protocol {

class ProtocolLog {
 public:
  // Creates `folder` (a Windows path) with its missing parents and opens
  // folder + "\PROTOCOL <stamp>.txt" for appending, named by `now`. A folder
  // or file that cannot be made leaves the log without a file; its lines
  // are then dropped. Throws FileSystemException("Directory cannot be
  // empty") for an empty folder. flush_every: "CacheLogEntries".
  ProtocolLog(const std::u16string& folder, int flush_every, const DateTime& now = DateTime::Now());
  ~ProtocolLog();
  ProtocolLog(const ProtocolLog&) = delete;
  ProtocolLog& operator=(const ProtocolLog&) = delete;

  // "\PROTOCOL %Y%m%d%H%M%S %b %d, %Y %I.%M %p.txt" for a creation time.
  static std::u16string FileNameFor(const DateTime& created);
  // "[%d-%b-%Y:%H:%M:%S] " + text.
  static std::u16string LineFor(const DateTime& when, std::u16string_view text);

  // Writes one line whole (carriage return and line feed at its end). A
  // file error loses the line quietly.
  void WriteLine(std::u16string_view text, const DateTime& when = DateTime::Now());

  bool open() const { return open_; }
  const std::u16string& path() const { return path_; }

 private:
  void FlushLocked();

  const int flush_every_;
  std::mutex mutex_;     // one line at a time
  NS_File file_;         // guarded by mutex_
  bool open_ = false;
  std::u16string path_;
  std::string pending_;  // guarded by mutex_: lines not yet handed to the file
  int pending_entries_ = 0;  // guarded by mutex_
};

}  // namespace bexa::protocol
