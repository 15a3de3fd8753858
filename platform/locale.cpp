#include "platform/locale.h"

#include <cerrno>
#include <ctime>
#include <map>
#include <mutex>

#include "platform/home.h"
#include "platform/profile.h"

namespace bexa::platform {
namespace {

const char16_t* const kDays[] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                 u"Thursday", u"Friday", u"Saturday"};
const char16_t* const kMonths[] = {u"January", u"February", u"March",     u"April",
                                   u"May",     u"June",     u"July",      u"August",
                                   u"September", u"October", u"November", u"December"};

// The pictures are read for every date shown (a restore shows several per
// file), so the values read are kept until win.ini or BEXA_HOME changes.
std::u16string Intl(const char16_t* key, const char16_t* fallback) {
  struct Cache {
    std::string ini_path;
    long long stamp = -2;
    std::map<std::u16string, std::u16string> values;  // key + '\0' + fallback
  };
  static std::mutex mutex;
  static Cache cache;
  const std::string ini = WinIniPath();
  const long long stamp = FileModificationStamp(ini);
  std::u16string slot = key;
  slot.push_back(u'\0');
  slot += fallback;
  std::lock_guard<std::mutex> lock(mutex);
  if (cache.stamp != stamp || cache.ini_path != ini) {
    cache.ini_path = ini;
    cache.stamp = stamp;
    cache.values.clear();
  }
  auto it = cache.values.find(slot);
  if (it == cache.values.end()) {
    std::u16string v = GetProfileString(u"Intl", key, fallback, 80, ini);
    it = cache.values.emplace(slot, v.empty() ? fallback : v).first;
  }
  return it->second;
}

std::u16string Number(int value, int digits) {
  std::u16string s;
  if (value < 0) value = -value;
  do {
    s.insert(s.begin(), static_cast<char16_t>(u'0' + value % 10));
    value /= 10;
  } while (value > 0);
  while (static_cast<int>(s.size()) < digits) s.insert(s.begin(), u'0');
  return s;
}

bool InRange(const LocalTime& t) {
  return t.year >= 1601 && t.year <= 30827 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= 31 && t.day_of_week >= 0 && t.day_of_week <= 6 && t.hour >= 0 &&
         t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

}  // namespace

std::u16string FormatPicture(const LocalTime& t, const std::u16string& picture,
                             bool with_seconds) {
  std::u16string out;
  const size_t n = picture.size();
  size_t i = 0;
  while (i < n) {
    char16_t c = picture[i];
    if (c == u'\'') {
      size_t close = picture.find(u'\'', i + 1);
      if (close == std::u16string::npos) close = n;
      if (close == i + 1 && close < n) {
        out += u'\'';  // '' is a quote
      } else {
        out += picture.substr(i + 1, close - i - 1);
      }
      i = close + 1;
      continue;
    }
    size_t run = 1;
    while (i + run < n && picture[i + run] == c) ++run;
    switch (c) {
      case u'd':
        if (run == 1 || run == 2)
          out += Number(t.day, static_cast<int>(run));
        else if (run == 3)
          out += std::u16string(kDays[t.day_of_week]).substr(0, 3);
        else
          out += kDays[t.day_of_week];
        break;
      case u'M':
        if (run <= 2)
          out += Number(t.month, static_cast<int>(run));
        else if (run == 3)
          out += std::u16string(kMonths[t.month - 1]).substr(0, 3);
        else
          out += kMonths[t.month - 1];
        break;
      case u'y':
        if (run <= 2)
          out += Number(t.year % 100, static_cast<int>(run));
        else
          out += Number(t.year, 4);
        break;
      case u'h':
        out += Number(t.hour % 12 == 0 ? 12 : t.hour % 12, run >= 2 ? 2 : 1);
        break;
      case u'H':
        out += Number(t.hour, run >= 2 ? 2 : 1);
        break;
      case u'm':
        out += Number(t.minute, run >= 2 ? 2 : 1);
        break;
      case u's':
        if (with_seconds) {
          out += Number(t.second, run >= 2 ? 2 : 1);
        } else {
          // Leave out the seconds and the separator written before them.
          while (!out.empty() && out.back() != u' ' &&
                 !(out.back() >= u'0' && out.back() <= u'9'))
            out.pop_back();
        }
        break;
      case u't':
        out += run >= 2 ? (t.hour < 12 ? u"AM" : u"PM") : (t.hour < 12 ? u"A" : u"P");
        break;
      default:
        out += picture.substr(i, run);
        break;
    }
    i += run;
  }
  return out;
}

bool FormatDate(const LocalTime& t, bool long_form, std::u16string& out) {
  if (!InRange(t)) return false;
  out = FormatPicture(t, long_form ? Intl(u"sLongDate", u"dddd, MMMM d, yyyy")
                                   : Intl(u"sShortDate", u"M/d/yyyy"),
                      true);
  return true;
}

bool FormatTime(const LocalTime& t, bool with_seconds, std::u16string& out) {
  if (!InRange(t)) return false;
  out = FormatPicture(t, Intl(u"sTimeFormat", u"h:mm:ss tt"), with_seconds);
  return true;
}

std::u16string ThousandSeparator() {
  // An explicit empty value means no separator, unlike a missing key.
  return GetProfileString(u"Intl", u"sThousand", u",", 8, WinIniPath());
}

bool LocalToUnix(const LocalTime& t, long long& seconds) {
  struct tm tm = {};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  tm.tm_isdst = -1;
  errno = 0;
  time_t r = std::mktime(&tm);
  if (r == static_cast<time_t>(-1) && errno != 0) return false;
  seconds = static_cast<long long>(r);
  return true;
}

LocalTime UnixToLocal(long long seconds) {
  time_t tt = static_cast<time_t>(seconds);
  struct tm tm = {};
  localtime_r(&tt, &tm);
  LocalTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.day_of_week = tm.tm_wday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec;
  return t;
}

}  // namespace bexa::platform
