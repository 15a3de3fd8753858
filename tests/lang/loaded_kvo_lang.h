// libkvo_lang.so loaded through the dynamic loader, the way the control
// library's loader finds it, with the lookups the tests need.
#pragma once

#include <dlfcn.h>

#include <string>

#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace bexa::lang {

// A text in the form that failure messages print.
inline std::string WideForMessage(const std::u16string& text) { return platform::WideToUtf8(text); }

class LoadedKvoLang {
 public:
  using Getter = int (*)(int, char16_t*);

  LoadedKvoLang() : handle_(dlopen(KVO_LANG_FILE, RTLD_NOW | RTLD_LOCAL)) {
    if (handle_ == nullptr) ADD_FAILURE() << "dlopen: " << dlerror();
    get_ = reinterpret_cast<Getter>(Symbol("KVOL_get"));
  }
  ~LoadedKvoLang() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  LoadedKvoLang(const LoadedKvoLang&) = delete;
  LoadedKvoLang& operator=(const LoadedKvoLang&) = delete;

  bool Loaded() const { return handle_ != nullptr && get_ != nullptr; }
  void* Symbol(const std::string& name) const {
    return handle_ != nullptr ? dlsym(handle_, name.c_str()) : nullptr;
  }
  int Get(int id, char16_t* buffer) const { return get_(id, buffer); }

  // Fetches the text of id into text; false when the library left the buffer
  // as it was (a buffer filled with a marker tells the two apart).
  bool Text(int id, std::u16string& text) const {
    char16_t buffer[2048];
    for (auto& c : buffer) c = u'\uFFFF';
    get_(id, buffer);
    if (buffer[0] == u'\uFFFF') return false;
    text = buffer;
    return true;
  }

  static std::string File() { return KVO_LANG_FILE; }

 private:
  void* handle_;
  Getter get_ = nullptr;
};

}  // namespace bexa::lang
