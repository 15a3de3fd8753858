#include "web/window_json.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/codepage.h"
#include "platform/ui/window_system.h"

namespace bexa::web {
namespace {

namespace ui = platform::ui;
using nlohmann::json;

TEST(WindowJsonTest, ListSendsOnlyTheRowsInViewThroughTheDisplayCallback) {
  ui::WindowSystem system;
  ui::DialogTemplate t;
  t.width = 100;
  t.height = 100;
  t.controls = {{30, ui::ControlKind::kListView, 0, 0, 100, 100}};
  int w = system.CreateFromTemplate(t, ui::WindowKind::kPanel, nullptr);
  system.SetColumns(w, 30, {{u"Name", 17, false}, {u"Size", 8, true}});
  int calls = 0;
  system.SetListDisplay(w, 30, [&](int, int column, uint64_t data) {
    ++calls;
    ui::ListCell cell;
    cell.text = column == 0 ? u"file" + platform::Utf8ToWide(std::to_string(data)) : u"1KB";
    cell.state_image = 2;
    return cell;
  });
  for (int i = 0; i < 20000; ++i) system.AddRow(w, 30, i);
  ui::UiEvent scroll;
  scroll.kind = ui::EventKind::kListViewport;
  scroll.window = w;
  scroll.control = 30;
  scroll.row = 15000;
  scroll.value = 30;
  system.Post(scroll);
  system.PumpPendingMessages();

  json message = json::parse(WindowMessage(*system.Find(w)));
  const json& list = message["window"]["controls"][0]["list"];
  EXPECT_EQ(list["count"], 20000);
  ASSERT_EQ(list["rows"].size(), 30u);
  EXPECT_EQ(list["rows"][0]["i"], 15000);
  EXPECT_EQ(list["rows"][0]["cells"][0], "file15000");
  EXPECT_EQ(list["rows"][0]["state"], 2);
  EXPECT_EQ(calls, 60);
}

TEST(WindowJsonTest, TreeSendsTheItemsOfOpenBranchesOnly) {
  ui::WindowSystem system;
  ui::DialogTemplate t;
  t.controls = {{29, ui::ControlKind::kTreeView, 0, 0, 100, 100}};
  int w = system.CreateFromTemplate(t, ui::WindowKind::kPanel, nullptr);
  ui::TreeHandle root = system.InsertItem(w, 29, ui::kTreeRoot, {0, 0, u"Desktop"});
  ui::TreeHandle pc = system.InsertItem(w, 29, root, {0, 0, u"Computer"});
  system.InsertItem(w, 29, pc, {0, 0, u"(C:)"});
  system.ExpandItem(w, 29, root, true);
  json items = json::parse(WindowMessage(*system.Find(w)))["window"]["controls"][0]["items"];
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1]["text"], "Computer");
  EXPECT_EQ(items[1]["kids"], true);
  EXPECT_EQ(items[1]["open"], false);
}

TEST(WindowJsonTest, EventsFromAPageAreParsedStrictly) {
  auto e = ParseEventMessage(R"({"t":"event","kind":"edit","window":3,"control":1028,"text":"ü"})");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->kind, ui::EventKind::kEditChanged);
  EXPECT_EQ(e->window, 3);
  EXPECT_EQ(e->text, u"ü");
  const char* refused[] = {
      "not json", R"({"t":"event","kind":"nonsense","window":3})",
      R"({"t":"event","kind":"timer","window":3,"value":527})",  // timers are the system's own
      R"({"t":"event","kind":"command"})", R"([1,2])",
  };
  for (const char* text : refused) EXPECT_FALSE(ParseEventMessage(text)) << text;
}

}  // namespace
}  // namespace bexa::web
