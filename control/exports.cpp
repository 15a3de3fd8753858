// The entry points of libBexa.so, with C linkage: the only symbols the
// library exports (see libBexa.map).
#include "control/class_objects.h"
#include "control/registration.h"
#include "platform/com/inproc_server.h"
#include "platform/drives.h"

using bexa::platform::com::Clsid;
using bexa::platform::com::E_FAIL;
using bexa::platform::com::E_OUTOFMEMORY;
using bexa::platform::com::HRESULT;
using bexa::platform::com::Iid;

namespace {

// "%MODULE%": this library's file, in the system's (Windows) path form.
std::u16string ModulePath() {
  return bexa::platform::WindowsPathOf(
      bexa::platform::com::ModuleFileOf(reinterpret_cast<const void*>(&ModulePath)));
}

// No exception leaves the library.
template <typename F>
HRESULT Guarded(F&& f) {
  try {
    return f();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) HRESULT DllRegisterServer() {
  return Guarded([] { return bexa::RegisterServer(ModulePath()); });
}

__attribute__((visibility("default"))) HRESULT DllUnregisterServer() {
  return Guarded([] { return bexa::UnregisterServer(ModulePath()); });
}

__attribute__((visibility("default"))) HRESULT DllGetClassObject(const Clsid& clsid, const Iid& iid,
                                                                 void** out) {
  return bexa::GetClassObject(clsid, iid, out);
}

__attribute__((visibility("default"))) HRESULT DllCanUnloadNow() { return bexa::CanUnloadNow(); }

}  // extern "C"
