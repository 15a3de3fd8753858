#include <stdexcept>

#include "server/command_line.h"

namespace bexa::server {

int CatalogueCommand(Arguments&) { throw std::runtime_error("not built yet"); }

}  // namespace bexa::server
