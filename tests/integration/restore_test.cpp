// A restore from a real bexa-server: the engine, the session's logon, the
// file transfer with its cipher and expander stages, and the files on disk.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "restore/dcl_expander.h"
#include "restore/restore_engine.h"
#include "restore/session_restore_connection.h"
#include "session/session.h"
#include "tests/support/scripted_restore_ui.h"
#include "tests/support/temp_home.h"
#include "tests/support/test_server.h"
#include "util/text.h"

namespace bexa {
namespace {

std::string Text(size_t n, unsigned seed) {
  static const char* kWords[] = {"backup ", "restore ", "volume ", "the ", "secret ", "key ", "file\n"};
  std::mt19937 rng(seed);
  std::string s;
  while (s.size() < n) s += kWords[rng() % 7];
  s.resize(n);
  return s;
}

std::string Binary(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(rng());
  return s;
}

class RestoreFromServer : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    store_.AddAccount("ann", "pw");
  }

  void Serve() { server_ = std::make_unique<bexa::testing::TestServer>(store_.dir()); }

  // Selects every file of the store's volume \\PC1\C at its one version.
  void SelectAll(const std::map<std::string, std::string>& files, const std::u16string& date) {
    for (const auto& [path, data] : files) {
      std::u16string key = u"\\\\PC1\\C\\" + W(path);
      for (auto& c : key)
        if (c == u'/') c = u'\\';
      entries_.push_back({key + u":" + date, static_cast<int64_t>(data.size()), 0});
    }
    std::sort(entries_.begin(), entries_.end(), [](auto& a, auto& b) { return a.key < b.key; });
  }

  RestoreOutcome Run() {
    Session session;
    SessionParameters p;
    p.server = u"127.0.0.1";
    p.port = server_->port();
    p.user = u"ann";
    p.password = u"pw";
    p.secret_key = u"pw";
    session.SetParameters(p);
    ctx_.user = p.user;
    ctx_.password = p.password;
    ctx_.server = p.server;
    ctx_.port = p.port;
    ctx_.secret_key = p.secret_key;
    ctx_.computer_name = u"PC1";
    ctx_.domain_name = u"WORKGRP";
    ctx_.text = [&session](int id) { return std::u16string(session.texts().Get(id)); };
    SessionRestoreConnection connection(session, nullptr, DclExpander());
    int64_t count = 0;
    for (const auto& e : entries_) count += e.size >= 0;
    return RunRestore(entries_, count, ctx_, panel_, connection, ui_, shares_);
  }

