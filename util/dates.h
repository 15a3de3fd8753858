// How dates travel in PDUs and catalogue files, how they are shown to the
// user, and how they become file times.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "util/datetime.h"

namespace bexa {

// "%Y%m%d%H%M%S", 14 digits; the empty text for an invalid date.
std::u16string FormatProtocolDate(const DateTime& date);

// Reads a protocol date text (see dates.cpp for the accepted forms). Returns
// true when a valid date was made; `date` is set either way (invalid on false).
bool ParseProtocolDate(std::u16string_view text, DateTime& date);

// Short (or long) date of the locale, a space, the time; the empty text for
// an invalid date.
std::u16string ShortDateTimeText(const DateTime& date, bool with_seconds);
std::u16string LongDateTimeText(const DateTime& date, bool with_seconds);

// The file time (100 ns units since 1601, UTC) of a local date.
bool DateToFileTime(const DateTime& date, uint64_t& file_time);
// The local date of a file time; invalid when out of range.
DateTime FileTimeToDate(uint64_t file_time);

bool IsWindowsNT();
// Throws Wow64Exception("IsWow64Process") when the query fails.
bool IsWow64();

}  // namespace bexa
