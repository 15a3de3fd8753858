// Registration of the control library: the application identity and the
// scriptable class (the two registration scripts), the type library, and
// the control and property page classes with the control's component
// categories. Everything goes to HKEY_CLASSES_ROOT of the registry store.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/class_registration.h"
#include "platform/com/registrar.h"

namespace bexa {

// The two scripts, with "%APPID%" and "%MODULE%" in them.
platform::com::RegistryScript ApplicationIdentityScript();  // AppID
platform::com::RegistryScript ProcValsScript();             // the scriptable class

// The type library: version 1.0, help file "Bexa.hlp", interfaces _DBexa,
// _DBexaEvents and IProcVals.
platform::com::TypeLibDescription BexaTypeLibrary();

// The control's and the page's registration data.
platform::com::ControlClassRegistration BexaCtrlRegistration();
platform::com::PropertyPageRegistration BexaPropPageRegistration();

// The replacements of the scripts: "%APPID%" the application id, "%MODULE%"
// module_path.
platform::com::Replacements ScriptReplacements(std::u16string_view module_path);

// DllRegisterServer for the library at module_path (its Windows form):
// 1. the application identity script; 2. the ProcVals script and the type
// library; 3. the type library for the control module (SELFREG_E_TYPELIB);
// 4. the control (with its two categories) and the page (SELFREG_E_CLASS);
// S_OK. A failure of step 1 or 2 returns the store's code. Nothing is rolled
// back.
platform::com::HRESULT RegisterServer(std::u16string_view module_path);

// DllUnregisterServer: the same steps in unregister mode. The "AppID",
// "CLSID", "TypeLib" and "Interface" keys and the component categories stay.
platform::com::HRESULT UnregisterServer(std::u16string_view module_path);

}  // namespace bexa
