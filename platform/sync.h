// Events with the Windows semantics that the transport, the heartbeat and the
// restore rely on: manual or auto reset, timed waits, wait for any of several.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace bexa::platform {

constexpr uint32_t kInfinite = 0xFFFFFFFF;

class Event {
 public:
  // manual_reset: stays set until Reset; otherwise one waiter consumes it.
  explicit Event(bool manual_reset = true, bool initially_set = false);
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void Set();
  void Reset();
  // True when the event was (or became) set within timeout_ms; an auto-reset
  // event is then reset again.
  bool Wait(uint32_t timeout_ms = kInfinite);
  // True when set now, without waiting or consuming.
  bool IsSet() const;

  // Waits until one of the events is set and returns its index (the lowest
  // one when several are set; an auto-reset event found set is reset), or -1
  // when timeout_ms passed first.
  static int WaitAny(std::initializer_list<Event*> events, uint32_t timeout_ms = kInfinite);

 private:
  bool TryConsumeLocked();

  const bool manual_reset_;
  bool set_;  // guarded by the process-wide event lock (sync.cpp)
};

// Sleeps the calling thread.
void SleepMs(uint32_t ms);
// Milliseconds from a steady clock (as GetTickCount, but 64 bits).
uint64_t TickCountMs();

}  // namespace bexa::platform
