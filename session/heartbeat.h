// The heartbeat: one worker thread per process that sends an empty
// Heartbeat PDU (HTBT) on the session's current connection once the logon
// has completed, at once and then every interval, so that the server keeps
// the session while the client has nothing to say.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/sync.h"
#include "protocol/client_protocol.h"

namespace bexa {

// Where the heartbeat finds the connection: read afresh at every beat.
class HeartbeatSource {
 public:
  virtual ~HeartbeatSource() = default;
  // Calls `use` with the current connection (nullptr when there is none),
  // keeping it from being closed until `use` returns.
  virtual void WithConnection(const std::function<void(protocol::ClientProtocol*)>& use) = 0;
};

class CHeartBeatThread {
 public:
  static constexpr uint32_t kDefaultIntervalMs = 10000;

  // Starts the thread at once; it waits, not beating, until StartBeating.
  // The source must outlive the thread.
  explicit CHeartBeatThread(HeartbeatSource& source, uint32_t interval_ms = kDefaultIntervalMs);
  // Asks the thread to end and waits for it.
  ~CHeartBeatThread();
  CHeartBeatThread(const CHeartBeatThread&) = delete;
  CHeartBeatThread& operator=(const CHeartBeatThread&) = delete;

  // Under the lock: enabled on, then the start event (one beat at once, then
  // one every interval).
  void StartBeating();
  // Under the lock: enabled off, then the pause event.
  void PauseBeating();

  uint32_t interval_ms() const { return interval_ms_; }
  const HeartbeatSource* source() const { return &source_; }
  bool enabled() const;

 private:
  void Run();
  // Sends HTBT when enabled, the connection exists, is logged on and records
  // no socket error. The send's result is not examined: a failure shows as
  // the connection's socket error, which stops later beats.
  void Beat();

  // Constant after construction.
  HeartbeatSource& source_;
  const uint32_t interval_ms_;

  platform::Event stop_{true, false};
  platform::Event stopped_{true, false};
  platform::Event start_{false, false};
  platform::Event pause_{false, false};
  mutable std::mutex lock_;  // guards enabled_ and the send
  bool enabled_ = false;     // guarded by lock_
  std::thread thread_;
};

// The process's heartbeat thread, created (running, not beating) on first
// use with the given source and interval; a later call returns the existing
// thread unchanged.
CHeartBeatThread& GetHeartbeat(HeartbeatSource& source,
                               uint32_t interval_ms = CHeartBeatThread::kDefaultIntervalMs);
// Ends and destroys the process's heartbeat thread; nothing when there is none.
void StopHeartbeat();
// The process's heartbeat thread, or nullptr.
CHeartBeatThread* CurrentHeartbeat();

}  // namespace bexa
