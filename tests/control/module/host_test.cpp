// The bexa program run as a person runs it: registration, ChkVals and
// serving the panel.
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "control/bexa_ids.h"
#include "platform/com/registry.h"
#include "tests/support/temp_home.h"

namespace bexa {
namespace {

using namespace platform::com;

struct HostRun {
  int status;
  std::string output;
};

HostRun RunHost(const std::string& arguments) {
  const std::string command = std::string(BEXA_HOST_FILE) + " " + arguments + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return {-1, ""};
  std::string output;
  char buffer[512];
  while (size_t n = ::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  const int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

bool ControlRegistered() {
  RegistryHive hive;
  return ReadHive(kClassesRoot, hive) == S_OK &&
         hive.KeyExists(u"CLSID\\" + GuidText(CLSID_BexaCtrl));
}

TEST(BexaHost, RegisterAndUnregisterRunTheLibrarysEntryPoints) {
  testing::TempHome home;
  HostRun run = RunHost("--register");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("DllRegisterServer"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("(S_OK)"), std::string::npos) << run.output;
  EXPECT_TRUE(ControlRegistered());

  run = RunHost("--unregister");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("DllUnregisterServer"), std::string::npos) << run.output;
  EXPECT_FALSE(ControlRegistered());
}

TEST(BexaHost, AFailedRegistrationShowsTheCodeAndExitsWithOne) {
  testing::TempHome home;
  testing::WriteFile(home.dir() + "/registry", "not a folder");
  const HostRun run = RunHost("--register");
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_NE(run.output.find("0x8"), std::string::npos) << run.output;
}

TEST(BexaHost, HelpAndBadOptions) {
  HostRun run = RunHost("--help");
  EXPECT_EQ(run.status, 0);
  for (const char* option : {"--register", "--chkvals", "--port", "--open", "--launch-file"})
    EXPECT_NE(run.output.find(option), std::string::npos) << option;
  for (const char* bad : {"--bogus", "--port 70000", "--port x", "--port"})
    EXPECT_EQ(RunHost(bad).status, 2) << bad;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// ChkVals by name through the library's IDispatch, the values on standard
// input: 0 and the handoff file when all five are there, 1 and none when not.
TEST(BexaHost, ChkValsWritesTheHandoffFileThroughTheLibrary) {
  testing::TempHome home;
  const std::string handoff = home.dir() + "/windows/wbx.txt";
  HostRun run = RunHost("--chkvals <<'EOF'\nusr=ann;pwd=pw;\nEOF");
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_FALSE(std::filesystem::exists(handoff));
  run = RunHost("--chkvals <<'EOF'\nlng=ENG;svr=127.0.0.1;prt=7000;usr=ann;pwd=pw;\nEOF");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("ChkVals: 0"), std::string::npos) << run.output;
  struct stat info {};
  ASSERT_EQ(::stat(handoff.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_NE(ReadAll(handoff).find("ann"), std::string::npos);
}

// Serving: the launch file is the owner's alone, the token appears in no
// output that is not a terminal, and SIGTERM ends the program cleanly.
TEST(BexaHost, ServesUntilSigtermWithTheTokenInTheLaunchFileOnly) {
  testing::TempHome home;
  const std::string launch = home.dir() + "/open.html";
  const std::string output = home.dir() + "/bexa.out";
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    FILE* out = ::freopen(output.c_str(), "w", stdout);
    if (out == nullptr || ::dup2(STDOUT_FILENO, STDERR_FILENO) < 0) ::_exit(126);
    ::execl(BEXA_HOST_FILE, BEXA_HOST_FILE, "--launch-file", launch.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  std::string page;
  for (int i = 0; i < 200 && page.find("url=") == std::string::npos; ++i) {
    ::usleep(50 * 1000);
    page = ReadAll(launch);
  }
  struct stat info {};
  const bool written = ::stat(launch.c_str(), &info) == 0;
  ::kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(written) << ReadAll(output);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  const size_t t = page.find("?t=");
  ASSERT_NE(t, std::string::npos) << page;
  const std::string token = page.substr(t + 3, 64);
  const std::string said = ReadAll(output);
  EXPECT_NE(said.find("serving the panel on 127.0.0.1:"), std::string::npos) << said;
  EXPECT_EQ(said.find(token), std::string::npos) << said;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << said;
}

}  // namespace
}  // namespace bexa
