// The in-process component ABI that the host and the control library share:
// interfaces are classes of pure virtual functions, called through their
// virtual tables across the library boundary; every object counts its
// references and is found by interface id through QueryInterface.
//
// Rules, as for any component object: QueryInterface adds a reference to
// what it hands out; the caller releases each reference it holds exactly
// once; an object deletes itself when its count reaches zero. No exception
// crosses an interface: failures are HRESULTs.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/com/guid.h"
#include "platform/com/hresult.h"

namespace bexa::platform::com {

inline constexpr Iid IID_IUnknown = GuidOf("{00000000-0000-0000-C000-000000000046}");
inline constexpr Iid IID_IClassFactory = GuidOf("{00000001-0000-0000-C000-000000000046}");

class IUnknown {
 public:
  // REQUIRES: out is not null (else E_POINTER). On success *out holds a new
  // reference; on E_NOINTERFACE *out is null.
  virtual HRESULT QueryInterface(const Iid& iid, void** out) = 0;
  // Both return the new count, for diagnostics only.
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

 protected:
  ~IUnknown() = default;  // objects go through Release, never delete
};

class IClassFactory : public IUnknown {
 public:
  // Creates one object of the factory's class and hands out its interface
  // iid. outer must be null: the classes here are never aggregated
  // (CLASS_E_NOAGGREGATION).
  virtual HRESULT CreateInstance(IUnknown* outer, const Iid& iid, void** out) = 0;
  // Keeps the library loaded while lock is held (counted).
  virtual HRESULT LockServer(bool lock) = 0;

 protected:
  ~IClassFactory() = default;
};

// A counted reference to an interface, for callers: releases on scope exit.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  // Takes over one reference that the caller already holds.
  explicit ComRef(T* p) : p_(p) {}
  ComRef(const ComRef& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  ComRef(ComRef&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComRef& operator=(ComRef o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~ComRef() { Reset(); }

  void Reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out parameters: releases what is held and yields the slot.
  void** Out() {
    Reset();
    return reinterpret_cast<void**>(&p_);
  }

  // Asks p for interface iid of type U; empty when it has none.
  template <typename U>
  ComRef<U> As(const Iid& iid) const {
    ComRef<U> other;
    if (p_) p_->QueryInterface(iid, other.Out());
    return other;
  }

 private:
  T* p_ = nullptr;
};

}  // namespace bexa::platform::com
