// The main panel against a real bexa-server on loopback, driven through the
// scripted window backend as a user would: logon, tree, fetch, list,
// ticks, versions and a restore.
#include "control/main_panel.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "control/restore_destination_dialog.h"
#include "platform/system.h"
#include "platform/ui/scripted_backend.h"
#include "tests/support/temp_home.h"
#include "tests/support/test_server.h"
#include "util/text.h"

namespace bexa {
namespace {

namespace ui = platform::ui;
using testing::TempHome;
using testing::TestServer;
using testing::TestStore;

std::u16string Texts(int id) {
  std::u16string buffer(kKvolBufferSize, u'\0');
  KVOL_get(id, buffer.data());
  return std::u16string(buffer.c_str());
}

class FixedSettings : public ManualSettingsPrompt {
 public:
  explicit FixedSettings(std::u16string password) : password_(std::move(password)) {}
  std::optional<ManualSettings> Ask(int32_t) override {
    ++asked;
    return ManualSettings{u"ann", password_, u"127.0.0.1"};
  }
  int asked = 0;

 private:
  std::u16string password_;
};

class PanelServer : public ::testing::Test {
 protected:
  void SetUp() override {
    store.AddAccount("ann", "pw");
    store.Save();
    volume = "\\\\" + WideToUtf8(platform::ComputerName()) + "\\C";
    store.AddFile("Docs\\report.txt", "first version");
    store.AddFile("Docs\\sub\\deep.txt", "deep");
    store.Import("ann", volume, "WORKGRP", {.compress = true, .date = "20240102030405"});
    store.AddFile("Docs\\report.txt", "second, newer version");
    store.Import("ann", volume, "WORKGRP", {.compress = true, .date = "20240203040506"});
    std::filesystem::remove_all(store.HostFolder());
    store.AddFile("share.txt", "on another computer");
    store.Import("ann", "\\\\PC2\\D", "OTHER", {});
  }

  // A panel with the session's port pointing at the server.
  std::unique_ptr<MainPanel> NewPanel(TestServer& server, FixedSettings& settings) {
    session.parameters().port = server.port();
    session.SetConnectionOptions({.allow_log = false});
    MainPanelHooks hooks;
    hooks.settings_prompt = &settings;
    auto panel = std::make_unique<MainPanel>(windows, session, Texts, hooks);
    panel->Create();
    return panel;
  }

  int Count(TestServer& server, const std::string& text) {
    int n = 0;
    for (const std::string& line : server.LogLines()) n += line.find(text) != std::string::npos;
    return n;
  }

