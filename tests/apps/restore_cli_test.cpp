#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "apps/restore_cli/catalogue_view.h"
#include "apps/restore_cli/options.h"
#include "tests/support/program.h"
#include "tests/support/temp_home.h"
#include "tests/support/test_server.h"
#include "util/text.h"

namespace bexa::cli {
namespace {

TEST(RestoreCliOptions, ParsesTheActionsAndRefusesMistakes) {
  std::string error;
  auto o = ParseOptions({"--server", "backup.example:4000", "--user", "ann", "--restore", "//PC1/C/a",
                         "\\\\PC1\\C\\b@20240101000000", "--to", "out", "--flat", "--overwrite",
                         "unique-all", "--progress"},
                        error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->action, Action::kRestore);
  EXPECT_EQ(o->host, "backup.example");
  EXPECT_EQ(o->port, 4000);
  EXPECT_EQ(o->restore.size(), 2u);
  EXPECT_TRUE(o->flat);
  EXPECT_EQ(o->overwrite, Overwrite::kUniqueAll);
  o = ParseOptions({"--server", "h", "--user", "u", "--list"}, error);
  ASSERT_TRUE(o);
  EXPECT_EQ(o->port, 308);
  EXPECT_EQ(o->list_path, "");

  struct Bad {
    std::vector<std::string> args;
    const char* says;
  } bad[] = {
      {{"--user", "u", "--list"}, "--server is missing"},
      {{"--server", "h", "--list"}, "--user is missing"},
      {{"--server", "h", "--user", "u"}, "say what to do"},
      {{"--server", "h:0", "--user", "u", "--list"}, "port"},
      {{"--server", "h", "--user", "u", "--restore"}, "at least one stored path"},
      {{"--server", "h", "--user", "u", "--list", "--check-logon"}, "one action only"},
      {{"--server", "h", "--user", "u", "--list", "--overwrite", "maybe"}, "--overwrite must be"},
      {{"--server", "h", "--user", "u", "--list", "--language", "fr"}, "--language must be"},
      {{"--server", "h", "--user", "u", "--restore", "//a/b", "--flat"}, "--flat needs --to"},
      {{"--server", "h", "--user", "u", "--bogus"}, "unknown argument"},
      {{"--server"}, "needs a value"},
  };
  for (const auto& b : bad) {
    error.clear();
    EXPECT_FALSE(ParseOptions(b.args, error));
    EXPECT_NE(error.find(b.says), std::string::npos) << error;
  }
  EXPECT_EQ(ParseOptions({"--help"}, error)->action, Action::kHelp);
  EXPECT_NE(HelpText().find("--overwrite MODE"), std::string::npos);
}

TEST(RestoreCliOptions, StoredPaths) {
  std::string error;
  auto p = ParseStoredPath("//PC1/C/Docs/", error);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->path, u"\\\\PC1\\C\\Docs");
  EXPECT_EQ(p->version, u"");
  p = ParseStoredPath("\\\\PC1\\C\\a.txt@20240102030405", error);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->path, u"\\\\PC1\\C\\a.txt");
  EXPECT_EQ(p->version, u"20240102030405");
  p = ParseStoredPath("//PC1/C/mail@home", error);  // not a date: part of the name
  ASSERT_TRUE(p);
  EXPECT_EQ(p->path, u"\\\\PC1\\C\\mail@home");
  for (const char* bad : {"C:/Docs", "//PC1", "///x", "relative/path"})
    EXPECT_FALSE(ParseStoredPath(bad, error)) << bad;
}

TEST(RestoreCliCatalogue, SelectsFilesFoldersAndVersions) {
  VolumeFiles v;
  v.volume = u"\\\\PC1\\C";
  v.files = {{u"Docs\\a.txt", u"", {{u"20230101000000", u"20230101000000", 5}, {u"20240101000000", u"20231231000000", 7}}},
             {u"Docs\\Sub\\b.txt", u"", {{u"20240101000000", u"20231231000000", 9}}},
             {u"Other\\c.txt", u"", {{u"20240101000000", u"", 1}}}};
  std::string error;
  auto entries = SelectPath(v, {u"\\\\PC1\\C\\docs\\A.TXT", u""}, error);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].key, u"\\\\PC1\\C\\Docs\\a.txt:20240101000000");
  EXPECT_EQ(entries[0].size, 7);
  entries = SelectPath(v, {u"\\\\PC1\\C\\Docs\\a.txt", u"20230101000000"}, error);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].size, 5);
  entries = SelectPath(v, {u"\\\\PC1\\C\\Docs", u""}, error);
  EXPECT_EQ(entries.size(), 3u);  // two files and the folder
  EXPECT_EQ(entries.back().size, -1);
  EXPECT_TRUE(SelectPath(v, {u"\\\\PC1\\C\\Docs\\a.txt", u"19990101000000"}, error).empty());
  EXPECT_TRUE(SelectPath(v, {u"\\\\PC1\\C\\Nothing", u""}, error).empty());
  const std::string listing = ListPath(v, u"\\\\PC1\\C\\Docs", u",");
  EXPECT_NE(listing.find("  Sub\\\n"), std::string::npos);
  EXPECT_LT(listing.find("@20240101000000"), listing.find("@20230101000000"));  // newest first
}

// The program itself against a real server.
class RestoreCliProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    store_.AddAccount("ann", "pw");
    store_.AddFile("Docs/a.txt", "alpha");
    store_.AddFile("Docs/b.bin", std::string(70000, '\x07'));
    store_.Import("ann", "\\\\PC1\\C", "WORKGRP", {true, true, "20240102030405"});
    server_ = std::make_unique<bexa::testing::TestServer>(store_.dir());
  }
  int Run(const std::string& args, std::string& out) {
    const std::string command = std::string(BEXA_RESTORE_PROGRAM) + " --server 127.0.0.1:" +
                                std::to_string(server_->port()) + " " + args + " 2>&1 </dev/null";
    return bexa::testing::RunProgram(command, out);
  }
  bexa::testing::TempHome home_;
  bexa::testing::TestStore store_;
  std::unique_ptr<bexa::testing::TestServer> server_;
};

TEST_F(RestoreCliProgram, RestoresAFolderAndReportsAWrongPassword) {
  std::string out;
  const std::string to = home_.dir() + "/restored";
  EXPECT_EQ(Run("--user ann --password pw --restore //PC1/C/Docs --to " + to, out), 0) << out;
  EXPECT_NE(out.find("Files actually restored: 2"), std::string::npos) << out;
  EXPECT_NE(out.find("The restore operation completed successfully."), std::string::npos);
  std::ifstream in(to + "/PC1/C/Docs/b.bin", std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  EXPECT_EQ(ss.str(), std::string(70000, '\x07'));

  EXPECT_EQ(Run("--user ann --password bad --check-logon", out), 2);
  EXPECT_NE(out.find("(status 116)"), std::string::npos) << out;
  EXPECT_EQ(Run("--user ann --password pw --list", out), 0);
  EXPECT_NE(out.find("\\\\PC1\\C"), std::string::npos) << out;
  // Existing files are kept with no-all; the run then restored nothing.
  EXPECT_EQ(Run("--user ann --password pw --restore //PC1/C/Docs --to " + to + " --overwrite no-all", out), 1);
  EXPECT_NE(out.find("There were no files restored because"), std::string::npos) << out;
}

}  // namespace
}  // namespace bexa::cli
