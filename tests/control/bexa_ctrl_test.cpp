#include "control/bexa_ctrl.h"

#include <gtest/gtest.h>

#include "control/bexa_app.h"
#include "control/bexa_ids.h"
#include "control/module_lock.h"

namespace bexa {
namespace {

using namespace platform::com;

// Records what the control asks of its panel.
struct PanelLog {
  std::vector<std::string> calls;
  WindowHandle parent = 0;
  ComRect bounds, invalid;
  Session* session = nullptr;
  bool refuse_window = false;
};

class RecordingPanel : public HostedPanel {
 public:
  explicit RecordingPanel(PanelLog& log) : log_(log) { log_.calls.push_back("construct"); }
  ~RecordingPanel() override { log_.calls.push_back("delete"); }
  bool CreatePanelWindow(WindowHandle parent) override {
    log_.calls.push_back("create");
    log_.parent = parent;
    return !log_.refuse_window;
  }
  void MovePanelWindow(const ComRect& bounds) override {
    log_.calls.push_back("move");
    log_.bounds = bounds;
  }
  void ShowPanelWindow() override { log_.calls.push_back("show"); }
  void InvalidatePanel(const ComRect& area) override {
    log_.calls.push_back("invalidate");
    log_.invalid = area;
  }
  void DestroyPanelWindow() override { log_.calls.push_back("destroy"); }

 private:
  PanelLog& log_;
};

class BexaCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = SetMainPanelFactory([this](Session& session) {
      log_.session = &session;
      return std::make_unique<RecordingPanel>(log_);
    });
  }
  void TearDown() override { SetMainPanelFactory(previous_); }

  // A control with one reference, through its window interface.
  ComRef<IControlWindow> NewControl() {
    CBexaCtrl* control = new CBexaCtrl();
    control->AddRef();
    return ComRef<IControlWindow>(static_cast<IControlWindow*>(control));
  }

  PanelLog log_;
  MainPanelFactory previous_;
};

TEST_F(BexaCtrlTest, LifeOfThePanel) {
  const uint32_t locks = ModuleLockCount();
  {
    ComRef<IControlWindow> control = NewControl();
    EXPECT_EQ(ModuleLockCount(), locks + 1);
    EXPECT_EQ(log_.calls, std::vector<std::string>{"construct"});  // not yet a window
    EXPECT_EQ(log_.session, &TheApp().session());

    int32_t result = 7;
    ASSERT_EQ(control->CreateControlWindow(42, {0, 0, 640, 480}, &result), S_OK);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(log_.parent, 42u);

    log_.calls.clear();
    ASSERT_EQ(control->Draw({10, 20, 300, 200}, {0, 0, 5, 5}), S_OK);
    EXPECT_EQ(log_.calls, (std::vector<std::string>{"move", "show", "invalidate"}));
    EXPECT_EQ(log_.bounds, (ComRect{10, 20, 300, 200}));
    EXPECT_EQ(log_.invalid, (ComRect{0, 0, 5, 5}));
    log_.calls.clear();
  }
  EXPECT_EQ(log_.calls, (std::vector<std::string>{"destroy", "delete"}));
  EXPECT_EQ(ModuleLockCount(), locks);
}

TEST_F(BexaCtrlTest, WithoutAWindowToLiveInCreationReportsMinusOneAndNoPanelWindow) {
  ComRef<IControlWindow> control = NewControl();
  int32_t result = 0;
  ASSERT_EQ(control->CreateControlWindow(0, {0, 0, 10, 10}, &result), S_OK);
  EXPECT_EQ(result, -1);
  EXPECT_EQ(log_.calls, std::vector<std::string>{"construct"});
  EXPECT_EQ(control->Draw({0, 0, 10, 10}, {0, 0, 10, 10}), E_UNEXPECTED);
  EXPECT_EQ(control->CreateControlWindow(5, {}, nullptr), E_POINTER);
}

TEST_F(BexaCtrlTest, InterfacesAndTheOnePropertyPage) {
  ComRef<IControlWindow> control = NewControl();
  auto pages = control.As<ISpecifyPropertyPages>(IID_ISpecifyPropertyPages);
  ASSERT_TRUE(pages);
  std::vector<Clsid> ids;
  ASSERT_EQ(pages->GetPages(&ids), S_OK);
  EXPECT_EQ(ids, std::vector<Clsid>{CLSID_BexaPropPage});

  auto dispatch = control.As<IDispatch>(IID__DBexa);
  ASSERT_TRUE(dispatch);
  DispId id = 0;
  EXPECT_EQ(dispatch->GetIDsOfNames(u"ChkVals", &id), DISP_E_UNKNOWNNAME);  // no members

  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(control->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
}

TEST(PlaceholderPanel, IsTheDefaultWithoutAWindowSystem) {
  CBexaCtrl* control = new CBexaCtrl();
  control->AddRef();
  auto* placeholder = dynamic_cast<PlaceholderPanel*>(control->panel());
  ASSERT_NE(placeholder, nullptr);
  EXPECT_NE(placeholder->Text().find(u"not available"), std::u16string::npos);
  int32_t result = -1;
  control->CreateControlWindow(9, {0, 0, 100, 50}, &result);
  control->Draw({0, 0, 100, 50}, {0, 0, 100, 50});
  EXPECT_EQ(placeholder->Parent(), 9u);
  EXPECT_TRUE(placeholder->Visible());
  EXPECT_EQ(placeholder->Bounds(), (ComRect{0, 0, 100, 50}));
  control->Release();
}

TEST(SessionObject, StartsWithTheDefaults) {
  Session& session = TheApp().session();
  EXPECT_EQ(session.parameters().port, 308);
  EXPECT_EQ(session.parameters().firewall_port, 1080);
  EXPECT_EQ(session.texts().LanguageOffset(), 0);
}

}  // namespace
}  // namespace bexa
