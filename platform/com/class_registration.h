// The registry entries of in-process classes, type libraries and component
// categories, as registration scripts for the registrar (registrar.h): a
// script's register mode writes them, its unregister mode removes them
// while the shared roots ("CLSID", "TypeLib", "Interface") stay.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/guid.h"
#include "platform/com/registrar.h"

namespace bexa::platform::com {

// A visible control class.
struct ControlClassRegistration {
  Clsid clsid;
  std::u16string prog_id;
  std::u16string name;
  std::u16string threading_model = u"Apartment";
  bool insertable = false;
  int toolbox_bitmap_id = 0;
  uint32_t misc_status = 0;  // for the content aspect (1)
  Guid type_library;
  uint16_t major = 1, minor = 0;  // of the type library
};

// A property page class.
struct PropertyPageRegistration {
  Clsid clsid;
  std::u16string prog_id;
  std::u16string name;
  std::u16string threading_model = u"Apartment";
};

// A type library with the dispatch, dual and event interfaces it describes.
struct TypeLibInterface {
  Iid iid;
  std::u16string name;
};
struct TypeLibDescription {
  Guid libid;
  uint16_t major = 1, minor = 0;
  std::u16string description;
  std::u16string help_file;  // lies in the module's folder
  std::vector<TypeLibInterface> interfaces;
};

// The version as the registry writes it: hex digits, "1.0", "a.1f".
std::u16string TypeLibVersionText(uint16_t major, uint16_t minor);

// "<ProgID>" = name with "CLSID" (and "Insertable"), and "CLSID\{clsid}" =
// name with ProgID, InprocServer32 = module (ThreadingModel), Control,
// Insertable, ToolboxBitmap32 = "module, id", MiscStatus = "0" with "1" =
// the status, TypeLib and Version.
std::vector<ScriptKey> ControlClassScript(const ControlClassRegistration& control,
                                          std::u16string_view module_path);

// "<ProgID>" with "CLSID", and "CLSID\{clsid}" = name with ProgID and
// InprocServer32 = module (ThreadingModel).
std::vector<ScriptKey> PropertyPageScript(const PropertyPageRegistration& page,
                                          std::u16string_view module_path);

// Register mode: "TypeLib\{libid}\<version>" = description with "0\win32" =
// module, FLAGS = "0" and HELPDIR = the module's folder, and
// "Interface\{iid}" = name with TypeLib = libid (value Version) for each
// interface. Unregister mode removes those interface keys and the version
// key, and the library's key when no other version is left in it.
HRESULT RegisterTypeLibrary(const TypeLibDescription& library, std::u16string_view module_path);
HRESULT UnregisterTypeLibrary(const TypeLibDescription& library);
void ApplyTypeLibrary(RegistryHive& hive, const TypeLibDescription& library,
                      std::u16string_view module_path, RegistrationMode mode);

// Component categories.
inline constexpr Guid CATID_SafeForScripting = GuidOf("{7DD95801-9882-11CF-9FA9-00AA006C42C4}");
inline constexpr Guid CATID_SafeForInitializing = GuidOf("{7DD95802-9882-11CF-9FA9-00AA006C42C4}");

struct ComponentCategory {
  Guid catid;
  std::u16string description;  // in English, the locale "409"
};

// "Component Categories\{catid}" with "409" = description; a category that
// is already there keeps its entries. Categories are never removed.
void CreateComponentCategory(RegistryHive& hive, const ComponentCategory& category);
// "CLSID\{clsid}\Implemented Categories\{catid}".
void AddImplementedCategory(RegistryHive& hive, const Clsid& clsid, const Guid& catid);

}  // namespace bexa::platform::com
