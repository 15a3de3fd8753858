#include "control/bexa_app.h"

namespace bexa {

namespace {
// A namespace-scope object, so that loading the library constructs it and
// unloading destroys it.
CBexaApp the_app;
}  // namespace

CBexaApp& TheApp() { return the_app; }

}  // namespace bexa
