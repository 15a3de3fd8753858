// The library file itself: what it exports, what it binds at load time, and
// that closing it unloads it (its process-wide objects go with it).
#include <dlfcn.h>

#include <gtest/gtest.h>

#include "control/bexa_ids.h"
#include "control/interfaces.h"
#include "tests/control/module/loaded_bexa.h"

namespace bexa {
namespace {

using namespace platform::com;

using LibraryTest = testing::LoadedBexaTest;

TEST_F(LibraryTest, ExportsTheEntryPointsOnly) {
  void* handle = ::dlopen(BEXA_LIBRARY_FILE, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(handle, nullptr);
  for (const char* name : {"DllRegisterServer", "DllUnregisterServer", "DllGetClassObject",
                           "DllCanUnloadNow"})
    EXPECT_NE(::dlsym(handle, name), nullptr) << name;
  // The layers inside stay private to the library.
  for (const char* name : {"_ZN4bexa6TheAppEv", "_ZN4bexa16WriteHandoffFileESt17basic_string_viewIDsSt11char_traitsIDsEES3_"})
    EXPECT_EQ(::dlsym(handle, name), nullptr) << name;
  ::dlclose(handle);
}

TEST_F(LibraryTest, BindsTheLanguageLibraryByNameAtLoadTime) {
  void* lang = ::dlopen("libkvo_lang.so", RTLD_NOW | RTLD_NOLOAD);
  EXPECT_NE(lang, nullptr) << "libkvo_lang.so is not loaded with libBexa.so";
  if (lang) ::dlclose(lang);
}

TEST_F(LibraryTest, ClosingTheLibraryUnloadsItAndReopeningStartsAfresh) {
  {
    ComRef<IProcVals> proc_vals = Create<IProcVals>(CLSID_ProcVals, IID_IProcVals);
    ASSERT_TRUE(proc_vals);
  }
  ASSERT_EQ(server_->CanUnloadNow(), S_OK);
  server_.reset();
  EXPECT_EQ(::dlopen(BEXA_LIBRARY_FILE, RTLD_NOW | RTLD_NOLOAD), nullptr)
      << "libBexa.so stayed loaded after its last close";

  SetUp();
  ComRef<IProcVals> again = Create<IProcVals>(CLSID_ProcVals, IID_IProcVals);
  ASSERT_TRUE(again);
  uint8_t ret = 9;
  EXPECT_EQ(again->ChkVals(u"", &ret), S_OK);
  EXPECT_EQ(ret, 1);
}

}  // namespace
}  // namespace bexa
