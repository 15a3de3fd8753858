#include "control/registration.h"

#include "control/bexa_ids.h"

namespace bexa {

using namespace platform::com;

namespace {

ScriptKey Key(std::u16string name, std::vector<ScriptValue> values = {},
              std::vector<ScriptKey> subkeys = {}, KeyFlag flag = KeyFlag::kNormal) {
  return ScriptKey{std::move(name), flag, std::move(values), std::move(subkeys)};
}

const ComponentCategory kSafeForScripting{CATID_SafeForScripting,
                                          u"Controls that are safely scriptable"};
const ComponentCategory kSafeForInitializing{CATID_SafeForInitializing,
                                             u"Controls safely initializable from persistent data"};

HRESULT ApplyControlClasses(std::u16string_view module_path, RegistrationMode mode) {
  return EditHive(kClassesRoot, [&](RegistryHive& hive) {
    const ControlClassRegistration control = BexaCtrlRegistration();
    if (!ApplyRegistryScript(hive, ControlClassScript(control, module_path), {}, mode) ||
        !ApplyRegistryScript(hive, PropertyPageScript(BexaPropPageRegistration(), module_path), {},
                             mode))
      return E_INVALIDARG;
    if (mode == RegistrationMode::kRegister) {
      for (const ComponentCategory& category : {kSafeForScripting, kSafeForInitializing}) {
        CreateComponentCategory(hive, category);
        AddImplementedCategory(hive, control.clsid, category.catid);
      }
    }
    return S_OK;
  });
}

HRESULT Run(std::u16string_view module_path, RegistrationMode mode) {
  const Replacements replacements = ScriptReplacements(module_path);
  const TypeLibDescription library = BexaTypeLibrary();
  auto type_library = [&] {
    return mode == RegistrationMode::kRegister ? RegisterTypeLibrary(library, module_path)
                                               : UnregisterTypeLibrary(library);
  };
  // The system's own steps report their own codes.
  if (HRESULT hr = RunRegistryScript(ApplicationIdentityScript(), replacements, mode); Failed(hr))
    return hr;
  if (HRESULT hr = RunRegistryScript(ProcValsScript(), replacements, mode); Failed(hr)) return hr;
  if (HRESULT hr = type_library(); Failed(hr)) return hr;
  // The control module's steps.
  if (Failed(type_library())) return SELFREG_E_TYPELIB;
  if (Failed(ApplyControlClasses(module_path, mode))) return SELFREG_E_CLASS;
  return S_OK;
}

}  // namespace

RegistryScript ApplicationIdentityScript() {
  RegistryScript script;
  script.keys = {Key(u"AppID", {},
                     {Key(u"%APPID%", {{u"", u"Bexa"}}),
                      Key(u"Bexa.DLL", {{u"AppID", u"%APPID%"}})},
                     KeyFlag::kNoRemove)};
  return script;
}

RegistryScript ProcValsScript() {
  const std::u16string clsid = GuidText(CLSID_ProcVals);
  RegistryScript script;
  script.keys = {
      Key(kProcValsProgId, {{u"", kProcValsName}}, {Key(u"CLSID", {{u"", clsid}})}),
      Key(kProcValsVersionIndependentProgId, {{u"", kProcValsName}},
          {Key(u"CLSID", {{u"", clsid}}), Key(u"CurVer", {{u"", kProcValsProgId}})}),
      Key(u"CLSID", {},
          {Key(clsid, {{u"", kProcValsName}, {u"AppID", u"%APPID%"}},
               {Key(u"ProgID", {{u"", kProcValsProgId}}),
                Key(u"VersionIndependentProgID", {{u"", kProcValsVersionIndependentProgId}}),
                Key(u"Programmable"),
                Key(u"InprocServer32", {{u"", u"%MODULE%"}, {u"ThreadingModel", u"Apartment"}}),
                Key(u"TypeLib", {{u"", GuidText(LIBID_Bexa)}})},
               KeyFlag::kForceRemove)},
          KeyFlag::kNoRemove),
  };
  return script;
}

TypeLibDescription BexaTypeLibrary() {
  TypeLibDescription library;
  library.libid = LIBID_Bexa;
  library.major = 1;
  library.minor = 0;
  library.description = u"Bexa ActiveX Control module";
  library.help_file = u"Bexa.hlp";
  library.interfaces = {{IID__DBexa, u"_DBexa"},
                        {IID__DBexaEvents, u"_DBexaEvents"},
                        {IID_IProcVals, u"IProcVals"}};
  return library;
}

ControlClassRegistration BexaCtrlRegistration() {
  ControlClassRegistration control;
  control.clsid = CLSID_BexaCtrl;
  control.prog_id = kBexaCtrlProgId;
  control.name = kBexaCtrlName;
  control.insertable = true;
  control.toolbox_bitmap_id = kIdbBexaToolbox;
  control.misc_status = kBexaCtrlMiscStatus;
  control.type_library = LIBID_Bexa;
  control.major = 1;
  control.minor = 0;
  return control;
}

PropertyPageRegistration BexaPropPageRegistration() {
  PropertyPageRegistration page;
  page.clsid = CLSID_BexaPropPage;
  page.prog_id = kBexaPropPageProgId;
  page.name = kBexaPropPageName;
  return page;
}

Replacements ScriptReplacements(std::u16string_view module_path) {
  return {{u"%APPID%", GuidText(APPID_Bexa)}, {u"%MODULE%", std::u16string(module_path)}};
}

HRESULT RegisterServer(std::u16string_view module_path) {
  return Run(module_path, RegistrationMode::kRegister);
}

HRESULT UnregisterServer(std::u16string_view module_path) {
  return Run(module_path, RegistrationMode::kUnregister);
}

}  // namespace bexa
