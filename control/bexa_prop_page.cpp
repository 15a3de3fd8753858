#include "control/bexa_prop_page.h"

#include "control/bexa_ids.h"
#include "control/module_lock.h"

namespace bexa {

using namespace platform::com;

CBexaPropPage::CBexaPropPage() { LockModule(); }
CBexaPropPage::~CBexaPropPage() { UnlockModule(); }

HRESULT CBexaPropPage::QueryInterface(const Iid& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IPropertyPage) {
    *out = static_cast<IPropertyPage*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

uint32_t CBexaPropPage::AddRef() { return references_.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32_t CBexaPropPage::Release() {
  const uint32_t left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (left == 0) delete this;
  return left;
}

HRESULT CBexaPropPage::GetPageInfo(PropertyPageInfo* info) {
  if (info == nullptr) return E_POINTER;
  info->title = kBexaPropPageCaption;
  info->dialog_id = kIddPropPageBexa;
  return S_OK;
}

}  // namespace bexa
