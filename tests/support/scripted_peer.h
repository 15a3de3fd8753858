// The server's end of a loopback connection, played by a script on its own
// thread: a listener on 127.0.0.1, the client's ClientProtocol connected to
// it, and the accepted end as a ProtocolConnection for the script. Shared by
// the security and session exchange tests.
#pragma once

#include <gtest/gtest.h>

#include <cryptopp/des.h>
#include <cryptopp/hex.h>
#include <cryptopp/ripemd.h>
#include <cryptopp/sha.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/socket.h"
#include "protocol/client_protocol.h"
#include "protocol/pdu_catalogue.h"
#include "protocol/pdu_tags.h"
#include "protocol/protocol_connection.h"

namespace bexa::testing {

inline protocol::ConnectionOptions PeerOptions() {
  protocol::ConnectionOptions o;
  o.max_receive_buffer = 262188;
  o.upload_cache = 262144;
  o.allow_log = false;
  return o;
}

// Listens on 127.0.0.1 at a port the system picks.
struct PeerListener {
  platform::TcpSocket socket;
  uint16_t port = 0;
  PeerListener() {
    EXPECT_TRUE(socket.Listen(platform::LoopbackAddress(), 0));
    port = socket.LocalPort();
  }
};

// Runs `script` on a thread with the accepted end of the next connection.
class ScriptedPeer {
 public:
  using Script = std::function<void(protocol::ProtocolConnection& server)>;

  ScriptedPeer() = default;
  ~ScriptedPeer() { Join(); }
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  uint16_t port() const { return listener_.port; }

  // Accepts on the script's thread, so the client may connect later.
  void Serve(Script script) {
    thread_ = std::thread([this, script = std::move(script)] {
      server_ = std::make_unique<protocol::ProtocolConnection>(PeerOptions());
      if (!listener_.socket.Accept(server_->socket())) {
        ADD_FAILURE() << "no client connected";
        return;
      }
      server_->socket().SetNoDelay(true);
      script(*server_);
    });
  }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  protocol::ProtocolConnection* server() { return server_.get(); }

 private:
  PeerListener listener_;
  std::unique_ptr<protocol::ProtocolConnection> server_;
  std::thread thread_;
};

// Receives the next PDU on the server's end; false (with a failure) when it
// is not of `type`.
inline bool Expect(protocol::ProtocolConnection& server, int type) {
  int got = -1;
  const int status = server.Receive(got);
  EXPECT_EQ(status, 0) << "waiting for type " << type;
  EXPECT_EQ(got, type) << "waiting for type " << type;
  return status == 0 && got == type;
}

// RIPEMD-160 of ASCII text as lowercase hex, straight from the library, so
// that the scripts do not share the client's code.
inline std::u16string Rmd(const std::u16string& text) {
  std::string bytes(text.begin(), text.end());
  std::string digest, hex;
  CryptoPP::RIPEMD160 h;
  digest.resize(h.DigestSize());
  h.CalculateDigest(reinterpret_cast<uint8_t*>(digest.data()),
                    reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  CryptoPP::StringSource(digest, true, new CryptoPP::HexEncoder(new CryptoPP::StringSink(hex), false));
  return std::u16string(hex.begin(), hex.end());
}

inline std::u16string Upper(std::u16string text) {
  for (auto& c : text)
    if (c >= u'a' && c <= u'z') c -= 32;
  return text;
}

}  // namespace bexa::testing
