// Locale formatting with en-US defaults, overridable in win.ini [Intl]:
// sShortDate (M/d/yyyy), sLongDate (dddd, MMMM d, yyyy), sTimeFormat
// (h:mm:ss tt), sThousand (","). Pictures use the Windows letters: d dd ddd
// dddd, M MM MMM MMMM, y yy yyyy, h hh H HH, m mm, s ss, t tt, and text in
// single quotes.
#pragma once

#include <string>

namespace bexa::platform {

struct LocalTime {
  int year = 1601, month = 1, day = 1, day_of_week = 0;  // 0 = Sunday
  int hour = 0, minute = 0, second = 0;
};

// GetDateFormat with DATE_SHORTDATE / DATE_LONGDATE. False for a date
// outside 1601-30827 or a field out of range.
bool FormatDate(const LocalTime& t, bool long_form, std::u16string& out);

// GetTimeFormat; without seconds the seconds and the separator before them
// are left out (TIME_NOSECONDS).
bool FormatTime(const LocalTime& t, bool with_seconds, std::u16string& out);

// Formats with an explicit picture (for tests and other pictures).
std::u16string FormatPicture(const LocalTime& t, const std::u16string& picture,
                             bool with_seconds);

// The thousands separator.
std::u16string ThousandSeparator();

// Local time <-> seconds since 1970 UTC through the host's time zone.
bool LocalToUnix(const LocalTime& t, long long& seconds);
LocalTime UnixToLocal(long long seconds);

}  // namespace bexa::platform
