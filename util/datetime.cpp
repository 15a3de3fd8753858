#include "util/datetime.h"

#include <cmath>
#include <ctime>

#include "platform/locale.h"

namespace bexa {
namespace {

// OLE dates of 1 January 100 and 31 December 9999.
constexpr double kMinOle = -657434.0;
constexpr double kMaxOle = 2958465.99999;
constexpr int64_t kDaysFrom1970To1899 = -25569;  // 30 Dec 1899 relative to 1 Jan 1970

// Days since 1 January 1970 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(y + (month <= 2));
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

}  // namespace

DateTime DateTime::FromParts(int year, int month, int day, int hour, int minute, int second) {
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59) {
    return Invalid();
  }
  const int64_t days = DaysFromCivil(year, static_cast<unsigned>(month),
                                     static_cast<unsigned>(day)) -
                       kDaysFrom1970To1899;
  const double time = (hour * 3600 + minute * 60 + second) / 86400.0;
  // Before 1899-12-30 the day count is negative and the time of day still
  // counts away from zero, as OLE dates are kept.
  return FromOle(static_cast<double>(days) + (days >= 0 ? time : -time));
}

DateTime DateTime::FromOle(double ole, Status status) {
  DateTime d;
  d.ole_ = ole;
  d.status_ = status;
  return d;
}

DateTime DateTime::Now() {
  return FromUnixTime(static_cast<int64_t>(std::time(nullptr)));
}

DateTime DateTime::FromUnixTime(int64_t seconds) {
  platform::LocalTime t = platform::UnixToLocal(seconds);
  return FromParts(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

DateParts DateTime::Parts() const {
  DateParts p;
  if (status_ != Status::kValid || !(ole_ >= kMinOle && ole_ <= kMaxOle)) return p;
  int64_t days = static_cast<int64_t>(ole_);  // toward zero, as the encoding counts
  double fraction = std::fabs(ole_ - static_cast<double>(days));
  int64_t seconds = std::llround(fraction * 86400.0);
  if (seconds >= 86400) {
    seconds -= 86400;
    days += ole_ >= 0 ? 1 : -1;
  }
  const int64_t unix_days = days + kDaysFrom1970To1899;
  CivilFromDays(unix_days, p.year, p.month, p.day);
  p.hour = static_cast<int>(seconds / 3600);
  p.minute = static_cast<int>(seconds / 60 % 60);
  p.second = static_cast<int>(seconds % 60);
  p.day_of_week = static_cast<int>(((unix_days % 7) + 7 + 4) % 7);  // 1 Jan 1970 was a Thursday
  return p;
}

int64_t DateTime::SecondsSinceEpochAsUtc() const {
  if (!IsValid()) return 0;
  DateParts p = Parts();
  return DaysFromCivil(p.year, static_cast<unsigned>(p.month), static_cast<unsigned>(p.day)) *
             86400 +
         p.hour * 3600 + p.minute * 60 + p.second;
}

}  // namespace bexa
