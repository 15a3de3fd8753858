#include "platform/com/hresult.h"

#include <cstdio>

namespace bexa::platform::com {

namespace {

struct Named {
  HRESULT value;
  const char* name;
};

constexpr Named kNames[] = {
    {S_OK, "S_OK"},
    {S_FALSE, "S_FALSE"},
    {E_NOTIMPL, "E_NOTIMPL"},
    {E_NOINTERFACE, "E_NOINTERFACE"},
    {E_POINTER, "E_POINTER"},
    {E_FAIL, "E_FAIL"},
    {E_UNEXPECTED, "E_UNEXPECTED"},
    {E_ACCESSDENIED, "E_ACCESSDENIED"},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
    {E_INVALIDARG, "E_INVALIDARG"},
    {CLASS_E_NOAGGREGATION, "CLASS_E_NOAGGREGATION"},
    {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE"},
    {SELFREG_E_TYPELIB, "SELFREG_E_TYPELIB"},
    {SELFREG_E_CLASS, "SELFREG_E_CLASS"},
    {DISP_E_MEMBERNOTFOUND, "DISP_E_MEMBERNOTFOUND"},
    {DISP_E_TYPEMISMATCH, "DISP_E_TYPEMISMATCH"},
    {DISP_E_UNKNOWNNAME, "DISP_E_UNKNOWNNAME"},
    {DISP_E_BADPARAMCOUNT, "DISP_E_BADPARAMCOUNT"},
};

}  // namespace

std::string HresultText(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<uint32_t>(hr));
  for (const Named& n : kNames)
    if (n.value == hr) return std::string(text) + " (" + n.name + ")";
  return text;
}

}  // namespace bexa::platform::com
