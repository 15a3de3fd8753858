// The account's connection values, as the panel gathers them (cookie,
// handoff file or the Manual Settings dialog) and the logon reads them.
#pragma once

#include <cstdint>
#include <string>

namespace bexa {

struct SessionParameters {
  int32_t language_offset = 0;  // 0, 1000, 2000, 3000 or 4000
  std::u16string user;
  std::u16string password;
  // Every source that sets the password sets the secret key to it as well,
  // so the key checks try the password until the user enters another key.
  std::u16string secret_key;
  std::u16string server;
  int32_t port = 308;
  bool firewall_enabled = false;
  std::u16string firewall_server;
  int32_t firewall_port = 1080;
  // The SOCKS version the firewall values name (4 or 5; 0 when not given).
  // Kept for the record only: the connection goes straight to the server.
  int firewall_socks_version = 0;
};

}  // namespace bexa
