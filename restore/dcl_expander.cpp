#include "restore/dcl_expander.h"

#include <memory>

#include "catalogue/explode.h"

namespace bexa {
namespace {

struct Steps {
  const ReadFunction* read;
  const WriteFunction* write;
};

unsigned Read(char* buffer, unsigned* size, void* param) {
  auto* steps = static_cast<Steps*>(param);
  return static_cast<unsigned>((*steps->read)(reinterpret_cast<uint8_t*>(buffer), *size));
}

void Write(char* buffer, unsigned* size, void* param) {
  auto* steps = static_cast<Steps*>(param);
  // A failed write leaves its error with the transfer, which reports it once
  // the expander returns.
  (*steps->write)(reinterpret_cast<const uint8_t*>(buffer), *size);
}

}  // namespace

ExpandFunction DclExpander() {
  return [](const ReadFunction& read, const WriteFunction& write) {
    auto work = std::make_unique<ExplodeWorkArea>();
    Steps steps{&read, &write};
    return static_cast<int>(Explode(Read, Write, work.get(), &steps));
  };
}

}  // namespace bexa
