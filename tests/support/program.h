// Runs one of the built programs from a test, as a process.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace bexa::testing {

// Runs `command` through the shell and returns its exit status (-1 when it
// did not exit normally); `out` receives what it wrote to standard output.
inline int RunProgram(const std::string& command, std::string& out) {
  out.clear();
  FILE* p = ::popen(command.c_str(), "r");
  if (p == nullptr) return -1;
  std::array<char, 4096> buf;
  while (size_t n = std::fread(buf.data(), 1, buf.size(), p)) out.append(buf.data(), n);
  const int status = ::pclose(p);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The whole content of a file; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace bexa::testing
