#include "platform/system.h"

#include <unistd.h>

#include "platform/codepage.h"
#include "platform/home.h"
#include "platform/profile.h"

namespace bexa::platform {

std::u16string ComputerName() {
  char buf[256] = {};
  if (::gethostname(buf, sizeof(buf) - 1) != 0) return u"LOCALHOST";
  std::u16string name = Utf8ToWide(buf);
  // The host name may be fully qualified; the computer name is its first label.
  if (size_t dot = name.find(u'.'); dot != std::u16string::npos) name.resize(dot);
  for (auto& c : name)
    if (c >= u'a' && c <= u'z') c -= 32;
  if (name.size() > 15) name.resize(15);
  return name;
}

std::u16string DomainName() {
  std::u16string domain =
      GetProfileString(u"Winlogon", u"DefaultDomainName", u"", 256, WinIniPath());
  return domain.empty() ? u"WORKGRP" : domain;
}

bool IsNtPlatform() { return true; }

Wow64Query QueryWow64() { return {}; }

}  // namespace bexa::platform
