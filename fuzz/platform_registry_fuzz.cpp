// The registry store's hive text is a file that a person may edit: any text
// is refused or read, never crashes; what is read writes back to a text that
// reads as the same hive.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/com/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using bexa::platform::com::RegistryHive;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto hive = RegistryHive::FromText(text);
  if (!hive) return 0;
  const std::string written = hive->ToText("HKEY_CLASSES_ROOT");
  auto again = RegistryHive::FromText(written);
  if (!again || again->ToText("HKEY_CLASSES_ROOT") != written) std::abort();
  return 0;
}
