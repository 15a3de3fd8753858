#include "session/heartbeat.h"

#include <memory>

namespace bexa {
namespace {

// The process's one heartbeat; created and destroyed on the user-interface
// thread only (logon start and end). The holder itself is never destroyed:
// the process's session object, a static too, stops the heartbeat when the
// program ends, and must still find the holder then.
std::unique_ptr<CHeartBeatThread>& ProcessHeartbeat() {
  static auto* heartbeat = new std::unique_ptr<CHeartBeatThread>;
  return *heartbeat;
}

}  // namespace

CHeartBeatThread::CHeartBeatThread(HeartbeatSource& source, uint32_t interval_ms)
    : source_(source), interval_ms_(interval_ms) {
  thread_ = std::thread([this] { Run(); });
}

CHeartBeatThread::~CHeartBeatThread() {
  stop_.Set();
  stopped_.Wait();
  if (thread_.joinable()) thread_.join();
}

void CHeartBeatThread::StartBeating() {
  std::lock_guard<std::mutex> guard(lock_);
  enabled_ = true;
  start_.Set();
}

void CHeartBeatThread::PauseBeating() {
  std::lock_guard<std::mutex> guard(lock_);
  enabled_ = false;
  pause_.Set();
}

bool CHeartBeatThread::enabled() const {
  std::lock_guard<std::mutex> guard(lock_);
  return enabled_;
}

void CHeartBeatThread::Run() {
  // Thread priorities are left to the system: an unprivileged process here
  // cannot raise them.
  uint32_t wait_ms = platform::kInfinite;
  for (;;) {
    const int which = platform::Event::WaitAny({&stop_, &start_, &pause_}, wait_ms);
    if (which == 0) break;
    if (which == 1) {
      Beat();
      wait_ms = interval_ms_;
    } else if (which == 2) {
      wait_ms = platform::kInfinite;
    } else if (which == -1) {
      Beat();
    }
  }
  stopped_.Set();
}

void CHeartBeatThread::Beat() {
  std::lock_guard<std::mutex> guard(lock_);
  if (!enabled_) return;
  source_.WithConnection([](protocol::ClientProtocol* connection) {
    if (connection && connection->logged_on() && connection->LastSocketError() == 0)
      connection->SendHeartbeat();
  });
}

CHeartBeatThread& GetHeartbeat(HeartbeatSource& source, uint32_t interval_ms) {
  auto& heartbeat = ProcessHeartbeat();
  if (!heartbeat) heartbeat = std::make_unique<CHeartBeatThread>(source, interval_ms);
  return *heartbeat;
}

void StopHeartbeat() { ProcessHeartbeat().reset(); }

CHeartBeatThread* CurrentHeartbeat() { return ProcessHeartbeat().get(); }

}  // namespace bexa
