#include "platform/com/registry.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/home.h"
#include "tests/support/temp_home.h"

namespace bexa::platform::com {
namespace {

using Values = std::vector<std::pair<std::u16string, std::u16string>>;

TEST(RegistryHive, KeysAreCaseInsensitiveAndKeepTheirCase) {
  RegistryHive hive;
  ASSERT_TRUE(hive.SetValue(u"CLSID\\{AB}\\InprocServer32", u"ThreadingModel", u"Apartment"));
  EXPECT_TRUE(hive.KeyExists(u"clsid"));
  EXPECT_TRUE(hive.KeyExists(u"CLSID\\{ab}"));
  EXPECT_EQ(hive.Value(u"clsid\\{ab}\\inprocserver32", u"threadingmodel"), u"Apartment");
  hive.CreateKey(u"clsid\\{ab}\\ProgID");  // an existing parent keeps its stored case
  EXPECT_EQ(hive.SubKeys(u""), std::vector<std::u16string>{u"CLSID"});
  EXPECT_EQ(hive.SubKeys(u"CLSID\\{AB}"), (std::vector<std::u16string>{u"InprocServer32", u"ProgID"}));
}

TEST(RegistryHive, InvalidPathsAreRefused) {
  RegistryHive hive;
  for (const char16_t* path : {u"A\\\\B", u"\\A", u"A\\", u"A\nB"})
    EXPECT_FALSE(hive.CreateKey(path)) << std::u16string(path).size();
  EXPECT_FALSE(hive.SetValue(u"", u"x", u"y"));  // the root holds no values
  EXPECT_TRUE(hive.Empty());
}

TEST(RegistryHive, DeleteKeyNeedsALeafDeleteTreeTakesTheSubtreeOnly) {
  RegistryHive hive;
  hive.CreateKey(u"A\\B\\C");
  hive.CreateKey(u"A.B");  // sorts beside "A" but is not below it
  hive.CreateKey(u"AB");
  EXPECT_FALSE(hive.DeleteKey(u"A\\B"));  // has a subkey
  EXPECT_FALSE(hive.DeleteKey(u""));
  EXPECT_TRUE(hive.DeleteKey(u"A\\B\\C"));
  EXPECT_FALSE(hive.KeyExists(u"A\\B\\C"));
  hive.CreateKey(u"A\\B\\C");
  EXPECT_TRUE(hive.DeleteTree(u"a"));
  EXPECT_FALSE(hive.KeyExists(u"A"));
  EXPECT_FALSE(hive.KeyExists(u"A\\B"));
  EXPECT_TRUE(hive.KeyExists(u"A.B"));
  EXPECT_TRUE(hive.KeyExists(u"AB"));
  EXPECT_FALSE(hive.DeleteTree(u"A"));
}

TEST(RegistryHive, TextFormRoundTripsAndReadsAsWritten) {
  RegistryHive hive;
  hive.SetValue(u"Bexa.ProcVals", u"", u"ProcVals Class");
  hive.SetValue(u"Bexa.ProcVals\\CurVer", u"", u"Bexa.ProcVals.1");
  hive.SetValue(u"Odd", u"quote\"and\\slash", u"line\nbreak \u00e9");
  hive.CreateKey(u"Empty");
  const std::string text = hive.ToText(kClassesRoot);
  EXPECT_EQ(text,
            "; HKEY_CLASSES_ROOT\n"
            "\n[Bexa.ProcVals]\n@=\"ProcVals Class\"\n"
            "\n[Bexa.ProcVals\\CurVer]\n@=\"Bexa.ProcVals.1\"\n"
            "\n[Empty]\n"
            "\n[Odd]\n\"quote\\\"and\\\\slash\"=\"line\\nbreak \xC3\xA9\"\n");
  auto back = RegistryHive::FromText(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->ToText(kClassesRoot), text);
  EXPECT_EQ(back->Value(u"Odd", u"quote\"and\\slash"), u"line\nbreak \u00e9");
}

TEST(RegistryHive, DamagedTextsAreRefusedWithTheLine) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"@=\"x\"\n", "line 1: value outside a key"},
      {"[A]\n@=\"x\n", "line 2: bad value text"},
      {"[A]\n\"n\" \"x\"\n", "line 2: \"=\" expected"},
      {"; c\n[A\n", "line 2: unclosed key name"},
      {"[A\\\\B]\n", "line 1: invalid key name"},
      {"[A]\n@=\"\\q\"\n", "line 2: bad value text"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(RegistryHive::FromText(c.text, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST(RegistryStore, EditWritesTheHiveFileAndReadSeesIt) {
  testing::TempHome home;
  RegistryHive before;
  ASSERT_EQ(ReadHive(kClassesRoot, before), S_OK);  // no file yet: empty
  EXPECT_TRUE(before.Empty());
  ASSERT_EQ(EditHive(kClassesRoot, [](RegistryHive& h) {
              h.SetValue(u"AppID\\Bexa.DLL", u"AppID", u"{X}");
              return S_OK;
            }),
            S_OK);
  std::ifstream file(HiveFilePath(kClassesRoot));
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_NE(text.str().find("[AppID\\Bexa.DLL]\n\"AppID\"=\"{X}\"\n"), std::string::npos);
  RegistryHive after;
  ASSERT_EQ(ReadHive(kClassesRoot, after), S_OK);
  EXPECT_EQ(after.Value(u"AppID\\Bexa.DLL", u"AppID"), u"{X}");
  struct stat st;
  ASSERT_EQ(::stat(RegistryFolder().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(RegistryStore, AFailedEditOrADamagedFileChangesNothing) {
  testing::TempHome home;
  ASSERT_EQ(EditHive(kClassesRoot, [](RegistryHive& h) {
              h.CreateKey(u"Kept");
              return S_OK;
            }),
            S_OK);
  EXPECT_EQ(EditHive(kClassesRoot, [](RegistryHive& h) {
              h.DeleteTree(u"Kept");
              return E_INVALIDARG;
            }),
            E_INVALIDARG);
  RegistryHive hive;
  ASSERT_EQ(ReadHive(kClassesRoot, hive), S_OK);
  EXPECT_TRUE(hive.KeyExists(u"Kept"));

  // A damaged file is never overwritten: a person may still mend it.
  testing::WriteFile(HiveFilePath(kClassesRoot), "[Kept\n");
  bool ran = false;
  EXPECT_EQ(EditHive(kClassesRoot, [&](RegistryHive&) { return ran = true, S_OK; }), E_FAIL);
  EXPECT_FALSE(ran);
  EXPECT_EQ(ReadHive(kClassesRoot, hive), E_FAIL);
  std::ifstream file(HiveFilePath(kClassesRoot));
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_EQ(text.str(), "[Kept\n");
}

TEST(RegistryStore, AStoreThatCannotBeMadeFails) {
  testing::TempHome home;
  testing::WriteFile(RegistryFolder(), "a file where the folder should be");
  EXPECT_TRUE(Failed(EditHive(kClassesRoot, [](RegistryHive&) { return S_OK; })));
  EXPECT_EQ(EditHive("../x", [](RegistryHive&) { return S_OK; }), E_INVALIDARG);
}

}  // namespace
}  // namespace bexa::platform::com
