// ProcVals through its interfaces: ChkVals directly and by name, and the
// rules of IObjectSafety.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "control/bexa_ids.h"
#include "control/interfaces.h"
#include "platform/com/object_safety.h"
#include "platform/home.h"
#include "tests/control/module/loaded_bexa.h"

namespace bexa {
namespace {

using namespace platform::com;

class ProcValsTest : public testing::LoadedBexaTest {
 protected:
  void SetUp() override {
    LoadedBexaTest::SetUp();
    if (HasFatalFailure()) return;
    proc_vals_ = Create<IProcVals>(CLSID_ProcVals, IID_IProcVals);
    ASSERT_TRUE(proc_vals_);
  }
  void TearDown() override {
    proc_vals_.Reset();
    LoadedBexaTest::TearDown();
  }

  std::string HandoffFile() const { return platform::WindowsDirectory() + "/wbx.txt"; }
  std::string HandoffText() const {
    std::ifstream in(HandoffFile(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  ComRef<IProcVals> proc_vals_;
};

constexpr char16_t kAllFive[] = u"lng=ESP;svr=backup.example;prt=308;usr=ana;pwd=s3cret;";
constexpr char kWritten[] =
    "[Retrovia]\r\nLanguage=ESP\r\nServer=backup.example\r\nPort=308\r\nUser=ana\r\n"
    "Password=s3cret\r\n";

TEST_F(ProcValsTest, ChkValsWritesTheHandoffFileInAFreshHome) {
  uint8_t ret = 9;
  ASSERT_EQ(proc_vals_->ChkVals(kAllFive, &ret), S_OK);
  EXPECT_EQ(ret, 0);
  EXPECT_EQ(HandoffText(), kWritten);
  struct stat st;
  ASSERT_EQ(::stat(HandoffFile().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(ProcValsTest, ChkValsWithAValueMissingReturnsOneWritesNothingAndSucceeds) {
  for (const char16_t* values : {u"svr=s;prt=1;usr=u;pwd=p;", u"lng=ENG;svr=;prt=1;usr=u;pwd=p;",
                                 u"", static_cast<const char16_t*>(nullptr)}) {
    uint8_t ret = 9;
    EXPECT_EQ(proc_vals_->ChkVals(values, &ret), S_OK);
    EXPECT_EQ(ret, 1);
    EXPECT_FALSE(std::filesystem::exists(HandoffFile()));
  }
  EXPECT_EQ(proc_vals_->ChkVals(kAllFive, nullptr), E_POINTER);
}

TEST_F(ProcValsTest, ChkValsByNameReturnsTheByteAsTheCallsResult) {
  auto dispatch = proc_vals_.As<IDispatch>(IID_IDispatch);
  ASSERT_TRUE(dispatch);
  DispId id = 0;
  ASSERT_EQ(dispatch->GetIDsOfNames(u"chkVALS", &id), S_OK);
  EXPECT_EQ(id, kDispIdChkVals);
  EXPECT_EQ(dispatch->GetIDsOfNames(u"ChkVal", &id), DISP_E_UNKNOWNNAME);

  const Variant args[] = {Variant::Text(kAllFive)};
  Variant result;
  ASSERT_EQ(dispatch->Invoke(kDispIdChkVals, args, 1, &result), S_OK);
  EXPECT_EQ(result.type, VarType::kUi1);
  EXPECT_EQ(result.ui1, 0);
  EXPECT_EQ(HandoffText(), kWritten);

  const Variant missing[] = {Variant::Text(u"usr=u;")};
  ASSERT_EQ(dispatch->Invoke(kDispIdChkVals, missing, 1, &result), S_OK);
  EXPECT_EQ(result.ui1, 1);

  Variant number;
  number.type = VarType::kI4;
  EXPECT_EQ(dispatch->Invoke(kDispIdChkVals, &number, 1, &result), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(dispatch->Invoke(kDispIdChkVals, args, 0, &result), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(dispatch->Invoke(2, args, 1, &result), DISP_E_MEMBERNOTFOUND);
}

TEST_F(ProcValsTest, ObjectSafetyReportsOptionsThreeForEverySupportedInterface) {
  auto safety = proc_vals_.As<IObjectSafety>(IID_IObjectSafety);
  ASSERT_TRUE(safety);
  for (const Iid& iid : {IID_IUnknown, IID_IDispatch, IID_IProcVals, IID_IObjectSafety}) {
    uint32_t supported = 0, enabled = 9;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(iid, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, 3u);
    EXPECT_EQ(enabled, 0u);
  }
  uint32_t supported = 9, enabled = 9;
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IClassFactory, &supported, &enabled),
            E_NOINTERFACE);
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IProcVals, nullptr, &enabled), E_POINTER);
}

TEST_F(ProcValsTest, ObjectSafetySettingFollowsTheMaskRules) {
  auto safety = proc_vals_.As<IObjectSafety>(IID_IObjectSafety);
  ASSERT_TRUE(safety);
  struct Step {
    Iid iid;
    uint32_t mask, requested;
    HRESULT result;
    uint32_t enabled_after;
  };
  const Step steps[] = {
      {IID_IDispatch, 1, 1, S_OK, 1},
      {IID_IProcVals, 2, 3, S_OK, 3},          // only the mask's bit changes
      {IID_IProcVals, 1, 0, S_OK, 2},
      {IID_IProcVals, 4, 4, E_FAIL, 2},        // outside the two supported bits
      {IID_IProcVals, 7, 7, E_FAIL, 2},
      {IID_IClassFactory, 1, 1, E_NOINTERFACE, 2},
      {IID_IClassFactory, 8, 8, E_FAIL, 2},    // the mask is checked first
      {IID_IObjectSafety, 3, 5, S_OK, 1},      // requested bits outside the mask are ignored
      {IID_IUnknown, 0, 3, S_OK, 1},
  };
  for (const Step& s : steps) {
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(s.iid, s.mask, s.requested), s.result)
        << "mask " << s.mask << " requested " << s.requested;
    uint32_t supported = 0, enabled = 0;
    ASSERT_EQ(safety->GetInterfaceSafetyOptions(IID_IProcVals, &supported, &enabled), S_OK);
    EXPECT_EQ(enabled, s.enabled_after) << "mask " << s.mask << " requested " << s.requested;
  }
}

}  // namespace
}  // namespace bexa
