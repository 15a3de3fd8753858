#include "session/status_messages.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ui/message_box.h"

namespace bexa {
namespace {

using platform::ui::kIdCancel;
using platform::ui::kIdOk;
using platform::ui::kMbIconExclamation;
using platform::ui::kMbIconInformation;
using platform::ui::kMbOkCancel;
using platform::ui::ScopedMessageBoxes;
using platform::ui::ScriptedMessageBoxes;

const std::u16string kInternalError = u"An internal error has occurred.";

class ReportErrorTest : public testing::Test {
 protected:
  // The texts of the boxes shown so far.
  std::vector<std::u16string> Shown() const {
    std::vector<std::u16string> texts;
    for (const auto& box : boxes_.Boxes()) texts.push_back(box.text);
    return texts;
  }

  ScriptedMessageBoxes boxes_;
  ScopedMessageBoxes scope_{boxes_};
  SessionTexts texts_;
};

TEST_F(ReportErrorTest, CancellationShowsNothing) {
  EXPECT_EQ(ReportError(CBackupException(102), texts_), 1);
  EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(ReportErrorTest, ExplicitMessageNumberIsShownEvenForCancellation) {
  boxes_.QueueAnswer(kIdCancel);
  EXPECT_EQ(ReportError(CBackupException(102), texts_, kMbOkCancel, 515), kIdCancel);
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].text,
            u"A connection could not be established to the Backup Server, the settings for the "
            u"location of the Backup Server may be incorrect or the Server may not be running.");
  EXPECT_EQ(boxes_.Boxes()[0].type, kMbOkCancel | kMbIconExclamation);
}

TEST_F(ReportErrorTest, CodesShowTheirTableText) {
  const std::vector<std::pair<uint32_t, std::u16string>> expected = {
      {118, kInternalError},  // message 1200 lies outside every range
      {104, kInternalError},
      {127, kInternalError},
      {999, kInternalError},  // not in the table: message 510
      {0, kInternalError},
      {108, u"The connection to the server was suddenly dropped."},
      {122,
       u"The Backup Server is currently low on disk space.  Please try your backup again at a "
       u"later time or contact your Backup Server Administrator."},
      // The placeholder stays: the handshake shows the filled-in message itself.
      {126,
       u"Sorry, the Backup Server version was detected as %s.\nThe backup server must be at least "
       u"version 7.0 to operate with this backup client."},
  };
  for (const auto& [code, text] : expected) {
    EXPECT_EQ(ReportError(CBackupException(code), texts_), kIdOk) << code;
  }
  ASSERT_EQ(Shown().size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(Shown()[i], expected[i].second) << expected[i].first;
    EXPECT_EQ(boxes_.Boxes()[i].type, kMbIconExclamation);
  }
}

TEST_F(ReportErrorTest, ShowsTheSessionLanguage) {
  texts_.SetLanguageOffset(1000);
  ReportError(CBackupException(108), texts_);
  ReportError(CBackupException(118), texts_);
  EXPECT_EQ(Shown(), (std::vector<std::u16string>{u"La conexión con el servidor se ha interrumpido de repente.",
                                                  u"Se ha producido un error interno."}));
}

TEST_F(ReportErrorTest, OneIconOnly) {
  ReportError(CBackupException(108), texts_, kMbOkCancel | kMbIconInformation);
  EXPECT_EQ(boxes_.Boxes().at(0).type, kMbOkCancel | kMbIconExclamation);
}

TEST(StatusMessages, TableOrderAndLookups) {
  std::vector<uint32_t> codes;
  for (const StatusMessage* entry = kStatusMessages; entry->code != 0; ++entry) {
    codes.push_back(entry->code);
  }
  EXPECT_EQ(codes, (std::vector<uint32_t>{100, 101, 102, 103, 104, 105, 106, 107, 108, 109,
                                          110, 111, 112, 113, 114, 115, 116, 122, 118, 119,
                                          120, 121, 123, 124, 125, 126, 127, 128}));
  EXPECT_EQ(MessageNumberOf(118), 1200u);
  EXPECT_EQ(MessageNumberOf(122), 203u);
  EXPECT_EQ(MessageNumberOf(126), 61236u);
  EXPECT_EQ(MessageNumberOf(117), 0u);
  EXPECT_EQ(MessageNumberOf(0), 0u);
}

TEST(StatusMessages, MessageNumberRanges) {
  const std::pair<uint32_t, int> cases[] = {
      {203, 1066}, {209, 1072}, {505, 1076}, {507, 1078}, {509, 1080}, {511, 1082},
      {523, 1094}, {61236, 1095}, {202, 1081}, {210, 1081}, {506, 1081}, {510, 1081},
      {524, 1081}, {61213, 1081}, {1200, 1081}, {0, 1081},
  };
  for (const auto& [message, text] : cases) EXPECT_EQ(TextNumberOfMessage(message), text) << message;
}

TEST(StatusMessages, EveryTableCodeHasATextInEveryLanguage) {
  for (int offset = 0; offset <= 4000; offset += 1000) {
    SessionTexts texts(offset);
    for (const StatusMessage* entry = kStatusMessages; entry->code != 0; ++entry) {
      texts.Buffer()[0] = 0;
      EXPECT_NE(std::u16string(texts.Get(TextNumberOfMessage(entry->message_number))), u"")
          << entry->code << " at offset " << offset;
    }
  }
}

TEST(BackupException, TextFormIsTheSameForEveryCode) {
  EXPECT_EQ(std::u16string(CBackupException(101).TextForm()), u"XLAT-rework");
  EXPECT_EQ(std::u16string(CBackupException(126).TextForm()), u"XLAT-rework");
  EXPECT_EQ(CBackupException(126).Code(), 126u);
}

}  // namespace
}  // namespace bexa
