#include "server/command_line.h"

#include <charconv>

namespace bexa::server {

bool Arguments::Flag(const std::string& name) {
  for (auto it = words_.begin(); it != words_.end(); ++it) {
    if (*it == name) {
      words_.erase(it);
      return true;
    }
  }
  return false;
}

std::string Arguments::Value(const std::string& name, const std::string& fallback) {
  for (auto it = words_.begin(); it != words_.end(); ++it) {
    if (*it != name) continue;
    if (it + 1 == words_.end()) throw UsageError(name + " needs a value");
    std::string value = *(it + 1);
    words_.erase(it, it + 2);
    return value;
  }
  return fallback;
}

std::string Arguments::Required(const std::string& name) {
  for (const auto& w : words_)
    if (w == name) return Value(name, "");
  throw UsageError(name + " is required");
}

std::vector<std::string> Arguments::Operands() {
  std::vector<std::string> out, rest;
  for (auto& w : words_) (w.rfind("--", 0) == 0 ? rest : out).push_back(w);
  words_ = rest;
  return out;
}

void Arguments::RequireDone() const {
  if (!words_.empty()) throw UsageError("unexpected '" + words_.front() + "'");
}

int64_t ParseNumber(const std::string& text, int64_t low, int64_t high) {
  int64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
    throw UsageError("'" + text + "' is not a number from " + std::to_string(low) + " to " +
                     std::to_string(high));
  return value;
}

}  // namespace bexa::server
