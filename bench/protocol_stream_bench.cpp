// File data streaming over loopback: 1 GiB as File data PDUs with 256 KiB
// payloads, received by ClientProtocol, side by side with a plain socket
// read loop of the same bytes from the same sender.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "platform/socket.h"
#include "protocol/client_protocol.h"
#include "protocol/pdu_catalogue.h"

namespace bexa::protocol {
namespace {

constexpr size_t kPayload = 256 * 1024;
constexpr size_t kTotal = size_t(1) << 30;
constexpr size_t kBlocks = kTotal / kPayload;

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
  std::unique_ptr<ProtocolConnection> sender;
  Pair() {
    listener.Listen(platform::LoopbackAddress(), 0);
    client = std::make_unique<ClientProtocol>(Options());
    client->Connect(listener.LocalPort(), "127.0.0.1");
    sender = std::make_unique<ProtocolConnection>(Options());
    listener.Accept(sender->socket());
    sender->socket().SetNoDelay(true);
  }
};

// Sends kBlocks File data PDUs through the base connection (no upload cache).
std::thread StartSender(ProtocolConnection& sender, const std::vector<uint8_t>& payload) {
  return std::thread([&sender, &payload] {
    for (size_t i = 0; i < kBlocks; ++i) {
      if (sender.ProtocolConnection::SendFileData(i + 1 == kBlocks, payload.data(),
                                                  payload.size()) != kStatusOk) {
        return;
      }
    }
  });
}

double ProtocolSeconds(Pair& pair, const std::vector<uint8_t>& payload, size_t& received) {
  auto start = std::chrono::steady_clock::now();
  std::thread sender = StartSender(*pair.sender, payload);
  received = 0;
  int type;
  for (size_t i = 0; i < kBlocks; ++i) {
    if (pair.client->Receive(type) != kStatusOk || type != kPduFdta) break;
    const PduPayload& p = pair.client->values().ReceivedPayload();
    received += p.Size();
    // Touch the payload where it lies, as the file writer would get it.
    benchmark::DoNotOptimize(p.Segment(0).data()[p.Size() - 1]);
  }
  sender.join();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double PlainSeconds(Pair& pair, const std::vector<uint8_t>& payload, size_t& received) {
  // The same frames on the wire, read with a plain recv loop into one buffer.
  const size_t wire = kBlocks * (payload.size() + 8 + 16);
  std::vector<uint8_t> buffer(262188);
  auto start = std::chrono::steady_clock::now();
  std::thread sender = StartSender(*pair.sender, payload);
  received = 0;
  while (received < wire) {
    long n = pair.client->socket().Receive(buffer.data(), buffer.size());
    if (n <= 0) break;
    received += static_cast<size_t>(n);
    benchmark::DoNotOptimize(buffer[static_cast<size_t>(n) - 1]);
  }
  sender.join();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Both loops alternate in every iteration so that a change of load on the
// machine affects both alike.
void BM_FileDataStream(benchmark::State& state) {
  std::vector<uint8_t> payload(kPayload);
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i * 13);
  Pair pair;
  double plain = 0, protocol = 0;
  size_t plain_bytes = 0, protocol_bytes = 0;
  for (auto _ : state) {
    size_t n;
    plain += PlainSeconds(pair, payload, n);
    plain_bytes += n;
    protocol += ProtocolSeconds(pair, payload, n);
    protocol_bytes += n;
  }
  const double gib = double(1 << 30);
  state.counters["plain_GiB_per_s"] = plain_bytes / gib / plain;
  state.counters["protocol_GiB_per_s"] = protocol_bytes / gib / protocol;
  state.counters["ratio"] = (protocol_bytes / protocol) / (plain_bytes / plain);
  state.counters["payload_GiB"] = protocol_bytes / gib;
}
BENCHMARK(BM_FileDataStream)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace bexa::protocol

BENCHMARK_MAIN();
