#include "control/proc_vals.h"

#include <string>

#include "control/bexa_ids.h"
#include "control/module_lock.h"
#include "control/session_parameters.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/home.h"

namespace bexa {

using namespace platform::com;

namespace {

// The Windows directory is there on every installed system; on a fresh
// BEXA_HOME it is made on first use, so that ChkVals does not fail for it.
void EnsureWindowsDirectory() {
  for (const std::string& folder : {platform::BexaHome(), platform::WindowsDirectory()})
    platform::CreateDirectoryAt(platform::WindowsPathOf(folder));  // fails harmlessly when there
}

bool SameNameNoCase(const char16_t* a, std::u16string_view b) {
  auto fold = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; };
  size_t i = 0;
  for (; a[i] != 0; ++i)
    if (i >= b.size() || fold(a[i]) != fold(b[i])) return false;
  return i == b.size();
}

}  // namespace

ProcVals::ProcVals() { LockModule(); }
ProcVals::~ProcVals() { UnlockModule(); }

bool ProcVals::Supports(const Iid& iid) const {
  return iid == IID_IUnknown || iid == IID_IProcVals || iid == IID_IDispatch ||
         iid == IID_IObjectSafety;
}

HRESULT ProcVals::QueryInterface(const Iid& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IProcVals || iid == IID_IDispatch) {
    *out = static_cast<IProcVals*>(this);
  } else if (iid == IID_IObjectSafety) {
    *out = static_cast<IObjectSafety*>(this);
  } else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

uint32_t ProcVals::AddRef() { return references_.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32_t ProcVals::Release() {
  const uint32_t left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (left == 0) delete this;
  return left;
}

HRESULT ProcVals::ChkVals(const char16_t* strVals, uint8_t* ret) {
  if (ret == nullptr) return E_POINTER;
  try {
    EnsureWindowsDirectory();
    *ret = WriteHandoffFile(strVals == nullptr ? u"" : strVals, HandoffFilePath());
  } catch (...) {
    *ret = 1;  // nothing written; the call itself still succeeds
  }
  return S_OK;
}

HRESULT ProcVals::GetIDsOfNames(const char16_t* name, DispId* id) {
  if (name == nullptr || id == nullptr) return E_POINTER;
  if (!SameNameNoCase(name, u"ChkVals")) return DISP_E_UNKNOWNNAME;
  *id = kDispIdChkVals;
  return S_OK;
}

HRESULT ProcVals::Invoke(DispId id, const Variant* args, uint32_t arg_count, Variant* result) {
  if (id != kDispIdChkVals) return DISP_E_MEMBERNOTFOUND;
  if (arg_count != 1 || args == nullptr) return DISP_E_BADPARAMCOUNT;
  if (args[0].type != VarType::kBstr) return DISP_E_TYPEMISMATCH;
  uint8_t ret = 1;
  ChkVals(args[0].bstr.c_str(), &ret);
  if (result != nullptr) {
    *result = Variant();
    result->type = VarType::kUi1;
    result->ui1 = ret;
  }
  return S_OK;
}

HRESULT ProcVals::GetInterfaceSafetyOptions(const Iid& iid, uint32_t* supported,
                                            uint32_t* enabled) {
  if (supported == nullptr || enabled == nullptr) return E_POINTER;
  if (!Supports(iid)) {
    *supported = *enabled = 0;
    return E_NOINTERFACE;
  }
  *supported = kSupportedSafety;
  *enabled = enabled_safety_;
  return S_OK;
}

HRESULT ProcVals::SetInterfaceSafetyOptions(const Iid& iid, uint32_t mask, uint32_t enabled) {
  if ((mask & ~kSupportedSafety) != 0) return E_FAIL;
  if (!Supports(iid)) return E_NOINTERFACE;
  enabled_safety_ = (enabled_safety_ & ~mask) | (mask & enabled);
  return S_OK;
}

}  // namespace bexa
