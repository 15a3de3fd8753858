#include "util/dates.h"

#include <cstdio>

#include "platform/locale.h"
#include "platform/system.h"
#include "util/exceptions.h"
#include "util/text.h"

namespace bexa {
namespace {

constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;
constexpr uint64_t kFileTimeUnitsPerSecond = 10000000ULL;

// The C library's atoi on a piece of text: blanks, a sign, leading digits.
long long AtoI(std::u16string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == u' ' || (s[i] >= u'\t' && s[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  long long v = 0;
  for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) {
    if (v < 1000000000000LL) v = v * 10 + (s[i] - u'0');
  }
  return negative ? -v : v;
}

// A field of the text that may lie partly or wholly beyond its end.
long long Field(std::u16string_view text, size_t offset, size_t length) {
  if (offset >= text.size()) return 0;
  return AtoI(text.substr(offset, length));
}

int Clamp(long long v) {
  return v > 100000 ? 100000 : v < -100000 ? -100000 : static_cast<int>(v);
}

platform::LocalTime ToLocalTime(const DateParts& p) {
  platform::LocalTime t;
  t.year = p.year;
  t.month = p.month;
  t.day = p.day;
  t.day_of_week = p.day_of_week;
  t.hour = p.hour;
  t.minute = p.minute;
  t.second = p.second;
  return t;
}

std::u16string DateTimeText(const DateTime& date, bool long_form, bool with_seconds) {
  if (!date.IsValid()) return {};
  const platform::LocalTime t = ToLocalTime(date.Parts());
  std::u16string date_text, time_text;
  if (!platform::FormatDate(t, long_form, date_text)) return {};
  if (date_text.size() > 127) date_text.resize(127);
  if (!platform::FormatTime(t, with_seconds, time_text)) return date_text;
  return date_text + u" " + time_text;
}

}  // namespace

std::u16string FormatProtocolDate(const DateTime& date) {
  if (!date.IsValid()) return {};
  const DateParts p = date.Parts();
  if (p.year == 0) return {};
  char buf[32];
  std::snprintf(buf, sizeof(buf), "%04d%02d%02d%02d%02d%02d", p.year, p.month, p.day, p.hour,
                p.minute, p.second);
  return AnsiToWide(buf);
}

bool ParseProtocolDate(std::u16string_view text, DateTime& date) {
  if (text.size() == 9) {
    // Seconds since 1970 (UTC), as some servers send them.
    date = DateTime::FromUnixTime(AtoI(text));
    return date.IsValid();
  }
  date = DateTime::FromParts(Clamp(Field(text, 0, 4)), Clamp(Field(text, 4, 2)),
                             Clamp(Field(text, 6, 2)), Clamp(Field(text, 8, 2)),
                             Clamp(Field(text, 10, 2)), Clamp(Field(text, 12, 2)));
  return date.IsValid();
}

std::u16string ShortDateTimeText(const DateTime& date, bool with_seconds) {
  return DateTimeText(date, false, with_seconds);
}

std::u16string LongDateTimeText(const DateTime& date, bool with_seconds) {
  return DateTimeText(date, true, with_seconds);
}

bool DateToFileTime(const DateTime& date, uint64_t& file_time) {
  if (!date.IsValid()) return false;
  const DateParts p = date.Parts();
  if (p.year < 1601) return false;
  long long seconds = 0;
  if (!platform::LocalToUnix(ToLocalTime(p), seconds)) return false;
  const long long units = seconds * static_cast<long long>(kFileTimeUnitsPerSecond) +
                          static_cast<long long>(kUnixEpochAsFileTime);
  if (units < 0) return false;
  file_time = static_cast<uint64_t>(units);
  return true;
}

DateTime FileTimeToDate(uint64_t file_time) {
  const long long seconds = (static_cast<long long>(file_time / kFileTimeUnitsPerSecond)) -
                            static_cast<long long>(kUnixEpochAsFileTime / kFileTimeUnitsPerSecond);
  return DateTime::FromUnixTime(seconds);
}

bool IsWindowsNT() { return platform::IsNtPlatform(); }

bool IsWow64() {
  const platform::Wow64Query q = platform::QueryWow64();
  if (!q.available) return false;
  if (q.call_failed) throw Wow64Exception(u"IsWow64Process");
  return q.is_wow64;
}

}  // namespace bexa