  std::string Read(const std::string& below_c) {
    std::ifstream in(home_.DriveC() + "/" + below_c, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  bexa::testing::TempHome home_;
  bexa::testing::TestStore store_;
  std::unique_ptr<bexa::testing::TestServer> server_;
  bexa::testing::ScriptedUi ui_;
  RestoreContext ctx_;
  RestorePanelState panel_;
  ShareAvailability shares_;
  std::vector<SelectionEntry> entries_;
};

TEST_F(RestoreFromServer, PlainCompressedEncipheredAndBoth) {
  struct Variant {
    const char* name;
    bool compress, encrypt;
  } variants[] = {{"plain", false, false}, {"imploded", true, false},
                  {"enciphered", false, true}, {"both", true, true}};
  std::map<std::string, std::string> files;
  unsigned seed = 1;
  for (const auto& v : variants) {
    const std::string folder = std::string(v.name) + "/";
    files[folder + "text.txt"] = Text(300000 + seed, seed);
    files[folder + "bin.dat"] = Binary(70001 + seed, seed);
    files[folder + "empty.txt"] = "";
    files[folder + "tiny.txt"] = "x";
    for (const auto& [path, data] : files)
      if (path.rfind(folder, 0) == 0) store_.AddFile(path, data);
    store_.Import("ann", "\\\\PC1\\C", "WORKGRP", {v.compress, v.encrypt, "20240102030405"});
    std::filesystem::remove_all(store_.HostFolder());
    ++seed;
  }
  Serve();
  SelectAll(files, u"20240102030405");
  ui_.destination = DestinationChoice{1, u"C:\\Out", true};
  RestoreOutcome out = Run();
  EXPECT_EQ(out.restored, static_cast<int>(files.size())) << WideToUtf8(panel_.summary);
  EXPECT_EQ(ui_.status_text, u"The restore operation completed successfully.");
  for (const auto& [path, data] : files) EXPECT_EQ(Read("Out/PC1/C/" + path), data) << path;
  EXPECT_NE(server_->WaitForLine("recv QUIT"), "");
}

TEST_F(RestoreFromServer, WrongStreamCrcKeepsTheOriginalAndAborts) {
  store_.AddFile("a.txt", "new contents");
  store_.Import("ann", "\\\\PC1\\C", "WORKGRP", {false, false, "20240102030405"});
  auto volume = store_.store().LoadVolume("ann", "WORKGRP:\\\\PC1\\C");
  ASSERT_TRUE(volume);
  volume->files[0].versions[0].faults.wrong_verr_crc = true;
  store_.store().SaveVolume("ann", *volume);
  Serve();
  bexa::testing::WriteFile(home_.DriveC() + "/Out/PC1/C/a.txt", "original");
  SelectAll({{"a.txt", "new contents"}}, u"20240102030405");
  ui_.destination = DestinationChoice{1, u"C:\\Out", true};
  ui_.replace_answers = {kYes};
  RestoreOutcome out = Run();
  EXPECT_EQ(out.restored, 0);
  EXPECT_EQ(Read("Out/PC1/C/a.txt"), "original");
  EXPECT_NE(server_->WaitForLine("recv VERP"), "");
  EXPECT_EQ(ui_.status_text, u"There were no files successfully restored.");
  size_t left = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(home_.DriveC() + "/Out/PC1/C")) ++left;
  EXPECT_EQ(left, 1u);  // no temporary file stays behind
}

// A fault on one stored version of the volume \\PC1\C.
void SetFault(bexa::testing::TestStore& store, const std::string& path,
              void (*set)(server::FileFaults&)) {
  auto volume = store.store().LoadVolume("ann", "WORKGRP:\\\\PC1\\C");
  ASSERT_TRUE(volume);
  bool found = false;
  for (auto& f : volume->files)
    if (f.path == path) set(f.versions[0].faults), found = true;
  ASSERT_TRUE(found) << path;
  store.store().SaveVolume("ann", *volume);
}

size_t FilesBelow(const std::string& folder) {
  size_t n = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
    n += e.is_regular_file();
  return n;
}

// A connection that ends in the middle of a file, and a stream that the
// expander rejects: the user's copy stays as it was, nothing temporary stays
// behind, and the run ends there (the file after it is not asked for).
TEST_F(RestoreFromServer, CutConnectionAndBadStreamKeepTheOriginal) {
  struct Case {
    const char* name;
    bool compress;
    void (*fault)(server::FileFaults&);
    const char* server_sees;
  } cases[] = {
      {"close_mid_file", false, [](server::FileFaults& f) { f.close_mid_file = true; },
       "closing in the middle"},
      {"corrupt_stream", true, [](server::FileFaults& f) { f.corrupt_stream = true; }, "recv ABRT"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bexa::testing::TestStore store;
    store.AddAccount("ann", "pw");
    const std::map<std::string, std::string> files = {{"a.txt", Text(200000, 3)},
                                                      {"b.txt", "after"}};
    for (const auto& [path, data] : files) store.AddFile(path, data);
    store.Import("ann", "\\\\PC1\\C", "WORKGRP", {c.compress, false, "20240102030405"});
    SetFault(store, "a.txt", c.fault);
    server_ = std::make_unique<bexa::testing::TestServer>(store.dir());
    std::filesystem::remove_all(home_.DriveC() + "/Out");
    bexa::testing::WriteFile(home_.DriveC() + "/Out/PC1/C/a.txt", "original");
    entries_.clear();
    SelectAll(files, u"20240102030405");
    ui_ = {};
    ui_.destination = DestinationChoice{1, u"C:\\Out", true};
    ui_.replace_answers = {kYes};
    RestoreOutcome out = Run();
    EXPECT_EQ(out.restored, 0);
    EXPECT_EQ(Read("Out/PC1/C/a.txt"), "original");
    EXPECT_EQ(FilesBelow(home_.DriveC() + "/Out"), 1u);
    EXPECT_EQ(ui_.status_text, u"There were no files successfully restored.");
    EXPECT_NE(server_->WaitForLine(c.server_sees), "");
    for (const auto& line : server_->LogLines())
      EXPECT_FALSE(line.find("send FINF") != std::string::npos && line.find("b.txt") != std::string::npos)
          << line;
    server_.reset();
  }
}

// A file the server cannot give is reported and skipped; the others are
// restored, and the run ends as partly successful.
TEST_F(RestoreFromServer, FileMissingOnTheServerGivesAPartialRestore) {
  const std::map<std::string, std::string> files = {
      {"a.txt", "first"}, {"b.txt", "second"}, {"c.txt", "third"}};
  for (const auto& [path, data] : files) store_.AddFile(path, data);
  store_.Import("ann", "\\\\PC1\\C", "WORKGRP", {false, false, "20240102030405"});
  SetFault(store_, "b.txt", [](server::FileFaults& f) { f.sfil_status = 2; });
  Serve();
  SelectAll(files, u"20240102030405");
  ui_.destination = DestinationChoice{1, u"C:\\Out", true};
  RestoreOutcome out = Run();
  EXPECT_EQ(out.restored, 2);
  EXPECT_EQ(Read("Out/PC1/C/a.txt"), "first");
  EXPECT_EQ(Read("Out/PC1/C/c.txt"), "third");
  EXPECT_FALSE(std::filesystem::exists(home_.DriveC() + "/Out/PC1/C/b.txt"));
  EXPECT_EQ(ui_.status_text,
            u"The restore operation was only partially successful.  2 of 3 files were restored properly.");
  EXPECT_TRUE(ui_.flash);
  EXPECT_NE(std::find(ui_.panel_status.begin(), ui_.panel_status.end(),
                      u"The following file could not be restored because of an error on the server: "
                      u"\\\\PC1\\C\\b.txt:20240102030405"),
            ui_.panel_status.end());
}

// More than 500 entries, cancelled after 120 files: the server hears the
// cancel, the files done stay, no later one is written, and the summary
// says the run was cancelled.
TEST_F(RestoreFromServer, CancelDuringALargeRestore) {
  std::map<std::string, std::string> files;
  for (int i = 0; i < 600; ++i)
    files["d" + std::to_string(i / 100) + "/f" + std::to_string(1000 + i) + ".txt"] = "data " + std::to_string(i);
  for (const auto& [path, data] : files) store_.AddFile(path, data);
  store_.Import("ann", "\\\\PC1\\C", "WORKGRP", {false, false, "20240102030405"});
  Serve();
  SelectAll(files, u"20240102030405");
  ui_.destination = DestinationChoice{1, u"C:\\Out", true};
  ui_.cancel_after = 120;
  RestoreOutcome out = Run();
  EXPECT_TRUE(out.cancelled);
  EXPECT_EQ(out.restored, 120);
  EXPECT_EQ(FilesBelow(home_.DriveC() + "/Out"), 120u);
  EXPECT_FALSE(ui_.status_shown);
  EXPECT_EQ(ui_.errors, std::vector<std::u16string>{u"102"});
  EXPECT_NE(panel_.summary.find(u"Errors:"), std::u16string::npos);
  EXPECT_NE(server_->WaitForLine("recv CNCL"), "");
}

TEST_F(RestoreFromServer, WrongPasswordIsReported) {
  Serve();
  store_.store().FindAccount("ann")->password = "other";
  store_.Save();
  SelectAll({{"a.txt", "x"}}, u"20240102030405");
  RestoreOutcome out = Run();
  EXPECT_TRUE(out.aborted);
  EXPECT_EQ(ui_.errors, std::vector<std::u16string>{u"116"});
}

}  // namespace
}  // namespace bexa
