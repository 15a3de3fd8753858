// The class objects of the library: the scriptable-class module's (ProcVals)
// and the control factories (CBexaCtrl, CBexaPropPage). They live as long
// as the library; references to them do not lock it (LockServer does).
#pragma once

#include "platform/com/unknown.h"

namespace bexa {

// The class object of clsid, as interface iid (IUnknown or IClassFactory).
// The scriptable-class module is asked first, then the control factories.
// E_POINTER for a null out; CLASS_E_CLASSNOTAVAILABLE for a class the
// library does not have; E_NOINTERFACE for another iid.
platform::com::HRESULT GetClassObject(const platform::com::Clsid& clsid,
                                      const platform::com::Iid& iid, void** out);

// S_OK (may unload) while the library's lock count is 0, else S_FALSE.
platform::com::HRESULT CanUnloadNow();

}  // namespace bexa
