// The registrar: runs a registration script against the registry store, in
// register or unregister mode. A script is a tree of keys with their
// default values and named values; texts may hold placeholders such as
// "%MODULE%" that the caller's replacements fill in.
//
// Register: every key is created (a kForceRemove key is first deleted with
// its whole tree, so no stale entry survives) and its values are set.
// Unregister: a kNoRemove key stays, only the values the script names are
// removed from it and its subkeys are visited; every other key is deleted
// with its whole tree.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/com/hresult.h"
#include "platform/com/registry.h"

namespace bexa::platform::com {

enum class KeyFlag { kNormal, kNoRemove, kForceRemove };

struct ScriptValue {
  std::u16string name;  // "" is the default value
  std::u16string text;
};

struct ScriptKey {
  std::u16string name;  // one component, or several separated by "\"
  KeyFlag flag = KeyFlag::kNormal;
  std::vector<ScriptValue> values;
  std::vector<ScriptKey> subkeys;
};

struct RegistryScript {
  std::string hive = kClassesRoot;
  std::vector<ScriptKey> keys;
};

// Placeholder and its text, e.g. {u"%APPID%", u"{...}"}.
using Replacements = std::vector<std::pair<std::u16string, std::u16string>>;

enum class RegistrationMode { kRegister, kUnregister };

// text with every placeholder of replacements filled in (each occurrence,
// left to right; an inserted text is not searched again).
std::u16string ReplacePlaceholders(std::u16string_view text, const Replacements& replacements);

// Applies the script's keys to hive. False when a key name is invalid; the
// keys before it stay applied (nothing is rolled back).
bool ApplyRegistryScript(RegistryHive& hive, const std::vector<ScriptKey>& keys,
                         const Replacements& replacements, RegistrationMode mode);

// Runs the script against the store: S_OK; E_INVALIDARG for an invalid key
// name (the store is left as it was); or the store's failure (EditHive).
HRESULT RunRegistryScript(const RegistryScript& script, const Replacements& replacements,
                          RegistrationMode mode);

}  // namespace bexa::platform::com
