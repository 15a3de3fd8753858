#include "platform/console.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <vector>

namespace bexa::platform {

bool StdinIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }
bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

bool ReadLine(const std::string& prompt, std::string& line) {
  std::cerr << prompt << std::flush;
  return static_cast<bool>(std::getline(std::cin, line));
}

bool ReadSecretLine(const std::string& prompt, std::string& line) {
  std::cerr << prompt << std::flush;
  struct termios old_mode;
  const bool terminal = StdinIsTerminal() && ::tcgetattr(STDIN_FILENO, &old_mode) == 0;
  if (terminal) {
    struct termios quiet = old_mode;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  const bool ok = static_cast<bool>(std::getline(std::cin, line));
  if (terminal) {
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &old_mode);
    std::cerr << "\n";
  }
  return ok;
}

std::string CurrentHostFolder() {
  std::vector<char> buf(4096);
  while (!::getcwd(buf.data(), buf.size())) {
    buf.resize(buf.size() * 2);
    if (buf.size() > (1u << 20)) return "/";
  }
  return buf.data();
}

}  // namespace bexa::platform
