// IObjectSafety: a host asks whether an object may be driven by scripts of
// untrusted pages and fed untrusted data, and switches those options on.
#pragma once

#include <cstdint>

#include "platform/com/unknown.h"

namespace bexa::platform::com {

inline constexpr Iid IID_IObjectSafety = GuidOf("{CB5BDC81-93C1-11CF-8F20-00805F2CD064}");

inline constexpr uint32_t INTERFACESAFE_FOR_UNTRUSTED_CALLER = 0x1;
inline constexpr uint32_t INTERFACESAFE_FOR_UNTRUSTED_DATA = 0x2;

class IObjectSafety : public IUnknown {
 public:
  // The options the object supports and those enabled, for its interface iid.
  virtual HRESULT GetInterfaceSafetyOptions(const Iid& iid, uint32_t* supported,
                                            uint32_t* enabled) = 0;
  // Sets the options of mask to those of enabled, for interface iid.
  virtual HRESULT SetInterfaceSafetyOptions(const Iid& iid, uint32_t mask, uint32_t enabled) = 0;

 protected:
  ~IObjectSafety() = default;
};

}  // namespace bexa::platform::com
