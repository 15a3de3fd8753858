// A fresh BEXA_HOME for one test: a temporary folder with a win.ini of the
// test's choosing, removed again at the end. Restores the previous value.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace bexa::testing {

class TempHome {
 public:
  explicit TempHome(const std::string& win_ini = "") {
    char pattern[] = "/tmp/bexa-home-XXXXXX";
    dir_ = ::mkdtemp(pattern);
    if (const char* old = ::getenv("BEXA_HOME")) old_ = old, had_old_ = true;
    ::setenv("BEXA_HOME", dir_.c_str(), 1);
    std::filesystem::create_directories(dir_ + "/drive_c");
    if (!win_ini.empty()) WriteWinIni(win_ini);
  }
  ~TempHome() {
    if (had_old_)
      ::setenv("BEXA_HOME", old_.c_str(), 1);
    else
      ::unsetenv("BEXA_HOME");
    std::error_code ec;
    // Read-only files inside are removed too: restore write bits first.
    for (auto& e : std::filesystem::recursive_directory_iterator(dir_, ec))
      std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(dir_, ec);
  }
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  // Rewrites win.ini; the platform notices the change by its time stamp, so
  // the stamp is moved forward explicitly.
  void WriteWinIni(const std::string& text) {
    const std::string path = dir_ + "/win.ini";
    std::ofstream(path, std::ios::binary) << text;
    auto t = std::filesystem::last_write_time(path);
    std::filesystem::last_write_time(path, t + std::chrono::seconds(++generation_));
  }

  const std::string& dir() const { return dir_; }
  std::string DriveC() const { return dir_ + "/drive_c"; }

 private:
  std::string dir_;
  std::string old_;
  bool had_old_ = false;
  int generation_ = 0;
};

// Writes a file (creating its folders) and returns its path.
inline std::string WriteFile(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

}  // namespace bexa::testing
