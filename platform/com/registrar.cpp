#include "platform/com/registrar.h"

namespace bexa::platform::com {

namespace {

bool ApplyKey(RegistryHive& hive, const std::u16string& parent, const ScriptKey& key,
              const Replacements& replacements, RegistrationMode mode) {
  const std::u16string name = ReplacePlaceholders(key.name, replacements);
  const std::u16string path = parent.empty() ? name : parent + u"\\" + name;
  if (mode == RegistrationMode::kRegister) {
    if (key.flag == KeyFlag::kForceRemove) hive.DeleteTree(path);
    if (!hive.CreateKey(path)) return false;
    for (const ScriptValue& v : key.values)
      hive.SetValue(path, ReplacePlaceholders(v.name, replacements),
                    ReplacePlaceholders(v.text, replacements));
  } else {
    if (key.flag != KeyFlag::kNoRemove) {
      if (name.empty()) return false;
      hive.DeleteTree(path);
      return true;
    }
    for (const ScriptValue& v : key.values)
      hive.DeleteValue(path, ReplacePlaceholders(v.name, replacements));
  }
  for (const ScriptKey& sub : key.subkeys)
    if (!ApplyKey(hive, path, sub, replacements, mode)) return false;
  return true;
}

}  // namespace

std::u16string ReplacePlaceholders(std::u16string_view text, const Replacements& replacements) {
  std::u16string out;
  size_t at = 0;
  while (at < text.size()) {
    bool replaced = false;
    for (const auto& [placeholder, value] : replacements) {
      if (!placeholder.empty() && text.substr(at, placeholder.size()) == placeholder) {
        out += value;
        at += placeholder.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) out += text[at++];
  }
  return out;
}

bool ApplyRegistryScript(RegistryHive& hive, const std::vector<ScriptKey>& keys,
                         const Replacements& replacements, RegistrationMode mode) {
  for (const ScriptKey& key : keys)
    if (!ApplyKey(hive, u"", key, replacements, mode)) return false;
  return true;
}

HRESULT RunRegistryScript(const RegistryScript& script, const Replacements& replacements,
                          RegistrationMode mode) {
  return EditHive(script.hive, [&](RegistryHive& hive) {
    return ApplyRegistryScript(hive, script.keys, replacements, mode) ? S_OK : E_INVALIDARG;
  });
}

}  // namespace bexa::platform::com
