// The fixed identities of the control library: class, interface,
// application and type library ids (chosen once; the registry and every
// host rely on them), ProgIDs, registered names and resource numbers.
#pragma once

#include "platform/com/guid.h"

namespace bexa {

using platform::com::GuidOf;

inline constexpr platform::com::Clsid CLSID_BexaCtrl = GuidOf("{CCF30F51-16DE-415B-9AEB-93659DF624A7}");
inline constexpr platform::com::Clsid CLSID_BexaPropPage = GuidOf("{A2F1123B-63AA-430F-992E-5B9101FED7C6}");
inline constexpr platform::com::Clsid CLSID_ProcVals = GuidOf("{0EA6D6CB-B577-4116-A7EB-69C34F0EE2F4}");
inline constexpr platform::com::Guid APPID_Bexa = GuidOf("{D022256D-F014-4ED8-86F0-4663F808A22D}");
inline constexpr platform::com::Guid LIBID_Bexa = GuidOf("{F62D5AE8-426E-4720-9CD1-59AB91727DDC}");
inline constexpr platform::com::Iid IID__DBexa = GuidOf("{93627426-2563-499B-89E5-F1D9E82E925D}");
inline constexpr platform::com::Iid IID__DBexaEvents = GuidOf("{376507F2-E546-4C96-89BA-59E88F848D56}");
inline constexpr platform::com::Iid IID_IProcVals = GuidOf("{729C77D6-1321-4AE5-BACE-16BBA9A9501E}");

inline constexpr char16_t kBexaCtrlProgId[] = u"Bexa.BexaCtrl.1";
inline constexpr char16_t kBexaPropPageProgId[] = u"Bexa.BexaPropPage.1";
inline constexpr char16_t kProcValsProgId[] = u"Bexa.ProcVals.1";
inline constexpr char16_t kProcValsVersionIndependentProgId[] = u"Bexa.ProcVals";

// The library's own string resources (the user interface's texts are in
// kvo_lang; these name the classes in the registry and the page's tab).
inline constexpr int kIdsBexa = 1;
inline constexpr char16_t kBexaCtrlName[] = u"Bexa Control";
inline constexpr int kIdsBexaPropPage = 2;
inline constexpr char16_t kBexaPropPageName[] = u"Bexa Property Page";
inline constexpr int kIdsBexaPropPageCaption = 200;
inline constexpr char16_t kBexaPropPageCaption[] = u"General";
inline constexpr char16_t kProcValsName[] = u"ProcVals Class";

// Dialog and bitmap resources.
inline constexpr int kIddMainPanel = 101;
inline constexpr int kIddPropPageBexa = 201;
inline constexpr int kIdbBexaToolbox = 100;

// The control's miscellaneous status: activate when visible, set client
// site first, inside-out, cannot link inside, recompose on resize.
inline constexpr uint32_t kBexaCtrlMiscStatus = 0x20191;

}  // namespace bexa
