#include "control/module_lock.h"

#include <atomic>

namespace bexa {

namespace {
std::atomic<uint32_t> lock_count{0};
}  // namespace

void LockModule() { lock_count.fetch_add(1, std::memory_order_relaxed); }
void UnlockModule() { lock_count.fetch_sub(1, std::memory_order_acq_rel); }
uint32_t ModuleLockCount() { return lock_count.load(std::memory_order_acquire); }

}  // namespace bexa
