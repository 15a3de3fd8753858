#include "platform/com/inproc_server.h"

#include <dlfcn.h>
#include <link.h>
#include <stdlib.h>

#include <filesystem>

namespace bexa::platform::com {

std::unique_ptr<InprocServer> InprocServer::Open(const std::string& path, std::string* error) {
  auto fail = [&](const std::string& reason) -> std::unique_ptr<InprocServer> {
    if (error) *error = reason;
    return nullptr;
  };
  dlerror();
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    return fail(why ? why : "cannot open " + path);
  }
  std::unique_ptr<InprocServer> server(new InprocServer());
  server->handle_ = handle;
  auto find = [&](const char* name) { return ::dlsym(handle, name); };
  server->register_ = reinterpret_cast<DllRegisterServerFn>(find("DllRegisterServer"));
  server->unregister_ = reinterpret_cast<DllUnregisterServerFn>(find("DllUnregisterServer"));
  server->get_class_object_ = reinterpret_cast<DllGetClassObjectFn>(find("DllGetClassObject"));
  server->can_unload_now_ = reinterpret_cast<DllCanUnloadNowFn>(find("DllCanUnloadNow"));
  if (!server->register_ || !server->unregister_ || !server->get_class_object_ ||
      !server->can_unload_now_)
    return fail(path + " is not an in-process server (an entry point is missing)");
  link_map* map = nullptr;
  if (::dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr &&
      *map->l_name != 0) {
    if (char* full = ::realpath(map->l_name, nullptr)) {
      server->path_ = full;
      ::free(full);
    }
  }
  if (server->path_.empty()) server->path_ = path;
  return server;
}

InprocServer::~InprocServer() {
  if (handle_) ::dlclose(handle_);
}

HRESULT InprocServer::CreateInstance(const Clsid& clsid, const Iid& iid, void** out) const {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  IClassFactory* factory = nullptr;
  HRESULT hr = GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (Failed(hr)) return hr;
  hr = factory->CreateInstance(nullptr, iid, out);
  factory->Release();
  return hr;
}

std::unique_ptr<InprocServer> OpenBesideProgram(const std::string& file_name, std::string* error) {
  std::error_code ec;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const std::filesystem::path beside = program.parent_path() / file_name;
    if (std::filesystem::exists(beside, ec)) return InprocServer::Open(beside.string(), error);
  }
  return InprocServer::Open(file_name, error);
}

std::string ModuleFileOf(const void* address) {
  Dl_info info{};
  if (::dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
  char* full = ::realpath(info.dli_fname, nullptr);
  if (full == nullptr) return info.dli_fname;
  std::string path = full;
  ::free(full);
  return path;
}

}  // namespace bexa::platform::com
