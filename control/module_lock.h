// The library's lock count: live objects of its classes plus the locks that
// hosts hold through IClassFactory::LockServer. The library may be unloaded
// only while it is 0.
#pragma once

#include <cstdint>

namespace bexa {

void LockModule();
void UnlockModule();
uint32_t ModuleLockCount();

}  // namespace bexa
