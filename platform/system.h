// Facts about the machine that the system reports or checks.
#pragma once

#include <string>

namespace bexa::platform {

// The computer name: the host name in upper case, at most 15 characters.
std::u16string ComputerName();

// The domain or workgroup: win.ini [Winlogon] DefaultDomainName, else
// "WORKGRP".
std::u16string DomainName();

// The platform presents itself as the NT family.
bool IsNtPlatform();

// The 64-bit process query: whether the system offers it (it does not: this
// platform runs native processes only) and its answer.
struct Wow64Query {
  bool available = false;
  bool call_failed = false;
  bool is_wow64 = false;
};
Wow64Query QueryWow64();

}  // namespace bexa::platform
