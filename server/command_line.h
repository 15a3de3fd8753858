// The command line of bexa-server's subcommands: options of the form
// "--name value" and "--flag", and plain operands, checked as they are taken.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace bexa::server {

// A mistake on the command line (exit status 2).
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Arguments {
 public:
  explicit Arguments(std::vector<std::string> words) : words_(std::move(words)) {}

  // Removes "--name"; true when it was there.
  bool Flag(const std::string& name);
  // Removes "--name VALUE" and returns VALUE, or `fallback` without it.
  std::string Value(const std::string& name, const std::string& fallback);
  // As Value, but the option must be there.
  std::string Required(const std::string& name);
  // The words left that do not start with "--" (taken away).
  std::vector<std::string> Operands();
  // Throws UsageError naming the first word nobody took.
  void RequireDone() const;

 private:
  std::vector<std::string> words_;
};

// A decimal number within [low, high]; UsageError otherwise.
int64_t ParseNumber(const std::string& text, int64_t low, int64_t high);

// The subcommands other than serve (their own files).
int ImportCommand(Arguments& args);
int CatalogueCommand(Arguments& args);

}  // namespace bexa::server
