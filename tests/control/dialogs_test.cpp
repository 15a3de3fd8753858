// The dialogs' logic, answered by the scripted backend as a user would.
#include <gtest/gtest.h>

#include "control/confirm_replace_dialog.h"
#include "control/manual_settings_dialog.h"
#include "control/progress_dialog.h"
#include "control/restore_destination_dialog.h"
#include "control/secret_key_dialog.h"
#include "control/status_box.h"
#include "platform/ui/scripted_backend.h"
#include "util/text.h"

namespace bexa {
namespace {

namespace ui = platform::ui;
using ui::ScriptedBackend;
using ui::Window;

// Fixed texts: "T<id>", with a few placeholders where the dialogs format.
std::u16string FixedText(int32_t id) {
  switch (id % 1000) {
    case 168: return u"Hint: %s";
    case 163: return u"%s tasks remaining.";
    case 161: return u"%s Status";
    case 188: return u"This folder already contains a file called '%s'";
    default: return u"T" + ToText(id);
  }
}

class DialogsTest : public ::testing::Test {
 protected:
  ui::WindowSystem ui_;
  ScriptedBackend script_{ui_};
  TextLookup texts_ = FixedText;
};

TEST_F(DialogsTest, ManualSettingsReturnsTypedValuesOnOkWithLocalisedTexts) {
  ManualSettingsDialog dialog(ui_, texts_);
  script_.Then([](ScriptedBackend& s, const Window& w) {
    EXPECT_EQ(w.resource_id, 211);
    EXPECT_EQ(w.caption, u"T2027");  // id plus the offset 1000
    EXPECT_EQ(s.Text(w.id, 1097), u"T2032");
    EXPECT_EQ(s.Text(w.id, 1100), u"T2029");
    EXPECT_TRUE(s.Text(w.id, 1028).empty());
    EXPECT_TRUE(s.Control(w.id, 1029)->style & ui::kStylePassword);
    s.Type(w.id, 1028, u"alice");
    s.Type(w.id, 1029, u"s3cret");
    s.PressEnter(w.id);
  });
  std::optional<ManualSettings> values = dialog.Ask(1000);
  ASSERT_TRUE(values);
  EXPECT_EQ(values->user, u"alice");
  EXPECT_EQ(values->password, u"s3cret");
  EXPECT_EQ(values->server, u"");  // empty fields are accepted
}

TEST_F(DialogsTest, ManualSettingsCancelAndEscapeGiveNothing) {
  ManualSettingsDialog dialog(ui_, texts_);
  script_.ThenClick(ui::kIdCancel);
  EXPECT_FALSE(dialog.Ask(0));
  script_.Then([](ScriptedBackend& s, const Window& w) { s.PressEscape(w.id); });
  EXPECT_FALSE(dialog.Ask(0));
}

TEST_F(DialogsTest, ManualSettingsDrivesTheGatheringWhenNoOtherSourceHasValues) {
  // BEXA_HOME points at an empty folder: no cookie, no handoff file.
  char folder[] = "/tmp/bexa-dialogs-XXXXXX";
  ASSERT_TRUE(mkdtemp(folder));
  setenv("BEXA_HOME", folder, 1);
  ManualSettingsDialog dialog(ui_, texts_);
  script_.Then([](ScriptedBackend& s, const Window& w) {
    s.Type(w.id, 1028, u"bob");
    s.Type(w.id, 1030, u"backup.example");
    s.Click(w.id, ui::kIdOk);
  });
  SessionParameters params;
  EXPECT_EQ(GatherSessionParameters(params, dialog), GatherResult::kGoOn);
  EXPECT_EQ(params.user, u"bob");
  EXPECT_EQ(params.server, u"backup.example");
  EXPECT_EQ(params.port, 308);
  unsetenv("BEXA_HOME");
}

TEST_F(DialogsTest, SecretKeyShowsTheHintAndReturnsTheKey) {
  script_.Then([](ScriptedBackend& s, const Window& w) {
    EXPECT_EQ(w.caption, u"T1017");
    EXPECT_EQ(s.Text(w.id, 1026), u"Hint: my cat");
    s.Type(w.id, 1024, u"k3y");
    s.Click(w.id, ui::kIdOk);
  });
  EXPECT_EQ(AskSecretKey(ui_, texts_, 0, u"my cat"), std::optional<std::u16string>(u"k3y"));
  script_.ThenClick(ui::kIdCancel);
  EXPECT_FALSE(AskSecretKey(ui_, texts_, 0, u"my cat"));
}

// --- Restore destination ---------------------------------------------------

TEST_F(DialogsTest, DestinationOriginalModeClosesWithEmptyFields) {
  RestoreDestinationRequest request;
  script_.Then([](ScriptedBackend& s, const Window& w) {
    EXPECT_EQ(w.shown_height, w.height * 67 / 100);  // no work folder needed
    EXPECT_TRUE(s.IsChecked(w.id, 1072));
    EXPECT_FALSE(s.IsEnabled(w.id, 1071));
    EXPECT_FALSE(s.IsEnabled(w.id, 1075));
    EXPECT_FALSE(s.IsEnabled(w.id, 1073));
    EXPECT_TRUE(s.IsChecked(w.id, 1073));  // rebuild defaults on
    s.Click(w.id, ui::kIdOk);
  });
  RestoreDestination result;
  result.rebuild = false;
  ASSERT_TRUE(AskRestoreDestination(ui_, texts_, request, nullptr, result));
  EXPECT_EQ(result.mode, 0);
  EXPECT_TRUE(result.rebuild);
  EXPECT_TRUE(script_.message_boxes().empty());
}

TEST_F(DialogsTest, DestinationTemporaryModeNeedsAFolderAndBrowseFillsIt) {
  RestoreDestinationRequest request;
  request.display_name = u"Bexa";
  std::vector<std::u16string> titles;
  ui::FolderPicker picker = [&](const std::u16string& title, int) -> std::optional<std::u16string> {
    titles.push_back(title);
    if (titles.size() == 1) return std::nullopt;  // Cancel keeps the field
    return u"Z:\\home\\u\\out";
  };
  script_
      .Then([](ScriptedBackend& s, const Window& w) {
        s.Click(w.id, 1077);
        s.Click(w.id, ui::kIdOk);  // still empty: message, stays open
      })
      .ThenAnswer(ui::kIdOk)
      .Then([](ScriptedBackend& s, const Window& w) {
        EXPECT_EQ(w.resource_id, 525);
        EXPECT_TRUE(s.IsEnabled(w.id, 1071));
        s.Click(w.id, 1075);  // picker cancelled
        s.Click(w.id, 1075);  // picker chooses
      })
      .Then([](ScriptedBackend& s, const Window& w) {
        EXPECT_EQ(s.Text(w.id, 1071), u"Z:\\home\\u\\out");
        s.Click(w.id, 1073);  // rebuild off
        s.Click(w.id, ui::kIdOk);
      });
  RestoreDestination result;
  ASSERT_TRUE(AskRestoreDestination(ui_, texts_, request, picker, result));
  ASSERT_EQ(script_.message_boxes().size(), 1u);
  EXPECT_EQ(script_.message_boxes()[0].text, u"T1165");
  EXPECT_EQ(script_.message_boxes()[0].caption, u"Bexa");
  EXPECT_EQ(script_.message_boxes()[0].icon, u"information");
  EXPECT_EQ(titles, (std::vector<std::u16string>{u"T1167", u"T1167"}));
  EXPECT_EQ(result.mode, 1);
  EXPECT_EQ(result.restore_folder, u"Z:\\home\\u\\out");
  EXPECT_FALSE(result.rebuild);
}

TEST_F(DialogsTest, DestinationNeededWorkFolderIsAskedForAndShown) {
  RestoreDestinationRequest request;
  request.work_folder_needed = true;
  ui::FolderPicker picker = [](const std::u16string& title, int) -> std::optional<std::u16string> {
    EXPECT_EQ(title, u"T1047");
    return u"C:\\Work";
  };
  script_
      .Then([](ScriptedBackend& s, const Window& w) {
        EXPECT_EQ(w.shown_height, w.height);
        s.Click(w.id, ui::kIdOk);
      })
      .ThenAnswer(ui::kIdOk)
      .Then([](ScriptedBackend& s, const Window& w) { s.Click(w.id, 1076); })
      .ThenClick(ui::kIdOk);
  RestoreDestination result;
  ASSERT_TRUE(AskRestoreDestination(ui_, texts_, request, picker, result));
  EXPECT_EQ(script_.message_boxes().at(0).text, u"T1166");
  EXPECT_EQ(result.work_folder, u"C:\\Work");
}

TEST_F(DialogsTest, DestinationCancelLeavesTheResult) {
  RestoreDestinationRequest request;
  RestoreDestination result;
  result.restore_folder = u"keep";
  script_.ThenClick(ui::kIdCancel);
  EXPECT_FALSE(AskRestoreDestination(ui_, texts_, request, nullptr, result));
  EXPECT_EQ(result.restore_folder, u"keep");
}

// --- Confirm File Replace --------------------------------------------------

TEST(ReplaceSizeTextTest, Cases) {
  struct Case {
    int64_t bytes;
    const char16_t* text;
  } cases[] = {
      {0, u"0KB (0 bytes)"},
      {1, u"1KB (1 bytes)"},
      {1023, u"1KB (1,023 bytes)"},
      {1500, u"1KB (1,500 bytes)"},
      {1024 * 1024 * 3 + 5, u"3,072KB (3,145,733 bytes)"},
  };
  for (const Case& c : cases) EXPECT_EQ(ReplaceSizeText(c.bytes, u","), c.text) << c.bytes;
}

TEST_F(DialogsTest, ReplaceEachAnswerButtonGivesItsResult) {
  const std::pair<int, int> answers[] = {{1064, 0}, {1065, 1}, {1066, 2}, {1067, 3}, {1068, 4}, {1069, 5}};
  for (auto [button, result] : answers) {
    ReplaceQuestion q;
    q.existing_path = u"C:\\Docs\\report.doc";
    q.details = 1;  // the bottom row is in view
    script_.ThenClick(button);
    ReplaceAnswer a = AskReplace(ui_, texts_, q);
    EXPECT_TRUE(a.ok) << button;
    EXPECT_EQ(a.result, result) << button;
  }
}

TEST_F(DialogsTest, ReplaceShowsFolderNameSizesAndTogglesDetails) {
  ReplaceQuestion q;
  q.existing_path = u"C:\\Docs\\report.doc";
  q.existing_size = 1500;
  q.existing_modified = DateTime::FromParts(2024, 3, 5, 14, 7, 9);
  q.backup_size = 0;
  q.backup_date = DateTime::FromParts(2024, 1, 2, 9, 0, 0);
  q.icon = u".doc";
  script_.Then([](ScriptedBackend& s, const Window& w) {
    EXPECT_EQ(s.Text(w.id, 1060), u"T1050C:\\Docs");
    EXPECT_EQ(s.Text(w.id, 1063), u"T1187'report.doc'");
    EXPECT_EQ(s.Text(w.id, 1059), u"1KB (1,500 bytes)");
    EXPECT_EQ(s.Text(w.id, 1062), u"0KB (0 bytes)");
    EXPECT_EQ(s.Text(w.id, 1058), u"modified on Tuesday, March 5, 2024 2:07 PM");
    EXPECT_EQ(s.Control(w.id, 1057)->icon, u".doc");
    EXPECT_EQ(s.Control(w.id, 1056)->icon, u".doc");
    EXPECT_EQ(w.shown_height, w.height * 87 / 100);
    EXPECT_EQ(s.Text(w.id, 1070), u"More >>");
    s.Click(w.id, 1070);
  });
  script_.Then([](ScriptedBackend& s, const Window& w) {
    EXPECT_EQ(w.shown_height, w.height);
    EXPECT_EQ(s.Text(w.id, 1070), u"Hide");
    s.PressEscape(w.id);
  });
  ReplaceAnswer a = AskReplace(ui_, texts_, q);
  EXPECT_FALSE(a.ok);
  EXPECT_EQ(a.result, kReplaceNo);  // closing answers No
  EXPECT_EQ(a.details, 1);
}

TEST_F(DialogsTest, ReplaceOfAPathWithoutBackslashUsesOneLine) {
  ReplaceQuestion q;
  q.existing_path = u"report.doc";
  script_.Then([](ScriptedBackend& s, const Window& w) {
    EXPECT_EQ(s.Text(w.id, 1060), u"This folder already contains a file called 'report.doc'");
    EXPECT_EQ(s.Text(w.id, 1063), u"");
    s.Click(w.id, 1066);
  });
  EXPECT_EQ(AskReplace(ui_, texts_, q).result, kReplaceYes);
}

// --- Progress dialog ----------------------------------------------------------

TEST_F(DialogsTest, ProgressPhasesStepsTasksAndAnimations) {
  ProgressDialog progress(ui_, texts_, 0, u"Bexa");
  progress.Create();
  int w = progress.window_id();
  ASSERT_NE(w, 0);
  EXPECT_EQ(ui_.Find(w)->caption, u"Bexa");
  EXPECT_FALSE(ui_.Find(w)->modal);
  progress.SetOperationKind(kOperationVolume);
  EXPECT_EQ(script_.Control(w, 1078)->animation, 147);
  progress.SetOperationKind(kOperationReceivingFiles);
  EXPECT_EQ(script_.Control(w, 1078)->animation, 148);
  progress.SetOperationKind(7);
  EXPECT_EQ(script_.Control(w, 1078)->animation, 142);
  EXPECT_TRUE(script_.Control(w, 1078)->animation_playing);
  progress.StopAnimation();
  EXPECT_FALSE(script_.Control(w, 1078)->animation_playing);

  progress.Step(u"old step");
  progress.StartPhase(u"Receiving", 10);
  EXPECT_EQ(script_.Text(w, 1060), u"Receiving");
  EXPECT_EQ(script_.Text(w, 1079), u"");
  EXPECT_EQ(script_.Control(w, 1080)->range_high, 10);
  progress.Step(u"a.txt");
  progress.Step(u"b.txt");
  EXPECT_EQ(script_.Text(w, 1079), u"b.txt");
  EXPECT_EQ(script_.Control(w, 1080)->position, 2);
  progress.SetTaskCount(12345);
  EXPECT_EQ(script_.Text(w, 1082), u"12,345 tasks remaining.");
  progress.TaskDone();
  EXPECT_EQ(script_.Text(w, 1082), u"12,344 tasks remaining.");
  progress.SetLowerPosition(40);
  EXPECT_EQ(script_.Control(w, 1083)->position, 40);
  progress.Destroy();
  EXPECT_EQ(ui_.Find(w), nullptr);
}

TEST_F(DialogsTest, ProgressCancelAsksAndOnlyYesSetsTheFlag) {
  ProgressDialog progress(ui_, texts_, 0, u"Bexa");
  progress.Create();
  int w = progress.window_id();
  // No keeps it running.
  script_.ThenAnswer(ui::kIdNo);
  script_.Click(w, ui::kIdCancel);
  ui_.PumpPendingMessages();
  EXPECT_FALSE(progress.cancelled());
  EXPECT_TRUE(progress.IsOpen());
  ASSERT_EQ(script_.message_boxes().size(), 1u);
  EXPECT_EQ(script_.message_boxes()[0].text, u"T1164");
  EXPECT_EQ(script_.message_boxes()[0].icon, u"question");
  // Yes sets the flag and closes it.
  script_.ThenAnswer(ui::kIdYes);
  script_.Click(w, ui::kIdCancel);
  ui_.PumpPendingMessages();
  EXPECT_TRUE(progress.cancelled());
  EXPECT_FALSE(progress.IsOpen());
}

// --- Status box ---------------------------------------------------------------

TEST_F(DialogsTest, StatusBoxShowsIconTextsAndTogglesDetails) {
  StatusBoxRequest r;
  r.message = u"Restore completed.";
  r.icon = StatusIcon::kWarning;
  r.ok_text = u"Close";
  r.hide_cancel = true;
  r.details = u"line 1\r\nline 2";
  r.display_name = u"Bexa";
  StatusBox box(ui_, texts_, r);
  script_.Then([](ScriptedBackend& s, const Window& w) {
    EXPECT_EQ(w.caption, u"Bexa Status");
    EXPECT_EQ(s.Control(w.id, 1092)->icon, u"warning");
    EXPECT_EQ(s.Text(w.id, 1093), u"Restore completed.");
    EXPECT_EQ(s.Text(w.id, ui::kIdOk), u"Close");
    EXPECT_FALSE(s.IsVisible(w.id, ui::kIdCancel));
    EXPECT_TRUE(s.IsVisible(w.id, 1070));
    EXPECT_EQ(s.Text(w.id, 1070), u"T1056");
    EXPECT_EQ(w.shown_height, w.height * 33 / 100);
    EXPECT_EQ(s.Text(w.id, 1094), u"line 1\r\nline 2");
    s.Click(w.id, 1070);
  });
  script_.Then([](ScriptedBackend& s, const Window& w) {
    EXPECT_EQ(w.shown_height, w.height);
    EXPECT_EQ(s.Text(w.id, 1070), u"T1026");
    s.Click(w.id, ui::kIdOk);
  });
  EXPECT_EQ(box.DoModal(), ui::kIdOk);
  EXPECT_EQ(script_.beeps(), std::vector<unsigned>{ui::kMbIconExclamation});
}

TEST_F(DialogsTest, StatusBoxWithoutDetailsHasNoDetailsButton) {
  StatusBoxRequest r;
  r.message = u"Failed";
  StatusBox box(ui_, texts_, r);
  script_.Then([](ScriptedBackend& s, const Window& w) {
    EXPECT_FALSE(s.IsVisible(w.id, 1070));
    EXPECT_EQ(s.Control(w.id, 1092)->icon, u"error");
    s.PressEscape(w.id);
  });
  EXPECT_EQ(box.DoModal(), ui::kIdCancel);
}

TEST_F(DialogsTest, StatusBoxFlashesOnceASecondUntilClosed) {
  uint64_t now = 1000;
  ui_.SetClock([&] { return now; });
  StatusBoxRequest r;
  r.message = u"Some files were not restored.";
  r.flash = std::make_pair(true, 43200u);
  StatusBox box(ui_, texts_, r);
  box.Create();
  int w = box.window_id();
  EXPECT_TRUE(ui_.HasTimer(w, kStatusFlashTimer));
  std::vector<bool> states;
  for (int second = 0; second < 5; ++second) {
    now += 1000;
    ui_.PumpPendingMessages();
    states.push_back(ui_.Find(w)->flashed);
  }
  EXPECT_EQ(states, (std::vector<bool>{true, false, true, false, true}));
  script_.Click(w, ui::kIdOk);
  ui_.PumpPendingMessages();
  EXPECT_FALSE(box.IsOpen());  // a modeless box destroys itself
  EXPECT_EQ(box.result(), ui::kIdOk);
  EXPECT_FALSE(ui_.HasTimer(w, kStatusFlashTimer));
}

TEST_F(DialogsTest, StatusBoxFlashPairRules) {
  struct Case {
    std::optional<std::pair<bool, uint32_t>> pair;
    bool timer;
  } cases[] = {
      {std::nullopt, false},
      {std::make_pair(true, 0u), false},
      {std::make_pair(false, 43200u), false},
      {std::make_pair(true, 5u), true},
  };
  for (const Case& c : cases) {
    StatusBoxRequest r;
    r.flash = c.pair;
    StatusBox box(ui_, texts_, r);
    box.Create();
    EXPECT_EQ(ui_.HasTimer(box.window_id(), kStatusFlashTimer), c.timer);
    ui_.DestroyWindow(box.window_id());
  }
}

}  // namespace
}  // namespace bexa
