// The window system's own rules: modal loops, radio groups, input to
// disabled controls and to windows below a modal one, timers, message boxes
// and the console backend.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/ui/console_backend.h"
#include "platform/ui/dialog.h"
#include "platform/ui/scripted_backend.h"

namespace bexa::platform::ui {
namespace {

DialogTemplate Sample() {
  DialogTemplate t;
  t.resource_id = 77;
  t.caption = u"Sample";
  t.width = 100;
  t.height = 60;
  t.controls = {
      {10, ControlKind::kRadio, 0, 0, 50, 10, kStyleGroup, u"A"},
      {11, ControlKind::kRadio, 0, 10, 50, 10, 0, u"B"},
      {12, ControlKind::kCheckBox, 0, 20, 50, 10, 0, u"C"},
      {13, ControlKind::kEdit, 0, 30, 50, 10},
      {14, ControlKind::kButton, 0, 40, 50, 10, 0, u"Other"},
      {kIdOk, ControlKind::kDefaultButton, 50, 40, 20, 10, 0, u"OK"},
      {kIdCancel, ControlKind::kButton, 70, 40, 20, 10, 0, u"Cancel"},
  };
  return t;
}

class Recorder : public Dialog {
 public:
  explicit Recorder(WindowSystem& ui) : Dialog(ui, Sample()) {}
  int others = 0;

 protected:
  void OnInitDialog() override { Enable(14, false); }
  bool OnCommand(int control) override { return control == 14 && ++others; }
};

TEST(WindowSystemTest, RadioGroupCheckBoxAndDisabledControls) {
  WindowSystem ui;
  ScriptedBackend script(ui);
  Recorder dialog(ui);
  script.Then([](ScriptedBackend& s, const Window& w) {
    s.Click(w.id, 10);
    s.Click(w.id, 11);
    s.Click(w.id, 12);
    s.Click(w.id, 14);  // disabled: never reaches the dialog
  });
  script.Then([&](ScriptedBackend& s, const Window& w) {
    EXPECT_FALSE(s.IsChecked(w.id, 10));
    EXPECT_TRUE(s.IsChecked(w.id, 11));
    EXPECT_TRUE(s.IsChecked(w.id, 12));
    EXPECT_EQ(dialog.others, 0);
    s.PressEnter(w.id);
  });
  EXPECT_EQ(dialog.DoModal(), kIdOk);
  EXPECT_TRUE(ui.Windows().empty());  // a modal window is destroyed after its loop
}

TEST(WindowSystemTest, WindowsBelowAModalOneTakeNoInput) {
  WindowSystem ui;
  ScriptedBackend script(ui);
  Recorder below(ui);
  below.Create();
  ui.Enable(below.window_id(), 14, true);
  Recorder modal(ui);
  script.Then([&](ScriptedBackend& s, const Window& w) {
    s.Click(below.window_id(), 14);
    s.Click(w.id, kIdCancel);
  });
  EXPECT_EQ(modal.DoModal(), kIdCancel);
  EXPECT_EQ(below.others, 0);
  script.Click(below.window_id(), 14);  // no modal loop now
  ui.PumpPendingMessages();
  EXPECT_EQ(below.others, 1);
}

TEST(WindowSystemTest, MessageBoxResultsAndClosingRules) {
  WindowSystem ui;
  ScriptedBackend script(ui);
  script.ThenAnswer(kIdNo);
  EXPECT_EQ(ui.MessageBox(u"Sure?", u"Bexa", kMbYesNo | kMbIconQuestion), kIdNo);
  // Escape on a Yes/No box does nothing; on OK/Cancel it cancels.
  script.Then([](ScriptedBackend& s, const Window& w) { s.PressEscape(w.id); }).ThenAnswer(kIdYes);
  EXPECT_EQ(ui.MessageBox(u"Sure?", u"Bexa", kMbYesNo), kIdYes);
  script.Then([](ScriptedBackend& s, const Window& w) { s.PressEscape(w.id); });
  EXPECT_EQ(ui.MessageBox(u"Go on?", u"Bexa", kMbOkCancel), kIdCancel);
  ASSERT_EQ(script.message_boxes().size(), 3u);
  EXPECT_EQ(script.message_boxes()[0].icon, u"question");
}

TEST(WindowSystemTest, AModalLoopWithoutAnAnswerThrowsInTests) {
  WindowSystem ui;
  ScriptedBackend script(ui);
  EXPECT_THROW(ui.MessageBox(u"x", u"y", kMbOk), std::logic_error);
  EXPECT_TRUE(ui.Windows().empty());
}

TEST(WindowSystemTest, TimersFireByTheClockAfterQueuedMessages) {
  WindowSystem ui;
  uint64_t now = 0;
  ui.SetClock([&] { return now; });
  struct Counter : WindowHandler {
    std::vector<std::string> seen;
    bool OnEvent(const UiEvent& e) override {
      seen.push_back(e.kind == EventKind::kTimer ? "timer" : "other");
      return true;
    }
  } counter;
  int w = ui.CreateFromTemplate(Sample(), WindowKind::kDialog, &counter);
  ui.SetTimer(w, 5, 100);
  now = 99;
  ui.PumpPendingMessages();
  EXPECT_TRUE(counter.seen.empty());
  now = 100;
  UiEvent close;
  close.kind = EventKind::kClose;
  close.window = w;
  ui.Post(close);
  ui.PumpPendingMessages();
  EXPECT_EQ(counter.seen, (std::vector<std::string>{"other", "timer"}));
  ui.KillTimer(w, 5);
  now = 1000;
  ui.PumpPendingMessages();
  EXPECT_EQ(counter.seen.size(), 2u);
}

TEST(ConsoleBackendTest, AnswersADialogByNumbersAndValues) {
  WindowSystem ui;
  std::istringstream in("2\n4\nZ:\\out\n5\n");  // radio B, the edit, its value, OK
  std::ostringstream out;
  ConsoleBackend console(ui, in, out);
  struct Reader : Recorder {
    using Recorder::Recorder;
    std::u16string text;
    bool b = false;
    void OnOK() override {
      text = Text(13);
      b = IsChecked(11);
      EndDialog(kIdOk);
    }
  } dialog(ui);
  EXPECT_EQ(dialog.DoModal(), kIdOk);
  EXPECT_EQ(dialog.text, u"Z:\\out");
  EXPECT_TRUE(dialog.b);
  EXPECT_NE(out.str().find("== Sample =="), std::string::npos);
}

TEST(ConsoleBackendTest, EndOfInputCancelsAndAnswersNo) {
  WindowSystem ui;
  std::istringstream in("");
  std::ostringstream out;
  ConsoleBackend console(ui, in, out);
  Recorder dialog(ui);
  EXPECT_EQ(dialog.DoModal(), kIdCancel);
  EXPECT_EQ(ui.MessageBox(u"Replace?", u"Bexa", kMbYesNo), kIdNo);
}

}  // namespace
}  // namespace bexa::platform::ui
