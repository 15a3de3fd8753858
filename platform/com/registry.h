// The registry store that registration writes: keys and string values by
// hive, one text file per hive under RegistryFolder() (platform/home.h),
// e.g. registry/HKEY_CLASSES_ROOT.reg:
//
//   ; HKEY_CLASSES_ROOT
//   [Bexa.ProcVals]
//   @="ProcVals Class"
//
//   [Bexa.ProcVals\CurVer]
//   @="Bexa.ProcVals.1"
//
// Every key has its section, parents before children; "@" is the default
// value; \\, \", \n, \r and \t are the escapes inside quotes.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/com/hresult.h"

namespace bexa::platform::com {

inline constexpr char kClassesRoot[] = "HKEY_CLASSES_ROOT";

// One hive in memory. A key path names its components separated by "\",
// relative to the hive; the empty path is the hive's root, which always
// exists and cannot be deleted. Key and value names compare without regard
// to (ASCII) case and keep the case they were created with. The value name
// "" is the key's default value. Values are texts.
class RegistryHive {
 public:
  bool KeyExists(std::u16string_view path) const;
  // Creates the key and every missing parent. False for a path with an
  // empty component or a line break in it.
  bool CreateKey(std::u16string_view path);
  // Sets a value, creating the key as needed. False as CreateKey.
  bool SetValue(std::u16string_view path, std::u16string_view name, std::u16string_view value);
  std::optional<std::u16string> Value(std::u16string_view path, std::u16string_view name) const;
  // False when the key or the value is not there.
  bool DeleteValue(std::u16string_view path, std::u16string_view name);
  // Deletes a key without subkeys, with its values; false when the key is
  // missing, is the root, or has subkeys.
  bool DeleteKey(std::u16string_view path);
  // Deletes a key with everything below it; false when it is missing or is
  // the root.
  bool DeleteTree(std::u16string_view path);
  // The names of the key's direct subkeys, sorted without regard to case.
  std::vector<std::u16string> SubKeys(std::u16string_view path) const;
  // The key's values (name, value), sorted by name without regard to case.
  std::vector<std::pair<std::u16string, std::u16string>> Values(std::u16string_view path) const;
  bool Empty() const { return keys_.empty(); }

  // The text form shown above, in UTF-8.
  std::string ToText(std::string_view hive_name) const;
  // Reads the text form. On failure: nothing, and error (when given) says
  // "line N: reason".
  static std::optional<RegistryHive> FromText(std::string_view text, std::string* error = nullptr);

 private:
  // Orders folded paths so that a key's subkeys follow it directly.
  struct PathOrder {
    bool operator()(const std::u16string& a, const std::u16string& b) const;
  };
  struct Key {
    std::u16string path;  // as created
    std::map<std::u16string, std::pair<std::u16string, std::u16string>> values;  // by folded name
  };
  Key* Find(std::u16string_view path);
  const Key* Find(std::u16string_view path) const;

  std::map<std::u16string, Key, PathOrder> keys_;  // by folded path; every ancestor present
};

// The file of a hive in the store.
std::string HiveFilePath(std::string_view hive);

// Reads a hive of the store; a hive whose file is not there yet is empty.
// E_FAIL for a damaged file, E_ACCESSDENIED when it cannot be read.
HRESULT ReadHive(std::string_view hive, RegistryHive& out);

// Changes a hive of the store: reads it while holding the store's lock (so
// concurrent registrations do not lose each other's keys), applies edit, and,
// when edit succeeds, replaces the file whole (a reader sees the old hive or
// the new one). Returns edit's failure, or the store's failure when the file
// is damaged (it is left as it is) or cannot be written.
HRESULT EditHive(std::string_view hive, const std::function<HRESULT(RegistryHive&)>& edit);

}  // namespace bexa::platform::com