  TempHome home;
  TestStore store;
  std::string volume;
  ui::WindowSystem windows;
  ui::ScriptedBackend script{windows};
  Session session;
};

TEST_F(PanelServer, BrowsesFetchesSelectsAndRestores) {
  TestServer server(store.dir());
  FixedSettings settings(u"pw");
  auto panel = NewPanel(server, settings);
  const int w = panel->window_id();
  panel->Show(true);
  EXPECT_EQ(script.Text(w, kPanelStatusLine), u"Connection successful");
  EXPECT_EQ(script.Text(w, kPanelSelectedFiles), u" Restore Files selected: 0");

  BrowseModel& model = panel->model();
  const std::u16string volume_key = Utf8ToWide(volume);
  const NodeId c = model.FindChild(model.computer(), volume_key);
  ASSERT_NE(c, kNoNode);
  const NodeId pc2 = model.FindChild(model.network(), u"\\\\PC2");
  ASSERT_NE(pc2, kNoNode);
  EXPECT_EQ(model.node(model.node(pc2).children[0]).item.display_name, u"D");

  // Selecting the volume fetches its list after the question, asked once.
  script.ThenAnswer(ui::kIdYes);
  script.SelectTreeItem(w, kPanelTree, panel->HandleOf(c));
  windows.PumpPendingMessages();
  ASSERT_EQ(script.message_boxes().size(), 1u);
  EXPECT_EQ(script.message_boxes()[0].text, Texts(1158));
  ASSERT_EQ(model.rows().size(), 1u);  // Docs
  EXPECT_EQ(model.CellText(0, 0), u"Docs");

  const NodeId docs = model.FindChild(c, u"Docs");
  ASSERT_NE(docs, kNoNode);
  script.SelectTreeItem(w, kPanelTree, panel->HandleOf(docs));
  windows.PumpPendingMessages();
  ASSERT_EQ(model.rows().size(), 2u);  // sub, report.txt
  EXPECT_EQ(model.CellText(1, 0), u"report.txt");
  EXPECT_EQ(model.rows()[1].item.size, 21);  // the newest version

  // The tree's check box of Docs: both files.
  script.ClickTreeItem(w, kPanelTree, panel->HandleOf(docs), true);
  windows.PumpPendingMessages();
  EXPECT_EQ(script.Text(w, kPanelSelectedFiles), u" Restore Files selected: 2");
  EXPECT_EQ(script.Text(w, kPanelSelectedKilobytes), u"1 Kilobytes selected ");

  // The label only selects; the set stays.
  script.ClickTreeItem(w, kPanelTree, panel->HandleOf(docs), false);
  windows.PumpPendingMessages();
  EXPECT_EQ(panel->selection().Count(), 2);

  // A right click offers both versions; the older one replaces the newer.
  script.RightClickListRow(w, kPanelList, 1);
  windows.PumpPendingMessages();
  EXPECT_TRUE(script.IsVisible(w, kPanelVersionBox));
  EXPECT_EQ(script.Text(w, kPanelVersionHint), Texts(1135));
  ASSERT_EQ(script.Control(w, kPanelVersionBox)->items.size(), 2u);
  script.ChooseComboLine(w, kPanelVersionBox, 1);
  windows.PumpPendingMessages();
  EXPECT_EQ(panel->selection().Count(), 2);
  EXPECT_TRUE(panel->selection().ContainsKey(u"" + volume_key +
                                             u"\\Docs\\report.txt:20240102030405"));

  // A list check box hides the version box and shows hint 1138.
  script.ClickListRow(w, kPanelList, 0, true);  // sub: deselected
  windows.PumpPendingMessages();
  EXPECT_FALSE(script.IsVisible(w, kPanelVersionBox));
  EXPECT_EQ(script.Text(w, kPanelVersionHint), Texts(1138));
  EXPECT_EQ(panel->selection().Count(), 1);

  // A second show does not log on again.
  const int logons = Count(server, "recv USRR");
  panel->Show(true);
  EXPECT_EQ(Count(server, "recv USRR"), logons);

  // Restore Now to the original locations: drive C: of this home.
  script.Then([](ui::ScriptedBackend& s, const ui::Window& modal) {
    ASSERT_EQ(modal.resource_id, kRestoreDestinationDialogId);
    s.Click(modal.id, ui::kIdOk);
  });
  script.Click(w, kPanelRestoreNow);
  windows.PumpPendingMessages();
  std::ifstream restored(home.dir() + "/drive_c/Docs/report.txt", std::ios::binary);
  std::stringstream content;
  content << restored.rdbuf();
  EXPECT_EQ(content.str(), "first version");
  EXPECT_NE(script.FindByResource(527), nullptr);  // the Backup Status window
}

TEST_F(PanelServer, FailedLogonIsTriedAgainAtTheNextShow) {
  TestServer server(store.dir());
  FixedSettings settings(u"wrong");
  ui::ScriptedMessageBoxes boxes;
  ui::ScopedMessageBoxes scoped(boxes);
  auto panel = NewPanel(server, settings);
  panel->Show(true);
  EXPECT_EQ(script.Text(panel->window_id(), kPanelStatusLine), Texts(1125));
  EXPECT_FALSE(panel->logon_started());
  const int logons = Count(server, "recv USRR");
  panel->Show(true);
  EXPECT_GT(Count(server, "recv USRR"), logons);
  EXPECT_TRUE(panel->model().NeedsBuild(kCatalogueFolder));  // no tree
}

}  // namespace
}  // namespace bexa
