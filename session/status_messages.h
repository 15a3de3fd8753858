// The status codes of a session and their messages: the table from status
// code to message number, the message number's localised text, and
// ReportError, which shows a CBackupException to the user.
#pragma once

#include <cstdint>

#include "session/texts.h"
#include "util/exceptions.h"

namespace bexa {

// The status codes that this client raises.
inline constexpr uint32_t kStatusNoConnection = 101;
inline constexpr uint32_t kStatusCancelled = 102;
inline constexpr uint32_t kStatusSendFailed = 107;
inline constexpr uint32_t kStatusConnectionDropped = 108;
inline constexpr uint32_t kStatusUnexpectedPdu = 109;
inline constexpr uint32_t kStatusNotValidUser = 112;
inline constexpr uint32_t kStatusAccountDisabled = 113;
inline constexpr uint32_t kStatusNoWorkingDirectories = 114;
inline constexpr uint32_t kStatusNoUserLogFile = 115;
inline constexpr uint32_t kStatusBadUserOrPassword = 116;
inline constexpr uint32_t kStatusInternalError = 118;
inline constexpr uint32_t kStatusServerLowOnDisk = 122;
inline constexpr uint32_t kStatusUnsupportedAuthentication = 123;
inline constexpr uint32_t kStatusServerTooOld = 126;

// The message number of a code that the table lacks.
inline constexpr uint32_t kUnknownCodeMessage = 510;
// The text of every message number outside the ranges: "An internal error
// has occurred."
inline constexpr int kInternalErrorText = 1081;

struct StatusMessage {
  uint32_t code;
  uint32_t message_number;
};

// The table, in its fixed order, ended by a pair whose code is 0.
extern const StatusMessage kStatusMessages[];

// The message number of code, searched from the start of the table; 0 when
// the code is absent (0 itself included).
uint32_t MessageNumberOf(uint32_t code);

// The English text number of a message number: 203-209 -> 1066-1072,
// 505 -> 1076, 507-509 -> 1078-1080, 511-523 -> 1082-1094, 61236 -> 1095,
// any other -> 1081.
int TextNumberOfMessage(uint32_t message_number);

// Shows the message of error in a message box of the current implementation
// (platform/ui) and returns the box's result:
// - code 102 with message_number 0 shows nothing and returns 1 (a
//   cancellation is no failure to report);
// - message_number 0 takes the code's number from the table, 510 when the
//   code is not there;
// - the text is fetched through texts, in the session's language, and shown
//   as it is (a "%s" stays unfilled);
// - the box gets type_flags with the exclamation icon in place of any icon.
int ReportError(const CBackupException& error, SessionTexts& texts, uint32_t type_flags = 0,
                uint32_t message_number = 0);

}  // namespace bexa
