#include "platform/ui/message_box.h"

#include <gtest/gtest.h>

namespace bexa::platform::ui {
namespace {

TEST(MessageBoxes, ScriptedBoxesRecordAndAnswerFromTheQueue) {
  ScriptedMessageBoxes boxes;
  ScopedMessageBoxes scope(boxes);
  boxes.QueueAnswer(kIdNo);
  EXPECT_EQ(ShowMessageBox(u"Replace?", u"Confirm", kMbYesNo), kIdNo);
  // An empty queue answers with the first button.
  EXPECT_EQ(ShowMessageBox(u"Again?", u"", kMbYesNo | kMbIconQuestion), kIdYes);
  EXPECT_EQ(ShowMessageBox(u"Done", u"", kMbOkCancel), kIdOk);
  const auto shown = boxes.Boxes();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].text, u"Replace?");
  EXPECT_EQ(shown[0].caption, u"Confirm");
  EXPECT_EQ(shown[1].type, kMbYesNo | kMbIconQuestion);
}

TEST(MessageBoxes, ScopeRestoresThePreviousImplementation) {
  ScriptedMessageBoxes outer, inner;
  ScopedMessageBoxes outer_scope(outer);
  {
    ScopedMessageBoxes inner_scope(inner);
    EXPECT_EQ(&CurrentMessageBoxes(), &inner);
  }
  EXPECT_EQ(&CurrentMessageBoxes(), &outer);
}

}  // namespace
}  // namespace bexa::platform::ui
