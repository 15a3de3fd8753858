#include "web/request_guard.h"

#include <cctype>
#include <random>

namespace bexa::web {
namespace {

bool EqualsNoCaseAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool IsOwnHost(std::string_view host, uint16_t port) {
  std::string suffix = ":" + std::to_string(port);
  return EqualsNoCaseAscii(host, "127.0.0.1" + suffix) || EqualsNoCaseAscii(host, "localhost" + suffix);
}

std::string CookieValue(std::string_view cookies, std::string_view name) {
  size_t pos = 0;
  while (pos < cookies.size()) {
    size_t end = cookies.find(';', pos);
    if (end == std::string_view::npos) end = cookies.size();
    std::string_view item = cookies.substr(pos, end - pos);
    while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
    size_t eq = item.find('=');
    if (eq != std::string_view::npos && item.substr(0, eq) == name)
      return std::string(item.substr(eq + 1));
    pos = end + 1;
  }
  return {};
}

}  // namespace

std::string TokenCookieName(uint16_t port) { return "bexa_" + std::to_string(port); }

std::string_view TargetPath(std::string_view target) {
  size_t q = target.find('?');
  return q == std::string_view::npos ? target : target.substr(0, q);
}

std::string QueryToken(std::string_view target) {
  size_t q = target.find('?');
  if (q == std::string_view::npos) return {};
  std::string_view query = target.substr(q + 1);
  size_t pos = 0;
  while (pos <= query.size()) {
    size_t end = query.find('&', pos);
    if (end == std::string_view::npos) end = query.size();
    std::string_view item = query.substr(pos, end - pos);
    if (item.substr(0, 2) == "t=") return std::string(item.substr(2));
    pos = end + 1;
  }
  return {};
}

bool SameSecret(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char diff = 0;
  for (size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

std::string NewToken() {
  std::random_device device;  // the kernel's random source on Linux
  static const char kHex[] = "0123456789abcdef";
  std::string token;
  for (int i = 0; i < 32; ++i) {
    unsigned byte = device() & 0xFF;
    token += kHex[byte >> 4];
    token += kHex[byte & 0xF];
  }
  return token;
}

Verdict CheckRequest(const RequestFacts& request, std::string_view token, uint16_t port) {
  if (!IsOwnHost(request.host, port)) return Verdict::kBadHost;
  if (!request.origin.empty() || request.websocket_upgrade) {
    std::string port_text = ":" + std::to_string(port);
    if (!EqualsNoCaseAscii(request.origin, "http://127.0.0.1" + port_text) &&
        !EqualsNoCaseAscii(request.origin, "http://localhost" + port_text))
      return Verdict::kBadOrigin;
  }
  if (token.empty()) return Verdict::kNoToken;
  std::string presented = CookieValue(request.cookie, TokenCookieName(port));
  if (SameSecret(presented, token)) return Verdict::kAllow;
  if (SameSecret(QueryToken(request.target), token)) return Verdict::kAllow;
  return Verdict::kNoToken;
}

}  // namespace bexa::web
