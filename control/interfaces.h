// The scriptable interface of the control library, as its hosts call it.
#pragma once

#include <cstdint>

#include "platform/com/dispatch.h"

namespace bexa {

// IProcVals, a dual interface: callable directly or by name ("ChkVals",
// member id kDispIdChkVals) through IDispatch.
class IProcVals : public platform::com::IDispatch {
 public:
  // Writes the handoff file from "key=value;" settings (lng, svr, prt, usr,
  // pwd). *ret is 0 when all five were found and the file written, 1
  // otherwise. Returns S_OK whatever the outcome; E_POINTER for a null ret.
  // strVals is zero-terminated; null counts as the empty text.
  virtual platform::com::HRESULT ChkVals(const char16_t* strVals, uint8_t* ret) = 0;

 protected:
  ~IProcVals() = default;
};

inline constexpr platform::com::DispId kDispIdChkVals = 1;

}  // namespace bexa
