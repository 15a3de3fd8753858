// Any byte sequence as a catalogue file: the load must end without a fault.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "catalogue/catalogue_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  bexa::MemorySource source(std::string_view(reinterpret_cast<const char*>(data), size));
  bexa::Catalogue catalogue;
  bexa::LoadCatalogue(source, catalogue);
  for (auto& [key, record] : catalogue) {
    bexa::DateTime found;
    record->backup_dates().FindFirstNotEarlier(bexa::DateTime::FromParts(2000, 1, 1), found);
  }
  return 0;
}
