#include "platform/sync.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace bexa::platform {
namespace {

// One lock and one condition for all events of the process. Waits for any of
// several events then need no registration with each of them; the events are
// few and their waiters fewer, so a broadcast per Set costs nothing.
// Never destroyed: events of static objects (the process's heartbeat, the
// settings watcher) are still set and waited for while the program exits.
std::mutex& EventLock() {
  static auto* m = new std::mutex;
  return *m;
}
std::condition_variable& EventCondition() {
  static auto* cv = new std::condition_variable;
  return *cv;
}

template <typename Ready>
bool WaitUntil(std::unique_lock<std::mutex>& lock, uint32_t timeout_ms, Ready ready) {
  if (timeout_ms == kInfinite) {
    EventCondition().wait(lock, ready);
    return true;
  }
  return EventCondition().wait_for(lock, std::chrono::milliseconds(timeout_ms), ready);
}

}  // namespace

Event::Event(bool manual_reset, bool initially_set)
    : manual_reset_(manual_reset), set_(initially_set) {}

void Event::Set() {
  {
    std::lock_guard<std::mutex> lock(EventLock());
    set_ = true;
  }
  EventCondition().notify_all();
}

void Event::Reset() {
  std::lock_guard<std::mutex> lock(EventLock());
  set_ = false;
}

bool Event::IsSet() const {
  std::lock_guard<std::mutex> lock(EventLock());
  return set_;
}

bool Event::TryConsumeLocked() {
  if (!set_) return false;
  if (!manual_reset_) set_ = false;
  return true;
}

bool Event::Wait(uint32_t timeout_ms) {
  std::unique_lock<std::mutex> lock(EventLock());
  return WaitUntil(lock, timeout_ms, [this] { return TryConsumeLocked(); });
}

int Event::WaitAny(std::initializer_list<Event*> events, uint32_t timeout_ms) {
  std::unique_lock<std::mutex> lock(EventLock());
  int found = -1;
  WaitUntil(lock, timeout_ms, [&] {
    int i = 0;
    for (Event* e : events) {
      if (e->TryConsumeLocked()) {
        found = i;
        return true;
      }
      ++i;
    }
    return false;
  });
  return found;
}

void SleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

uint64_t TickCountMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace bexa::platform
