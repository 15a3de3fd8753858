#include "restore/file_status.h"

#include "platform/files.h"
#include "util/dates.h"
#include "util/file_system.h"

namespace bexa {

bool GetFileStatus(std::u16string_view path, FileStatus& status) {
  if (path.empty()) return false;
  platform::FindData found;
  if (!platform::FindOne(ToLongPath(path), found)) return false;
  status.attributes = static_cast<uint8_t>(found.attributes & ~platform::kAttrNormal & 0xFF);
  status.size = static_cast<int64_t>(found.size);
  auto to_date = [](uint64_t ft) { return ft ? FileTimeToDate(ft) : DateTime::Invalid(); };
  status.last_write = to_date(found.times.last_write);
  status.creation = to_date(found.times.creation);
  status.last_access = to_date(found.times.last_access);
  if (!status.creation.IsValid()) status.creation = status.last_write;
  if (!status.last_access.IsValid()) status.last_access = status.last_write;
  return true;
}

bool SetFileStatus(std::u16string_view path, const FileStatus& status) {
  const std::u16string long_path = ToLongPath(path);
  const uint32_t current = platform::GetAttributes(long_path);
  if (current == platform::kInvalidAttributes) return false;
  const uint32_t current_byte = current & 0xFF & ~platform::kAttrNormal & ~platform::kAttrDirectory;
  const bool differs = status.attributes != current_byte;
  const bool read_only = (current & platform::kAttrReadOnly) != 0;
  if (differs && read_only && !platform::SetAttributes(long_path, status.attributes)) return false;

  uint64_t creation = 0, last_write = 0, last_access = 0;
  const bool has_creation = status.creation.IsValid() && DateToFileTime(status.creation, creation);
  const bool has_access =
      status.last_access.IsValid() && DateToFileTime(status.last_access, last_access);
  if (status.last_write.IsValid() && !DateToFileTime(status.last_write, last_write)) return false;
  const bool has_write = status.last_write.IsValid();

  // The times are written by path here: failures to set them are not
  // reported, as the restored data is what matters.
  platform::SetTimes(long_path, has_creation ? &creation : nullptr,
                     has_access ? &last_access : nullptr, has_write ? &last_write : nullptr);

  if (differs && !read_only && !platform::SetAttributes(long_path, status.attributes)) return false;
  return true;
}

}  // namespace bexa
