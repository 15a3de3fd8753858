// Small request/answer round trips over loopback: a File status request and
// a Restore file status answer, 10,000 per iteration.
#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>
#include <thread>

#include "platform/socket.h"
#include "protocol/client_protocol.h"
#include "protocol/pdu_catalogue.h"

namespace bexa::protocol {
namespace {

constexpr int kRoundTrips = 10000;

ConnectionOptions Options() {
  ConnectionOptions o;
  o.max_receive_buffer = 262188;
  o.upload_cache = 262144;
  o.allow_log = false;
  return o;
}

struct Pair {
  platform::TcpSocket listener;
  std::unique_ptr<ClientProtocol> client;
  std::unique_ptr<ProtocolConnection> server;
  std::thread answering;

  Pair() {
    listener.Listen(platform::LoopbackAddress(), 0);
    client = std::make_unique<ClientProtocol>(Options());
    client->Connect(listener.LocalPort(), "127.0.0.1");
    client->SetProtocolVersion(VersionNumber(u"7.0"));
    server = std::make_unique<ProtocolConnection>(Options());
    listener.Accept(server->socket());
    server->socket().SetNoDelay(true);
    server->SetProtocolVersion(VersionNumber(u"7.0"));
    // The server answers every File status with a Restore file status.
    answering = std::thread([this] {
      int type;
      while (server->Receive(type) == kStatusOk && type == kPduFsts) {
        server->values().SetText(tag::kFilePath, u"dir\\file.txt");
        server->values().SetInt(tag::kServerFileStatus, 0);
        if (server->SendPdu(kPduSfil) != kStatusOk) return;
      }
    });
  }
  ~Pair() {
    client->SendQuit();
    answering.join();
  }
};

void BM_RoundTripBlockingReceive(benchmark::State& state) {
  Pair pair;
  for (auto _ : state) {
    for (int i = 0; i < kRoundTrips; ++i) {
      int type = 0;
      pair.client->SendFileStatus(0, 1234567, 0);
      if (pair.client->Receive(type) != kStatusOk || type != kPduSfil) {
        state.SkipWithError("exchange failed");
        return;
      }
    }
  }
}

// As the session waits: the receive runs on the connection's worker and the
// waiting thread polls it.
void BM_RoundTripPolledWorker(benchmark::State& state) {
  Pair pair;
  for (auto _ : state) {
    for (int i = 0; i < kRoundTrips; ++i) {
      int type = 0;
      pair.client->SendFileStatus(0, 1234567, 0);
      int status;
      while ((status = pair.client->PollReceive(type)) == kStatusPending) {
        std::this_thread::yield();
      }
      if (status != kStatusOk || type != kPduSfil) {
        state.SkipWithError("exchange failed");
        return;
      }
    }
  }
}

BENCHMARK(BM_RoundTripBlockingReceive)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RoundTripPolledWorker)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace bexa::protocol

BENCHMARK_MAIN();
