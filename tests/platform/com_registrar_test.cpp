#include "platform/com/registrar.h"

#include <gtest/gtest.h>

#include "platform/com/class_registration.h"

namespace bexa::platform::com {
namespace {

const Replacements kReplacements = {{u"%MODULE%", u"Z:\\lib\\x.so"}, {u"%APPID%", u"{ID}"}};

std::vector<ScriptKey> SampleScript() {
  return {ScriptKey{u"Root",
                    KeyFlag::kNoRemove,
                    {{u"Shared", u"kept?"}},
                    {ScriptKey{u"%APPID%", KeyFlag::kNormal, {{u"", u"%MODULE%"}}, {}},
                     ScriptKey{u"Fresh", KeyFlag::kForceRemove, {{u"v", u"1"}},
                               {ScriptKey{u"Sub", KeyFlag::kNormal, {}, {}}}}}}};
}

TEST(Registrar, PlaceholdersAreFilledOnceLeftToRight) {
  EXPECT_EQ(ReplacePlaceholders(u"%APPID%-%MODULE%%APPID%", kReplacements),
            u"{ID}-Z:\\lib\\x.so{ID}");
  EXPECT_EQ(ReplacePlaceholders(u"%NONE%", kReplacements), u"%NONE%");
  EXPECT_EQ(ReplacePlaceholders(u"%APPID%", {{u"%APPID%", u"%APPID%x"}}), u"%APPID%x");
}

TEST(Registrar, RegisterCreatesForceRemoveReplacesUnregisterKeepsNoRemove) {
  RegistryHive hive;
  hive.SetValue(u"Root\\Fresh\\Stale", u"", u"left over");
  hive.SetValue(u"Root\\Other", u"", u"someone else's");
  ASSERT_TRUE(ApplyRegistryScript(hive, SampleScript(), kReplacements, RegistrationMode::kRegister));
  EXPECT_EQ(hive.Value(u"Root\\{ID}", u""), u"Z:\\lib\\x.so");
  EXPECT_EQ(hive.Value(u"Root", u"Shared"), u"kept?");
  EXPECT_TRUE(hive.KeyExists(u"Root\\Fresh\\Sub"));
  EXPECT_FALSE(hive.KeyExists(u"Root\\Fresh\\Stale"));

  ASSERT_TRUE(ApplyRegistryScript(hive, SampleScript(), kReplacements, RegistrationMode::kUnregister));
  EXPECT_TRUE(hive.KeyExists(u"Root"));
  EXPECT_FALSE(hive.Value(u"Root", u"Shared"));  // the script's own value goes
  EXPECT_FALSE(hive.KeyExists(u"Root\\{ID}"));
  EXPECT_FALSE(hive.KeyExists(u"Root\\Fresh"));
  EXPECT_EQ(hive.Value(u"Root\\Other", u""), u"someone else's");
}

TEST(ClassRegistration, TypeLibraryKeyStaysWhileAnotherVersionIsRegistered) {
  TypeLibDescription v1{GuidOf("{11111111-2222-3333-4444-555555555555}"), 1, 0, u"Lib", u"L.hlp",
                        {{GuidOf("{11111111-2222-3333-4444-666666666666}"), u"IThing"}}};
  TypeLibDescription v2 = v1;
  v2.minor = 0x1f;
  v2.interfaces.clear();
  RegistryHive hive;
  ApplyTypeLibrary(hive, v1, u"Z:\\lib\\x.so", RegistrationMode::kRegister);
  ApplyTypeLibrary(hive, v2, u"Z:\\lib\\x.so", RegistrationMode::kRegister);
  const std::u16string key = u"TypeLib\\{11111111-2222-3333-4444-555555555555}";
  EXPECT_EQ(hive.Value(key + u"\\1.0\\0\\win32", u""), u"Z:\\lib\\x.so");
  EXPECT_EQ(hive.Value(key + u"\\1.0\\HELPDIR", u""), u"Z:\\lib\\");
  EXPECT_TRUE(hive.KeyExists(key + u"\\1.1f"));
  EXPECT_EQ(hive.Value(u"Interface\\{11111111-2222-3333-4444-666666666666}\\TypeLib", u"Version"),
            u"1.0");

  ApplyTypeLibrary(hive, v1, u"", RegistrationMode::kUnregister);
  EXPECT_FALSE(hive.KeyExists(key + u"\\1.0"));
  EXPECT_FALSE(hive.KeyExists(u"Interface\\{11111111-2222-3333-4444-666666666666}"));
  EXPECT_TRUE(hive.KeyExists(key + u"\\1.1f"));
  ApplyTypeLibrary(hive, v2, u"", RegistrationMode::kUnregister);
  EXPECT_FALSE(hive.KeyExists(key));
  EXPECT_TRUE(hive.KeyExists(u"TypeLib"));
  EXPECT_TRUE(hive.KeyExists(u"Interface"));
}

TEST(ClassRegistration, AnExistingCategoryKeepsItsDescription) {
  RegistryHive hive;
  hive.SetValue(u"Component Categories\\" + GuidText(CATID_SafeForScripting), u"409", u"theirs");
  CreateComponentCategory(hive, {CATID_SafeForScripting, u"ours"});
  CreateComponentCategory(hive, {CATID_SafeForInitializing, u"ours too"});
  EXPECT_EQ(hive.Value(u"Component Categories\\" + GuidText(CATID_SafeForScripting), u"409"),
            u"theirs");
  EXPECT_EQ(hive.Value(u"Component Categories\\" + GuidText(CATID_SafeForInitializing), u"409"),
            u"ours too");
}

}  // namespace
}  // namespace bexa::platform::com
