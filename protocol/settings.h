// The tuning values of the protocol and the transfer, read lazily from the
// settings file "BackupClient.ini" beside the hosting program, each with a
// built-in default, and re-read by a watcher thread when the file changes.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace bexa::protocol {

class SettingsFile;

// One value of the settings file. Created for the life of the library.
class Setting {
 public:
  Setting(const char16_t* section, const char16_t* key, const char16_t* description);
  virtual ~Setting() = default;
  Setting(const Setting&) = delete;
  Setting& operator=(const Setting&) = delete;

  const std::u16string& section() const { return section_; }
  const std::u16string& key() const { return key_; }
  const std::u16string& description() const { return description_; }
  bool loaded() const;

 protected:
  friend class SettingsFile;
  // Reads the value from the file under the setting's lock; true when it
  // changed. Only a setting read before is read again.
  virtual bool Reload(const std::string& path) = 0;
  virtual void Unload() = 0;

  const std::u16string section_, key_, description_;
  mutable std::mutex mutex_;  // guards the value fields of the subclass and loaded_
  bool loaded_ = false;
};

class IntSetting : public Setting {
 public:
  IntSetting(const char16_t* section, const char16_t* key, int fallback,
             const char16_t* description);
  // The value; the first call reads it (the default when the file or key is missing).
  int Value();
  int fallback() const { return fallback_; }

 private:
  bool Reload(const std::string& path) override;
  void Unload() override;
  const int fallback_;
  int value_ = 0;  // guarded by mutex_
};

class TextSetting : public Setting {
 public:
  TextSetting(const char16_t* section, const char16_t* key, const char16_t* fallback,
              const char16_t* description);
  // At most 260 characters, trimmed of blanks at both ends.
  std::u16string Value();

 private:
  bool Reload(const std::string& path) override;
  void Unload() override;
  const std::u16string fallback_;
  std::u16string value_;  // guarded by mutex_
};

// The settings of this system.
struct ProtocolSettings {
  ProtocolSettings() = default;
  // The watcher must not outlive the settings it re-reads.
  ~ProtocolSettings();
  IntSetting use_protocol_log{u"Protocol", u"UseProtocolLog", 0,
                              u"Enables protocol log ( for debugging purposes )."};
  TextSetting protocol_log_directory{
      u"Protocol", u"ProtocolLogDirectoryPath", u"c:\\temp",
      u"Sets Protocol Log Directory Path ( for debugging purposes )."};
  IntSetting cache_log_entries{u"Protocol", u"CacheLogEntries", 5,
                               u"Maximum number of cached entries before flushing to file."};
  // 256 KiB and 44 bytes: a File data PDU of 256 KiB with its header and fields.
  IntSetting max_receive_buffer_size{u"Protocol", u"MaxReceiveBufferSize", 262188,
                                     u"Maximum receive buffer size."};
  IntSetting protocol_maximum_path_length{u"Protocol", u"ProtocolMaximumPathLength", 260,
                                          u"Protocol maximum path length."};
  IntSetting client_socket_upload_cache{u"ClientSocket", u"UploadCache", 262144,
                                        u"Cache size for writting to protocol"};
  IntSetting data_transfer_upload_cache{u"DataTransfer", u"UploadCache", 131072,
                                        u"Cache size for writting to protocol"};
};

// The process-wide settings (registered with the settings file).
ProtocolSettings& Settings();

// The settings file and its watcher.
class SettingsFile {
 public:
  static constexpr char kFileName[] = "BackupClient.ini";

  static SettingsFile& Instance();

  // Names the file: `host_folder` + "/BackupClient.ini" (the hosting
  // program's folder by default). When the file exists now, starts the
  // watcher that polls it every second; otherwise later changes go
  // unnoticed. Settings read before are forgotten, so the next use reads the
  // new file. A second call replaces the first (stopping its watcher).
  void Name(const std::string& host_folder);
  // Names the file beside the hosting program (done once, on first use,
  // when nobody named it).
  void NameBesideProgram();
  std::string Path();
  bool Watching();

  // Stops the watcher and waits for it (also done at unload).
  void StopWatcher();

  // Re-reads every setting read before, under the registry lock (the
  // watcher's step when the file changed). Returns how many changed.
  int ReloadLoaded();

  void Register(Setting* setting);

  ~SettingsFile();

 private:
  SettingsFile() = default;
  struct Watcher;

  std::mutex mutex_;                // guards path_, named_, watcher_
  std::mutex registry_mutex_;       // the lock of the registered settings
  std::vector<Setting*> settings_;  // guarded by registry_mutex_
  std::string path_;
  bool named_ = false;
  std::unique_ptr<Watcher> watcher_;
};

}  // namespace bexa::protocol
