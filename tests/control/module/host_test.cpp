// The bexa program's registration commands, run as a person runs them.
#include <stdio.h>
#include <sys/wait.h>

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

TEST(BexaHost, HelpAndTheModesNotBuiltYet) {
  HostRun run = RunHost("--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.output.find("--register"), std::string::npos) << run.output;
  run = RunHost("");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.output.find("not available"), std::string::npos) << run.output;
  run = RunHost("--bogus");
  EXPECT_EQ(run.status, 2);
}

}  // namespace
}  // namespace bexa
