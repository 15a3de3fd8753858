// The door rules of the local page server, kept apart from the sockets: a
// request is served only when it names the server itself as its host (no
// DNS rebinding), comes from the server's own page or from no page at all
// (no cross-site requests; a WebSocket upgrade must name the page), and
// carries the run's token (in its cookie, or once in the query of the first
// visit).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace bexa::web {

struct RequestFacts {
  std::string_view host;    // the Host header
  std::string_view origin;  // the Origin header, empty when absent
  std::string_view cookie;  // the Cookie header
  std::string_view target;  // path and query
  bool websocket_upgrade = false;
};

enum class Verdict { kAllow, kBadHost, kBadOrigin, kNoToken };

Verdict CheckRequest(const RequestFacts& request, std::string_view token, uint16_t port);

// The cookie that holds the token for the page of one port.
std::string TokenCookieName(uint16_t port);
// The "t" parameter of the target's query, empty when there is none.
std::string QueryToken(std::string_view target);
// The path of a target without its query.
std::string_view TargetPath(std::string_view target);
// Compares in time independent of where the texts differ.
bool SameSecret(std::string_view a, std::string_view b);
// 32 random bytes as 64 lowercase hex digits.
std::string NewToken();

}  // namespace bexa::web
