// CBexaCtrl: the visible control. Its window lives in the window that the
// host gives it and holds the main panel as its child; drawing moves the
// panel over the control's bounds and shows it.
//
// Interfaces: IControlWindow, ISpecifyPropertyPages (one page:
// CBexaPropPage), and its dispatch interface _DBexa, which has no members.
// Apartment-threaded: the host calls it on its user-interface thread.
#pragma once

#include <atomic>
#include <memory>

#include "control/hosted_panel.h"
#include "platform/com/control.h"
#include "platform/com/dispatch.h"

namespace bexa {

class CBexaCtrl final : public platform::com::IControlWindow,
                  public platform::com::ISpecifyPropertyPages,
                  public platform::com::IDispatch {
 public:
  // Makes the main panel object (not yet a window). Holds a lock on the
  // library while it lives. Reference count 0: the creator adds the first.
  CBexaCtrl();
  CBexaCtrl(const CBexaCtrl&) = delete;
  CBexaCtrl& operator=(const CBexaCtrl&) = delete;

  platform::com::HRESULT QueryInterface(const platform::com::Iid& iid, void** out) override;
  uint32_t AddRef() override;
  uint32_t Release() override;

  // The control's window is the host's window parent; the panel becomes its
  // child. *result is -1 (and the panel stays without a window) when parent
  // is no window; 0 otherwise, also when the window exists already.
  platform::com::HRESULT CreateControlWindow(platform::com::WindowHandle parent,
                                             const platform::com::ComRect& bounds,
                                             int32_t* result) override;
  // Moves the panel to bounds, shows it and invalidates invalid.
  // E_UNEXPECTED before the window exists.
  platform::com::HRESULT Draw(const platform::com::ComRect& bounds,
                              const platform::com::ComRect& invalid) override;
  platform::com::HRESULT DestroyControlWindow() override;

  platform::com::HRESULT GetPages(std::vector<platform::com::Clsid>* pages) override;

  // _DBexa has no members.
  platform::com::HRESULT GetIDsOfNames(const char16_t* name, platform::com::DispId* id) override;
  platform::com::HRESULT Invoke(platform::com::DispId id, const platform::com::Variant* args,
                                uint32_t arg_count, platform::com::Variant* result) override;

  HostedPanel* panel() const { return panel_.get(); }

 private:
  // Destroys the main panel.
  ~CBexaCtrl();

  std::atomic<uint32_t> references_{0};
  std::unique_ptr<HostedPanel> panel_;
  platform::com::WindowHandle window_ = 0;  // 0 until the window is created
};

}  // namespace bexa
