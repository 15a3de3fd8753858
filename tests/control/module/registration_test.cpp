// DllRegisterServer and DllUnregisterServer: the keys of the registry store
// after each.
#include <gtest/gtest.h>

#include "control/bexa_ids.h"
#include "platform/codepage.h"
#include "platform/com/class_registration.h"
#include "platform/com/registry.h"
#include "platform/drives.h"
#include "platform/home.h"
#include "tests/control/module/loaded_bexa.h"

namespace bexa {
namespace {

using namespace platform::com;

const std::u16string kCtrl = GuidText(CLSID_BexaCtrl);
const std::u16string kPage = GuidText(CLSID_BexaPropPage);
const std::u16string kProcVals = GuidText(CLSID_ProcVals);
const std::u16string kAppId = GuidText(APPID_Bexa);
const std::u16string kLibId = GuidText(LIBID_Bexa);

class RegistrationTest : public testing::LoadedBexaTest {
 protected:
  RegistryHive Hive() {
    RegistryHive hive;
    EXPECT_EQ(ReadHive(kClassesRoot, hive), S_OK);
    return hive;
  }
  std::u16string Module() { return platform::WindowsPathOf(server_->Path()); }
};

struct Entry {
  std::u16string key;
  std::u16string name;   // "" is the default value
  std::u16string value;  // kAnyValue: the key must exist, its value is not checked
};
const std::u16string kAnyValue = u"\x1";

// The store after registration; "%M" stands for the library's path.
std::vector<Entry> RegisteredEntries() {
  const std::u16string clsid = u"CLSID\\";
  return {
      // The application identity.
      {u"AppID\\" + kAppId, u"", u"Bexa"},
      {u"AppID\\Bexa.DLL", u"AppID", kAppId},
      // The scriptable class.
      {u"Bexa.ProcVals.1", u"", u"ProcVals Class"},
      {u"Bexa.ProcVals.1\\CLSID", u"", kProcVals},
      {u"Bexa.ProcVals", u"", u"ProcVals Class"},
      {u"Bexa.ProcVals\\CLSID", u"", kProcVals},
      {u"Bexa.ProcVals\\CurVer", u"", u"Bexa.ProcVals.1"},
      {clsid + kProcVals, u"", u"ProcVals Class"},
      {clsid + kProcVals, u"AppID", kAppId},
      {clsid + kProcVals + u"\\ProgID", u"", u"Bexa.ProcVals.1"},
      {clsid + kProcVals + u"\\VersionIndependentProgID", u"", u"Bexa.ProcVals"},
      {clsid + kProcVals + u"\\Programmable", u"", kAnyValue},
      {clsid + kProcVals + u"\\InprocServer32", u"", u"%M"},
      {clsid + kProcVals + u"\\InprocServer32", u"ThreadingModel", u"Apartment"},
      {clsid + kProcVals + u"\\TypeLib", u"", kLibId},
      // The type library.
      {u"TypeLib\\" + kLibId + u"\\1.0", u"", u"Bexa ActiveX Control module"},
      {u"TypeLib\\" + kLibId + u"\\1.0\\0\\win32", u"", u"%M"},
      {u"TypeLib\\" + kLibId + u"\\1.0\\FLAGS", u"", u"0"},
      {u"Interface\\" + GuidText(IID_IProcVals), u"", u"IProcVals"},
      {u"Interface\\" + GuidText(IID__DBexa), u"", u"_DBexa"},
      {u"Interface\\" + GuidText(IID__DBexaEvents) + u"\\TypeLib", u"", kLibId},
      // The control.
      {u"Bexa.BexaCtrl.1", u"", u"Bexa Control"},
      {u"Bexa.BexaCtrl.1\\CLSID", u"", kCtrl},
      {u"Bexa.BexaCtrl.1\\Insertable", u"", kAnyValue},
      {clsid + kCtrl, u"", u"Bexa Control"},
      {clsid + kCtrl + u"\\ProgID", u"", u"Bexa.BexaCtrl.1"},
      {clsid + kCtrl + u"\\InprocServer32", u"", u"%M"},
      {clsid + kCtrl + u"\\InprocServer32", u"ThreadingModel", u"Apartment"},
      {clsid + kCtrl + u"\\Control", u"", kAnyValue},
      {clsid + kCtrl + u"\\Insertable", u"", kAnyValue},
      {clsid + kCtrl + u"\\ToolboxBitmap32", u"", u"%M, 100"},
      {clsid + kCtrl + u"\\MiscStatus", u"", u"0"},
      {clsid + kCtrl + u"\\MiscStatus\\1", u"", u"131473"},
      {clsid + kCtrl + u"\\TypeLib", u"", kLibId},
      {clsid + kCtrl + u"\\Version", u"", u"1.0"},
      {clsid + kCtrl + u"\\Implemented Categories\\" + GuidText(CATID_SafeForScripting), u"",
       kAnyValue},
      {clsid + kCtrl + u"\\Implemented Categories\\" + GuidText(CATID_SafeForInitializing), u"",
       kAnyValue},
      {u"Component Categories\\" + GuidText(CATID_SafeForScripting), u"409",
       u"Controls that are safely scriptable"},
      {u"Component Categories\\" + GuidText(CATID_SafeForInitializing), u"409",
       u"Controls safely initializable from persistent data"},
      // The property page.
      {u"Bexa.BexaPropPage.1\\CLSID", u"", kPage},
      {clsid + kPage, u"", u"Bexa Property Page"},
      {clsid + kPage + u"\\InprocServer32", u"", u"%M"},
      {clsid + kPage + u"\\InprocServer32", u"ThreadingModel", u"Apartment"},
  };
}

TEST_F(RegistrationTest, RegisterWritesEveryEntry) {
  ASSERT_EQ(server_->RegisterServer(), S_OK);
  const RegistryHive hive = Hive();
  for (const Entry& e : RegisteredEntries()) {
    const std::string where = platform::WideToUtf8(e.key + u" : " + e.name);
    if (e.value == kAnyValue) {
      EXPECT_TRUE(hive.KeyExists(e.key)) << where;
      continue;
    }
    const std::u16string expected = e.value.starts_with(u"%M") ? Module() + e.value.substr(2) : e.value;
    EXPECT_EQ(hive.Value(e.key, e.name), expected) << where;
  }
  EXPECT_TRUE(Module().starts_with(u"Z:\\")) << platform::WideToUtf8(Module());
  EXPECT_TRUE(Module().ends_with(u"\\libBexa.so"));
}

TEST_F(RegistrationTest, UnregisterRemovesTheClassesAndKeepsTheSharedKeys) {
  // Someone else's entries under the shared keys survive.
  ASSERT_EQ(EditHive(kClassesRoot, [](RegistryHive& h) {
              h.SetValue(u"CLSID\\{00000000-0000-0000-0000-000000000001}", u"", u"Other");
              h.SetValue(u"AppID\\Other.DLL", u"AppID", u"{X}");
              return S_OK;
            }),
            S_OK);
  ASSERT_EQ(server_->RegisterServer(), S_OK);
  ASSERT_EQ(server_->UnregisterServer(), S_OK);
  const RegistryHive hive = Hive();
  for (const char16_t* gone :
       {u"Bexa.ProcVals.1", u"Bexa.ProcVals", u"Bexa.BexaCtrl.1", u"Bexa.BexaPropPage.1",
        u"AppID\\Bexa.DLL"})
    EXPECT_FALSE(hive.KeyExists(gone)) << platform::WideToUtf8(gone);
  for (const std::u16string& gone :
       {u"AppID\\" + kAppId, u"CLSID\\" + kCtrl, u"CLSID\\" + kPage, u"CLSID\\" + kProcVals,
        u"TypeLib\\" + kLibId, u"Interface\\" + GuidText(IID_IProcVals)})
    EXPECT_FALSE(hive.KeyExists(gone)) << platform::WideToUtf8(gone);
  for (const char16_t* kept : {u"AppID", u"CLSID", u"TypeLib", u"Interface"})
    EXPECT_TRUE(hive.KeyExists(kept)) << platform::WideToUtf8(kept);
  EXPECT_EQ(hive.Value(u"Component Categories\\" + GuidText(CATID_SafeForScripting), u"409"),
            u"Controls that are safely scriptable");
  EXPECT_EQ(hive.Value(u"CLSID\\{00000000-0000-0000-0000-000000000001}", u""), u"Other");
  EXPECT_EQ(hive.Value(u"AppID\\Other.DLL", u"AppID"), u"{X}");
}

TEST_F(RegistrationTest, RegisteringAgainRecreatesTheScriptableClassKey) {
  ASSERT_EQ(server_->RegisterServer(), S_OK);
  ASSERT_EQ(EditHive(kClassesRoot, [](RegistryHive& h) {
              h.CreateKey(u"CLSID\\" + kProcVals + u"\\Stale");
              return S_OK;
            }),
            S_OK);
  ASSERT_EQ(server_->RegisterServer(), S_OK);
  const RegistryHive hive = Hive();
  EXPECT_FALSE(hive.KeyExists(u"CLSID\\" + kProcVals + u"\\Stale"));
  EXPECT_TRUE(hive.KeyExists(u"CLSID\\" + kProcVals + u"\\Programmable"));
}

TEST_F(RegistrationTest, AStoreThatCannotBeWrittenIsReportedAsAFailure) {
  testing::WriteFile(platform::RegistryFolder(), "not a folder");
  EXPECT_TRUE(Failed(server_->RegisterServer()));
  EXPECT_TRUE(Failed(server_->UnregisterServer()));
}

TEST_F(RegistrationTest, UnregisteringWhatIsNotRegisteredSucceeds) {
  EXPECT_EQ(server_->UnregisterServer(), S_OK);
}

}  // namespace
}  // namespace bexa
