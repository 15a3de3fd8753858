// ProcVals: the scriptable class through which a page hands the account's
// connection values to the control (ChkVals writes the handoff file). A
// page may create it before, or without, the control.
//
// Interfaces: IProcVals (dual), IDispatch and IObjectSafety. Every
// interface it supports is safe for untrusted callers and untrusted data
// (supported options 3); the enabled options are one set for the object.
// Apartment-threaded.
#pragma once

#include <atomic>

#include "control/interfaces.h"
#include "platform/com/object_safety.h"

namespace bexa {

class ProcVals final : public IProcVals, public platform::com::IObjectSafety {
 public:
  static constexpr uint32_t kSupportedSafety = platform::com::INTERFACESAFE_FOR_UNTRUSTED_CALLER |
                                               platform::com::INTERFACESAFE_FOR_UNTRUSTED_DATA;

  // Holds a lock on the library while it lives; reference count 0.
  ProcVals();
  ProcVals(const ProcVals&) = delete;
  ProcVals& operator=(const ProcVals&) = delete;

  platform::com::HRESULT QueryInterface(const platform::com::Iid& iid, void** out) override;
  uint32_t AddRef() override;
  uint32_t Release() override;

  // Writes the handoff file HandoffFilePath() (control/session_parameters.h).
  platform::com::HRESULT ChkVals(const char16_t* strVals, uint8_t* ret) override;

  // "ChkVals" (any case) is member kDispIdChkVals: one text argument, the
  // byte ret as the result.
  platform::com::HRESULT GetIDsOfNames(const char16_t* name, platform::com::DispId* id) override;
  platform::com::HRESULT Invoke(platform::com::DispId id, const platform::com::Variant* args,
                                uint32_t arg_count, platform::com::Variant* result) override;

  // E_NOINTERFACE for an interface the object lacks; otherwise supported 3
  // and the enabled options.
  platform::com::HRESULT GetInterfaceSafetyOptions(const platform::com::Iid& iid,
                                                   uint32_t* supported, uint32_t* enabled) override;
  // E_FAIL when mask holds options other than the supported ones (checked
  // first), E_NOINTERFACE for an interface the object lacks; otherwise the
  // enabled options become (old & ~mask) | (mask & enabled).
  platform::com::HRESULT SetInterfaceSafetyOptions(const platform::com::Iid& iid, uint32_t mask,
                                                   uint32_t enabled) override;

 private:
  ~ProcVals();
  bool Supports(const platform::com::Iid& iid) const;

  std::atomic<uint32_t> references_{0};
  uint32_t enabled_safety_ = 0;  // user-interface thread only
};

}  // namespace bexa
