// CBexaPropPage: the control's property page (dialog 201, caption
// "General"). The control has no properties of its own, so the page is
// empty.
#pragma once

#include <atomic>

#include "platform/com/control.h"

namespace bexa {

class CBexaPropPage final : public platform::com::IPropertyPage {
 public:
  // Holds a lock on the library while it lives; reference count 0.
  CBexaPropPage();
  CBexaPropPage(const CBexaPropPage&) = delete;
  CBexaPropPage& operator=(const CBexaPropPage&) = delete;

  platform::com::HRESULT QueryInterface(const platform::com::Iid& iid, void** out) override;
  uint32_t AddRef() override;
  uint32_t Release() override;

  // Title "General", dialog 201.
  platform::com::HRESULT GetPageInfo(platform::com::PropertyPageInfo* info) override;

 private:
  ~CBexaPropPage();

  std::atomic<uint32_t> references_{0};
};

}  // namespace bexa
