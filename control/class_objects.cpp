#include "control/class_objects.h"

#include <new>

#include "control/bexa_ctrl.h"
#include "control/bexa_ids.h"
#include "control/bexa_prop_page.h"
#include "control/module_lock.h"
#include "control/proc_vals.h"

namespace bexa {

using namespace platform::com;

namespace {

// Creates objects of T, whose constructor leaves a reference count of 0.
template <typename T>
class ClassFactory final : public IClassFactory {
 public:
  HRESULT QueryInterface(const Iid& iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // The factory is a static object of the library; counting is not needed.
  uint32_t AddRef() override { return 2; }
  uint32_t Release() override { return 1; }

  HRESULT CreateInstance(IUnknown* outer, const Iid& iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    try {
      T* object = new T();
      object->AddRef();
      const HRESULT hr = object->QueryInterface(iid, out);
      object->Release();  // deletes the object when iid was refused
      return hr;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (...) {
      return E_FAIL;  // no exception crosses the interface
    }
  }

  HRESULT LockServer(bool lock) override {
    if (lock)
      LockModule();
    else
      UnlockModule();
    return S_OK;
  }
};

// The scriptable-class module.
ClassFactory<ProcVals> proc_vals_factory;
// The control factories.
ClassFactory<CBexaCtrl> bexa_ctrl_factory;
ClassFactory<CBexaPropPage> bexa_prop_page_factory;

IClassFactory* ScriptableClassObject(const Clsid& clsid) {
  return clsid == CLSID_ProcVals ? &proc_vals_factory : nullptr;
}

IClassFactory* ControlFactory(const Clsid& clsid) {
  if (clsid == CLSID_BexaCtrl) return &bexa_ctrl_factory;
  if (clsid == CLSID_BexaPropPage) return &bexa_prop_page_factory;
  return nullptr;
}

}  // namespace

HRESULT GetClassObject(const Clsid& clsid, const Iid& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  IClassFactory* factory = ScriptableClassObject(clsid);
  if (factory == nullptr) factory = ControlFactory(clsid);
  if (factory == nullptr) return CLASS_E_CLASSNOTAVAILABLE;
  return factory->QueryInterface(iid, out);
}

HRESULT CanUnloadNow() { return ModuleLockCount() == 0 ? S_OK : S_FALSE; }

}  // namespace bexa
