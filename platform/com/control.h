// The interfaces through which a host embeds a visible control: it hands
// the control a window of its own window system to live in, has it draw into
// a rectangle, and asks for its property pages. These contracts are smaller
// than the Windows interfaces of the same purpose, so they have ids of their
// own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/com/unknown.h"

namespace bexa::platform::com {

// A window of the host's window system (platform/ui); 0 is no window.
using WindowHandle = uint64_t;

// A rectangle in the parent window's pixels, right and bottom exclusive.
struct ComRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const ComRect&, const ComRect&) = default;
};

inline constexpr Iid IID_IControlWindow = GuidOf("{80D07DC5-95E9-4B75-A73A-BC2914793740}");
inline constexpr Iid IID_ISpecifyPropertyPages = GuidOf("{93477855-6A54-4C70-9D43-09BE3CA03706}");
inline constexpr Iid IID_IPropertyPage = GuidOf("{2F5B97B8-E657-4F9A-8D61-6BF98BE09C78}");

class IControlWindow : public IUnknown {
 public:
  // Creates the control's window in parent at bounds. *result is 0 on
  // success and -1 when the window cannot be created (the call itself still
  // returns S_OK; E_POINTER for a null result).
  virtual HRESULT CreateControlWindow(WindowHandle parent, const ComRect& bounds,
                                      int32_t* result) = 0;
  // Draws the control into bounds; invalid is the part to repaint.
  virtual HRESULT Draw(const ComRect& bounds, const ComRect& invalid) = 0;
  // Destroys the control's window; the object stays until released.
  virtual HRESULT DestroyControlWindow() = 0;

 protected:
  ~IControlWindow() = default;
};

class ISpecifyPropertyPages : public IUnknown {
 public:
  // The class ids of the control's property pages, in order.
  virtual HRESULT GetPages(std::vector<Clsid>* pages) = 0;

 protected:
  ~ISpecifyPropertyPages() = default;
};

struct PropertyPageInfo {
  std::u16string title;
  int32_t dialog_id = 0;
};

class IPropertyPage : public IUnknown {
 public:
  virtual HRESULT GetPageInfo(PropertyPageInfo* info) = 0;

 protected:
  ~IPropertyPage() = default;
};

}  // namespace bexa::platform::com
