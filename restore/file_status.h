// A file's times and attributes as the restore reads and writes them.
#pragma once

#include <cstdint>
#include <string_view>

#include "util/datetime.h"

namespace bexa {

struct FileStatus {
  DateTime creation = DateTime::Invalid();
  DateTime last_write = DateTime::Invalid();
  DateTime last_access = DateTime::Invalid();
  int64_t size = 0;
  uint8_t attributes = 0;  // 0x01 read-only, 0x02 hidden, 0x04 system, 0x20 archive
};

// Reads the status by a directory search of the path. Times are local; a
// creation or last-access time that is not known takes the last-write time.
bool GetFileStatus(std::u16string_view path, FileStatus& status);

// Writes the attribute byte and the valid times back. A read-only file gets
// its attributes first so that its times can be written; the others get
// them last.
bool SetFileStatus(std::u16string_view path, const FileStatus& status);

}  // namespace bexa
