// The terminal of a command-line program.
#pragma once

#include <string>

namespace bexa::platform {

// Whether standard input (output) is a terminal.
bool StdinIsTerminal();
bool StderrIsTerminal();

// Shows the prompt on standard error and reads one line from standard input
// without echoing it (when it is a terminal). False at the end of input.
bool ReadSecretLine(const std::string& prompt, std::string& line);

// Shows the prompt on standard error and reads one line. False at the end of
// input.
bool ReadLine(const std::string& prompt, std::string& line);

// The host's current folder.
std::string CurrentHostFolder();

}  // namespace bexa::platform
