// An in-process server library: its four entry points, and a loader for
// hosts that opens a library with the dynamic loader and calls them.
//
// Entry points (C linkage):
//   HRESULT DllRegisterServer();      writes the library's registry entries
//   HRESULT DllUnregisterServer();    removes them
//   HRESULT DllGetClassObject(const Clsid&, const Iid&, void** out);
//   HRESULT DllCanUnloadNow();        S_OK when the library may be unloaded
#pragma once

#include <memory>
#include <string>

#include "platform/com/unknown.h"

namespace bexa::platform::com {

using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();
using DllGetClassObjectFn = HRESULT (*)(const Clsid&, const Iid&, void**);
using DllCanUnloadNowFn = HRESULT (*)();

class InprocServer {
 public:
  // Opens the library at path (a host path; a bare file name is looked up
  // the loader's way) and finds its four entry points. Nothing, with the
  // reason in error, when it cannot be opened or lacks one of them.
  static std::unique_ptr<InprocServer> Open(const std::string& path, std::string* error = nullptr);
  // Closes the library: every object of it must have been released.
  ~InprocServer();
  InprocServer(const InprocServer&) = delete;
  InprocServer& operator=(const InprocServer&) = delete;

  HRESULT RegisterServer() const { return register_(); }
  HRESULT UnregisterServer() const { return unregister_(); }
  HRESULT GetClassObject(const Clsid& clsid, const Iid& iid, void** out) const {
    return get_class_object_(clsid, iid, out);
  }
  HRESULT CanUnloadNow() const { return can_unload_now_(); }

  // Creates an object of clsid through its class factory and hands out its
  // interface iid.
  HRESULT CreateInstance(const Clsid& clsid, const Iid& iid, void** out) const;

  // The host path of the opened library file.
  const std::string& Path() const { return path_; }

 private:
  InprocServer() = default;

  void* handle_ = nullptr;
  std::string path_;
  DllRegisterServerFn register_ = nullptr;
  DllUnregisterServerFn unregister_ = nullptr;
  DllGetClassObjectFn get_class_object_ = nullptr;
  DllCanUnloadNowFn can_unload_now_ = nullptr;
};

// Opens the library file_name (e.g. "libBexa.so") from the running
// program's own folder, else by name the loader's way.
std::unique_ptr<InprocServer> OpenBesideProgram(const std::string& file_name,
                                                std::string* error = nullptr);

// The host path of the loaded file that holds address (a function or object
// of a library); empty when it is not known.
std::string ModuleFileOf(const void* address);

}  // namespace bexa::platform::com
