// Result codes of the in-process component interfaces: the values of the
// Windows HRESULT, since hosts and scripts test those numbers.
#pragma once

#include <cstdint>
#include <string>

namespace bexa::platform::com {

using HRESULT = int32_t;

inline constexpr HRESULT HresultOf(uint32_t bits) { return static_cast<HRESULT>(bits); }

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = HresultOf(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = HresultOf(0x80004002);
inline constexpr HRESULT E_POINTER = HresultOf(0x80004003);
inline constexpr HRESULT E_FAIL = HresultOf(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = HresultOf(0x8000FFFF);
inline constexpr HRESULT E_ACCESSDENIED = HresultOf(0x80070005);
inline constexpr HRESULT E_OUTOFMEMORY = HresultOf(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = HresultOf(0x80070057);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = HresultOf(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = HresultOf(0x80040111);
inline constexpr HRESULT SELFREG_E_TYPELIB = HresultOf(0x80040200);
inline constexpr HRESULT SELFREG_E_CLASS = HresultOf(0x80040201);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = HresultOf(0x80020003);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = HresultOf(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = HresultOf(0x80020006);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = HresultOf(0x8002000E);

inline constexpr bool Succeeded(HRESULT hr) { return hr >= 0; }
inline constexpr bool Failed(HRESULT hr) { return hr < 0; }

// "0x80040111 (CLASS_E_CLASSNOTAVAILABLE)"; the name part is left out for a
// value without one here.
std::string HresultText(HRESULT hr);

}  // namespace bexa::platform::com
