// A loopback pair for transport tests: a listener on 127.0.0.1 at a port the
// OS picks, a client connection, and the accepted peer as a second
// connection.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/socket.h"
#include "protocol/client_protocol.h"
#include "protocol/protocol_connection.h"

namespace bexa::protocol::testing {

// A reversible block transformation that depends on the block grid: each
// 8-byte block is reversed and XORed with 0x5A. Counts the bytes it saw.
class TestCipher : public SessionCipher {
 public:
  size_t BlockSize() const override { return 8; }
  bool EncryptRange(uint8_t* data, size_t size) override {
    if (fail) return false;
    encrypted += size;
    for (size_t b = 0; b < size; b += 8) {
      std::reverse(data + b, data + b + 8);
      for (size_t i = 0; i < 8; ++i) data[b + i] ^= 0x5A;
    }
    return true;
  }
  bool DecryptRange(uint8_t* data, size_t size) override {
    if (fail) return false;
    decrypted += size;
    for (size_t b = 0; b < size; b += 8) {
      for (size_t i = 0; i < 8; ++i) data[b + i] ^= 0x5A;
      std::reverse(data + b, data + b + 8);
    }
    return true;
  }
  size_t encrypted = 0, decrypted = 0;
  bool fail = false;
};

struct Listener {
  platform::TcpSocket socket;
  uint16_t port = 0;
  Listener() {
    EXPECT_TRUE(socket.Listen(platform::LoopbackAddress(), 0));
    port = socket.LocalPort();
  }
};

inline ConnectionOptions TestOptions() {
  ConnectionOptions o;
  o.max_receive_buffer = 262188;
  o.upload_cache = 262144;
  o.allow_log = false;
  return o;
}

// client: a ClientProtocol connected to 127.0.0.1; peer: the server's end.
struct LoopbackPair {
  Listener listener;
  std::unique_ptr<ClientProtocol> client;
  std::unique_ptr<ProtocolConnection> peer;

  explicit LoopbackPair(const ConnectionOptions& options = TestOptions()) {
    client = std::make_unique<ClientProtocol>(options);
    EXPECT_EQ(client->Connect(listener.port, "127.0.0.1"), kStatusOk);
    ConnectionOptions peer_options = options;
    peer_options.allow_log = false;  // the server's end keeps no log
    peer = std::make_unique<ProtocolConnection>(peer_options);
    EXPECT_TRUE(listener.socket.Accept(peer->socket()));
    peer->socket().SetNoDelay(true);
  }
};

}  // namespace bexa::protocol::testing
