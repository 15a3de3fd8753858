#include "session/status_messages.h"

#include <string>

#include "platform/ui/message_box.h"

namespace bexa {

// Codes that this client never raises stand here too: the table is one piece
// of data shared with the server's other clients. 122 stands before 118.
const StatusMessage kStatusMessages[] = {
    {100, 505},   {101, 515},   {102, 507},  {103, 508},  {104, 61213}, {105, 509},
    {106, 511},   {107, 512},   {108, 513},  {109, 514},  {110, 516},   {111, 517},
    {112, 522},   {113, 518},   {114, 519},  {115, 520},  {116, 521},   {122, 203},
    {118, 1200},  {119, 204},   {120, 205},  {121, 206},  {123, 207},   {124, 208},
    {125, 209},   {126, 61236}, {127, 1225}, {128, 1213}, {0, 0},
};

uint32_t MessageNumberOf(uint32_t code) {
  for (const StatusMessage* entry = kStatusMessages; entry->code != 0; ++entry) {
    if (entry->code == code) return entry->message_number;
  }
  return 0;
}

int TextNumberOfMessage(uint32_t message_number) {
  struct Range {
    uint32_t first_message;
    uint32_t last_message;
    int first_text;
  };
  static constexpr Range kRanges[] = {
      {203, 209, 1066}, {505, 505, 1076},     {507, 509, 1078},
      {511, 523, 1082}, {61236, 61236, 1095},
  };
  for (const Range& range : kRanges) {
    if (message_number >= range.first_message && message_number <= range.last_message) {
      return range.first_text + static_cast<int>(message_number - range.first_message);
    }
  }
  return kInternalErrorText;
}

int ReportError(const CBackupException& error, SessionTexts& texts, uint32_t type_flags,
                uint32_t message_number) {
  if (error.Code() == kStatusCancelled && message_number == 0) return platform::ui::kIdOk;
  if (message_number == 0) {
    message_number = MessageNumberOf(error.Code());
    if (message_number == 0) message_number = kUnknownCodeMessage;
  }
  const std::u16string text = texts.Get(TextNumberOfMessage(message_number));
  // One icon only: two icon values or-ed together make a third.
  const uint32_t type = (type_flags & ~platform::ui::kMbIconMask) | platform::ui::kMbIconExclamation;
  return platform::ui::ShowMessageBox(text, u"", type);
}

}  // namespace bexa
