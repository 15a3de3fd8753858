// IDispatch: calls by member name from a page's script. Only method calls
// are carried, with the argument kinds that the objects here take; being a
// smaller contract than the Windows one, it has an id of its own.
#pragma once

#include <cstdint>
#include <string>

#include "platform/com/unknown.h"

namespace bexa::platform::com {

inline constexpr Iid IID_IDispatch = GuidOf("{3396E9D0-1B36-458D-A8C5-E48ED640EB35}");

// The automation value kinds in use, numbered as the automation VARTYPEs.
enum class VarType : uint16_t { kEmpty = 0, kI4 = 3, kBstr = 8, kUi1 = 17 };

struct Variant {
  VarType type = VarType::kEmpty;
  int32_t i4 = 0;
  uint8_t ui1 = 0;
  std::u16string bstr;

  static Variant Text(std::u16string text) {
    Variant v;
    v.type = VarType::kBstr;
    v.bstr = std::move(text);
    return v;
  }
};

using DispId = int32_t;

class IDispatch : public IUnknown {
 public:
  // The member id of a method name, compared without regard to case as
  // scripts do; DISP_E_UNKNOWNNAME for a name the object lacks.
  virtual HRESULT GetIDsOfNames(const char16_t* name, DispId* id) = 0;
  // Calls method id with args in the method's own order (first argument
  // first). result (may be null) receives the method's return value.
  // DISP_E_MEMBERNOTFOUND, DISP_E_BADPARAMCOUNT, DISP_E_TYPEMISMATCH.
  virtual HRESULT Invoke(DispId id, const Variant* args, uint32_t arg_count, Variant* result) = 0;

 protected:
  ~IDispatch() = default;
};

}  // namespace bexa::platform::com
