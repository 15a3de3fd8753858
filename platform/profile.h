// Private-profile (INI) reads with the Windows rules: sections and keys are
// compared without regard to letter case, values are trimmed of blanks and of
// one pair of enclosing quotes, and a missing key gives the caller's default.
// Files are read as UTF-8 (a byte order mark is skipped) or as UTF-16LE when
// they start with its byte order mark. Lines starting with ";" are comments.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace bexa::platform {

// GetPrivateProfileString: the value of key in section of the file at
// host_path (UTF-8 host path), or `fallback` when the file, the section or
// the key is missing. The result is cut to buffer_size - 1 characters, as a
// caller's buffer of buffer_size characters would hold it; a buffer_size of 0
// gives the empty text.
std::u16string GetProfileString(const std::u16string& section, const std::u16string& key,
                                 const std::u16string& fallback, size_t buffer_size,
                                 const std::string& host_path);

// GetPrivateProfileInt: the value read as a decimal integer (an optional
// sign, then leading digits; "0x" is not read), `fallback` when the key is
// missing, 0 when the value starts with no digit.
int GetProfileInt(const std::u16string& section, const std::u16string& key, int fallback,
                  const std::string& host_path);

// All key/value pairs of a section in file order (empty when missing).
std::vector<std::pair<std::u16string, std::u16string>> GetProfileSection(
    const std::u16string& section, const std::string& host_path);

// WritePrivateProfileString: sets (or with value == nullptr removes) a key,
// creating the file and the section when needed. Returns false when the file
// cannot be written.
bool WriteProfileString(const std::u16string& section, const std::u16string& key,
                        const std::u16string* value, const std::string& host_path);

// A stamp of a file's last write (its time, size and identity), never
// negative, or -1 when it does not exist; lets a watcher see that a settings
// file changed.
long long FileModificationStamp(const std::string& host_path);

}  // namespace bexa::platform
