#include "control/bexa_ctrl.h"

#include "control/bexa_app.h"
#include "control/bexa_ids.h"
#include "control/module_lock.h"

namespace bexa {

using namespace platform::com;

CBexaCtrl::CBexaCtrl() : panel_(CreateMainPanel(TheApp().session())) { LockModule(); }

CBexaCtrl::~CBexaCtrl() {
  if (panel_ && window_ != 0) panel_->DestroyPanelWindow();
  panel_.reset();
  UnlockModule();
}

HRESULT CBexaCtrl::QueryInterface(const Iid& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IControlWindow) {
    *out = static_cast<IControlWindow*>(this);
  } else if (iid == IID_ISpecifyPropertyPages) {
    *out = static_cast<ISpecifyPropertyPages*>(this);
  } else if (iid == IID_IDispatch || iid == IID__DBexa) {
    *out = static_cast<IDispatch*>(this);
  } else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

uint32_t CBexaCtrl::AddRef() { return references_.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32_t CBexaCtrl::Release() {
  const uint32_t left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (left == 0) delete this;
  return left;
}

HRESULT CBexaCtrl::CreateControlWindow(WindowHandle parent, const ComRect& bounds,
                                       int32_t* result) {
  if (result == nullptr) return E_POINTER;
  if (window_ != 0) {
    *result = 0;
    return S_OK;
  }
  if (parent == 0) {
    *result = -1;  // no window to live in: no panel either
    return S_OK;
  }
  window_ = parent;
  if (panel_ && panel_->CreatePanelWindow(window_)) panel_->MovePanelWindow(bounds);
  *result = 0;
  return S_OK;
}

HRESULT CBexaCtrl::Draw(const ComRect& bounds, const ComRect& invalid) {
  if (window_ == 0) return E_UNEXPECTED;
  if (panel_) {
    panel_->MovePanelWindow(bounds);
    panel_->ShowPanelWindow();
    panel_->InvalidatePanel(invalid);
  }
  return S_OK;
}

HRESULT CBexaCtrl::DestroyControlWindow() {
  if (window_ != 0 && panel_) panel_->DestroyPanelWindow();
  window_ = 0;
  return S_OK;
}

HRESULT CBexaCtrl::GetPages(std::vector<Clsid>* pages) {
  if (pages == nullptr) return E_POINTER;
  *pages = {CLSID_BexaPropPage};
  return S_OK;
}

HRESULT CBexaCtrl::GetIDsOfNames(const char16_t* name, DispId* id) {
  if (name == nullptr || id == nullptr) return E_POINTER;
  return DISP_E_UNKNOWNNAME;
}

HRESULT CBexaCtrl::Invoke(DispId, const Variant*, uint32_t, Variant*) {
  return DISP_E_MEMBERNOTFOUND;
}

}  // namespace bexa
