#include "protocol/settings.h"

#include <thread>

#include "platform/module_path.h"
#include "platform/profile.h"
#include "platform/sync.h"
#include "util/text.h"

namespace bexa::protocol {

// ---- settings

Setting::Setting(const char16_t* section, const char16_t* key, const char16_t* description)
    : section_(section), key_(key), description_(description) {}

bool Setting::loaded() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return loaded_;
}

IntSetting::IntSetting(const char16_t* section, const char16_t* key, int fallback,
                       const char16_t* description)
    : Setting(section, key, description), fallback_(fallback) {
  SettingsFile::Instance().Register(this);
}

int IntSetting::Value() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (loaded_) return value_;
  }
  const std::string path = SettingsFile::Instance().Path();
  std::lock_guard<std::mutex> lock(mutex_);
  if (!loaded_) {
    value_ = platform::GetProfileInt(section_, key_, fallback_, path);
    loaded_ = true;
  }
  return value_;
}

bool IntSetting::Reload(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!loaded_) return false;
  const int old = value_;
  value_ = platform::GetProfileInt(section_, key_, fallback_, path);
  return value_ != old;
}

void IntSetting::Unload() {
  std::lock_guard<std::mutex> lock(mutex_);
  loaded_ = false;
}

TextSetting::TextSetting(const char16_t* section, const char16_t* key, const char16_t* fallback,
                         const char16_t* description)
    : Setting(section, key, description), fallback_(fallback) {
  SettingsFile::Instance().Register(this);
}

namespace {
// A buffer of 261 characters holds 260 and the terminator.
constexpr size_t kTextSettingBuffer = 261;
}  // namespace

std::u16string TextSetting::Value() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (loaded_) return value_;
  }
  const std::string path = SettingsFile::Instance().Path();
  std::lock_guard<std::mutex> lock(mutex_);
  if (!loaded_) {
    value_ = Trim(platform::GetProfileString(section_, key_, fallback_, kTextSettingBuffer, path));
    loaded_ = true;
  }
  return value_;
}

bool TextSetting::Reload(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!loaded_) return false;
  std::u16string fresh =
      Trim(platform::GetProfileString(section_, key_, fallback_, kTextSettingBuffer, path));
  const bool changed = fresh != value_;
  value_ = std::move(fresh);
  return changed;
}

void TextSetting::Unload() {
  std::lock_guard<std::mutex> lock(mutex_);
  loaded_ = false;
}

ProtocolSettings::~ProtocolSettings() { SettingsFile::Instance().StopWatcher(); }

ProtocolSettings& Settings() {
  static ProtocolSettings settings;
  return settings;
}

// ---- the file and its watcher

struct SettingsFile::Watcher {
  platform::Event stop{true, false};
  std::thread thread;
  long long stamp = -1;
};

SettingsFile& SettingsFile::Instance() {
  static SettingsFile file;
  return file;
}

SettingsFile::~SettingsFile() { StopWatcher(); }

void SettingsFile::Register(Setting* setting) {
  std::lock_guard<std::mutex> lock(registry_mutex_);
  settings_.push_back(setting);
}

void SettingsFile::Name(const std::string& host_folder) {
  StopWatcher();
  std::string path = host_folder;
  if (path.empty() || path.back() != '/') path += '/';
  path += kFileName;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    path_ = path;
    named_ = true;
  }
  {
    std::lock_guard<std::mutex> lock(registry_mutex_);
    for (Setting* s : settings_) s->Unload();
  }
  const long long stamp = platform::FileModificationStamp(path);
  if (stamp < 0) return;  // no settings file: nothing to watch
  auto watcher = std::make_unique<Watcher>();
  watcher->stamp = stamp;
  Watcher* w = watcher.get();
  watcher->thread = std::thread([this, w, path] {
    // Polls once a second; a file that cannot be queried skips the round.
    while (!w->stop.Wait(1000)) {
      const long long now = platform::FileModificationStamp(path);
      if (now < 0 || now == w->stamp) continue;
      w->stamp = now;
      ReloadLoaded();
    }
  });
  std::lock_guard<std::mutex> lock(mutex_);
  watcher_ = std::move(watcher);
}

void SettingsFile::NameBesideProgram() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (named_) return;
  }
  Name(platform::MainModuleFolder());
}

std::string SettingsFile::Path() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (named_) return path_;
  }
  NameBesideProgram();
  std::lock_guard<std::mutex> lock(mutex_);
  return path_;
}

bool SettingsFile::Watching() {
  std::lock_guard<std::mutex> lock(mutex_);
  return watcher_ != nullptr;
}

void SettingsFile::StopWatcher() {
  std::unique_ptr<Watcher> w;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    w = std::move(watcher_);
  }
  if (!w) return;
  w->stop.Set();
  if (w->thread.joinable()) w->thread.join();
}

int SettingsFile::ReloadLoaded() {
  std::string path;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    path = path_;
  }
  std::lock_guard<std::mutex> lock(registry_mutex_);
  int changed = 0;
  // No change observers are registered in this system: a new value simply
  // takes effect at its next use.
  for (Setting* s : settings_) changed += s->Reload(path) ? 1 : 0;
  return changed;
}

}  // namespace bexa::protocol
