#include "platform/com/class_registration.h"

#include <cstdio>

namespace bexa::platform::com {

namespace {

std::u16string Ascii(const char* text) { return std::u16string(text, text + std::char_traits<char>::length(text)); }

std::u16string Number(uint32_t n) { return Ascii(std::to_string(n).c_str()); }

ScriptKey Key(std::u16string name, std::vector<ScriptValue> values = {},
              std::vector<ScriptKey> subkeys = {}, KeyFlag flag = KeyFlag::kNormal) {
  return ScriptKey{std::move(name), flag, std::move(values), std::move(subkeys)};
}

ScriptKey InprocServer(std::u16string_view module_path, const std::u16string& threading_model) {
  return Key(u"InprocServer32",
             {{u"", std::u16string(module_path)}, {u"ThreadingModel", threading_model}});
}

// The folder of a module path, in either form ("\" or "/").
std::u16string FolderOf(std::u16string_view path) {
  const size_t at = path.find_last_of(u"\\/");
  return at == std::u16string_view::npos ? std::u16string() : std::u16string(path.substr(0, at + 1));
}

}  // namespace

std::u16string TypeLibVersionText(uint16_t major, uint16_t minor) {
  char text[16];
  std::snprintf(text, sizeof text, "%x.%x", major, minor);
  return Ascii(text);
}

std::vector<ScriptKey> ControlClassScript(const ControlClassRegistration& c,
                                          std::u16string_view module_path) {
  const std::u16string clsid = GuidText(c.clsid);
  ScriptKey prog = Key(c.prog_id, {{u"", c.name}}, {Key(u"CLSID", {{u"", clsid}})});
  ScriptKey cls = Key(clsid, {{u"", c.name}});
  cls.subkeys.push_back(Key(u"ProgID", {{u"", c.prog_id}}));
  cls.subkeys.push_back(InprocServer(module_path, c.threading_model));
  cls.subkeys.push_back(Key(u"Control"));
  if (c.insertable) {
    prog.subkeys.push_back(Key(u"Insertable"));
    cls.subkeys.push_back(Key(u"Insertable"));
  }
  cls.subkeys.push_back(Key(u"ToolboxBitmap32",
                            {{u"", std::u16string(module_path) + u", " + Number(c.toolbox_bitmap_id)}}));
  cls.subkeys.push_back(
      Key(u"MiscStatus", {{u"", u"0"}}, {Key(u"1", {{u"", Number(c.misc_status)}})}));
  cls.subkeys.push_back(Key(u"TypeLib", {{u"", GuidText(c.type_library)}}));
  cls.subkeys.push_back(Key(u"Version", {{u"", TypeLibVersionText(c.major, c.minor)}}));
  return {prog, Key(u"CLSID", {}, {cls}, KeyFlag::kNoRemove)};
}

std::vector<ScriptKey> PropertyPageScript(const PropertyPageRegistration& p,
                                          std::u16string_view module_path) {
  const std::u16string clsid = GuidText(p.clsid);
  ScriptKey prog = Key(p.prog_id, {{u"", p.name}}, {Key(u"CLSID", {{u"", clsid}})});
  ScriptKey cls = Key(clsid, {{u"", p.name}},
                      {Key(u"ProgID", {{u"", p.prog_id}}), InprocServer(module_path, p.threading_model)});
  return {prog, Key(u"CLSID", {}, {cls}, KeyFlag::kNoRemove)};
}

void ApplyTypeLibrary(RegistryHive& hive, const TypeLibDescription& lib,
                      std::u16string_view module_path, RegistrationMode mode) {
  const std::u16string libid = GuidText(lib.libid);
  const std::u16string version = TypeLibVersionText(lib.major, lib.minor);
  const std::u16string lib_key = u"TypeLib\\" + libid;
  const std::u16string version_key = lib_key + u"\\" + version;
  if (mode == RegistrationMode::kRegister) {
    hive.SetValue(version_key, u"", lib.description);
    hive.SetValue(version_key + u"\\0\\win32", u"", module_path);
    hive.SetValue(version_key + u"\\FLAGS", u"", u"0");
    hive.SetValue(version_key + u"\\HELPDIR", u"", FolderOf(module_path));
    for (const TypeLibInterface& i : lib.interfaces) {
      const std::u16string key = u"Interface\\" + GuidText(i.iid);
      hive.SetValue(key, u"", i.name);
      hive.SetValue(key + u"\\TypeLib", u"", libid);
      hive.SetValue(key + u"\\TypeLib", u"Version", version);
    }
    return;
  }
  for (const TypeLibInterface& i : lib.interfaces) hive.DeleteTree(u"Interface\\" + GuidText(i.iid));
  hive.DeleteTree(version_key);
  if (hive.SubKeys(lib_key).empty()) hive.DeleteKey(lib_key);
}

HRESULT RegisterTypeLibrary(const TypeLibDescription& library, std::u16string_view module_path) {
  return EditHive(kClassesRoot, [&](RegistryHive& hive) {
    ApplyTypeLibrary(hive, library, module_path, RegistrationMode::kRegister);
    return S_OK;
  });
}

HRESULT UnregisterTypeLibrary(const TypeLibDescription& library) {
  return EditHive(kClassesRoot, [&](RegistryHive& hive) {
    ApplyTypeLibrary(hive, library, u"", RegistrationMode::kUnregister);
    return S_OK;
  });
}

void CreateComponentCategory(RegistryHive& hive, const ComponentCategory& category) {
  const std::u16string key = u"Component Categories\\" + GuidText(category.catid);
  if (!hive.Value(key, u"409")) hive.SetValue(key, u"409", category.description);
}

void AddImplementedCategory(RegistryHive& hive, const Clsid& clsid, const Guid& catid) {
  hive.CreateKey(u"CLSID\\" + GuidText(clsid) + u"\\Implemented Categories\\" + GuidText(catid));
}

}  // namespace bexa::platform::com
