// DllGetClassObject, the class factories and DllCanUnloadNow.
#include <gtest/gtest.h>

#include "control/bexa_ids.h"
#include "control/interfaces.h"
#include "platform/com/control.h"
#include "tests/control/module/loaded_bexa.h"

namespace bexa {
namespace {

using namespace platform::com;

using ClassObjectsTest = testing::LoadedBexaTest;

struct ClassCase {
  const char* name;
  Clsid clsid;
  Iid interface_of_object;
};
const ClassCase kClasses[] = {
    {"CBexaCtrl", CLSID_BexaCtrl, IID_IControlWindow},
    {"CBexaPropPage", CLSID_BexaPropPage, IID_IPropertyPage},
    {"ProcVals", CLSID_ProcVals, IID_IProcVals},
};

TEST_F(ClassObjectsTest, EveryClassHasAFactoryThatCreatesIt) {
  for (const ClassCase& c : kClasses) {
    SCOPED_TRACE(c.name);
    ComRef<IClassFactory> factory;
    ASSERT_EQ(server_->GetClassObject(c.clsid, IID_IClassFactory, factory.Out()), S_OK);
    ComRef<IUnknown> unknown;
    ASSERT_EQ(server_->GetClassObject(c.clsid, IID_IUnknown, unknown.Out()), S_OK);

    ComRef<IUnknown> object;
    ASSERT_EQ(factory->CreateInstance(nullptr, c.interface_of_object, object.Out()), S_OK);
    EXPECT_TRUE(object.As<IUnknown>(IID_IUnknown));

    ComRef<IUnknown> refused;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, refused.Out()), E_NOINTERFACE);
    EXPECT_FALSE(refused);
    EXPECT_EQ(factory->CreateInstance(object.get(), IID_IUnknown, refused.Out()),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
  }
}

TEST_F(ClassObjectsTest, UnknownClassesAndInterfacesAreRefused) {
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(server_->GetClassObject(GuidOf("{00000000-0000-0000-0000-0000000000AB}"),
                                    IID_IClassFactory, &out),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  // A class id of the library's that is no class (the type library's).
  EXPECT_EQ(server_->GetClassObject(LIBID_Bexa, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
  out = reinterpret_cast<void*>(1);
  EXPECT_EQ(server_->GetClassObject(CLSID_ProcVals, IID_IProcVals, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(server_->GetClassObject(CLSID_BexaCtrl, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(ClassObjectsTest, CanUnloadOnlyWithoutLiveObjectsOrLocks) {
  EXPECT_EQ(server_->CanUnloadNow(), S_OK);
  for (const ClassCase& c : kClasses) {
    SCOPED_TRACE(c.name);
    ComRef<IUnknown> object = Create<IUnknown>(c.clsid, IID_IUnknown);
    ComRef<IUnknown> second = object;
    EXPECT_EQ(server_->CanUnloadNow(), S_FALSE);
    object.Reset();
    EXPECT_EQ(server_->CanUnloadNow(), S_FALSE);  // one reference left
    second.Reset();
    EXPECT_EQ(server_->CanUnloadNow(), S_OK);
  }
  // Holding a factory does not keep the library; a lock does.
  ComRef<IClassFactory> factory;
  ASSERT_EQ(server_->GetClassObject(CLSID_ProcVals, IID_IClassFactory, factory.Out()), S_OK);
  EXPECT_EQ(server_->CanUnloadNow(), S_OK);
  ASSERT_EQ(factory->LockServer(true), S_OK);
  EXPECT_EQ(server_->CanUnloadNow(), S_FALSE);
  ASSERT_EQ(factory->LockServer(false), S_OK);
  EXPECT_EQ(server_->CanUnloadNow(), S_OK);
}

TEST_F(ClassObjectsTest, TheControlCreatedByTheHostHoldsItsPanel) {
  ComRef<IControlWindow> control = Create<IControlWindow>(CLSID_BexaCtrl, IID_IControlWindow);
  ASSERT_TRUE(control);
  int32_t result = 9;
  ASSERT_EQ(control->CreateControlWindow(0, {0, 0, 10, 10}, &result), S_OK);
  EXPECT_EQ(result, -1);
  ASSERT_EQ(control->CreateControlWindow(17, {0, 0, 640, 400}, &result), S_OK);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(control->Draw({0, 0, 640, 400}, {0, 0, 640, 400}), S_OK);
  auto pages = control.As<ISpecifyPropertyPages>(IID_ISpecifyPropertyPages);
  ASSERT_TRUE(pages);
  std::vector<Clsid> ids;
  ASSERT_EQ(pages->GetPages(&ids), S_OK);
  ASSERT_EQ(ids.size(), 1u);

  ComRef<IPropertyPage> page = Create<IPropertyPage>(ids[0], IID_IPropertyPage);
  ASSERT_TRUE(page);
  PropertyPageInfo info;
  ASSERT_EQ(page->GetPageInfo(&info), S_OK);
  EXPECT_EQ(info.title, u"General");
  EXPECT_EQ(info.dialog_id, 201);
}

}  // namespace
}  // namespace bexa
