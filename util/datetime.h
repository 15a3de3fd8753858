// A calendar date and time with a validity status, kept as an OLE date (days
// since 30 December 1899, the fraction being the time of day): the form in
// which catalogue files store dates. Dates are local times without a zone.
#pragma once

#include <compare>
#include <cstdint>

namespace bexa {

// Broken-down fields of a date. day_of_week: 0 = Sunday.
struct DateParts {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  int day_of_week = 0;
};

class DateTime {
 public:
  enum class Status : int32_t { kValid = 0, kInvalid = 1, kNull = 2 };

  // A valid date of 30 December 1899, 00:00:00 (OLE date 0).
  DateTime() = default;

  // From fields; invalid unless they form a real date (years 100-9999,
  // month 1-12, day of that month, hour 0-23, minute and second 0-59).
  static DateTime FromParts(int year, int month, int day, int hour = 0, int minute = 0,
                            int second = 0);
  // From a stored OLE date and status (no check of the value).
  static DateTime FromOle(double ole, Status status = Status::kValid);
  static DateTime Null() { return FromOle(0, Status::kNull); }
  static DateTime Invalid() { return FromOle(0, Status::kInvalid); }
  // The current local time, to the second.
  static DateTime Now();
  // A local date of a time_t instant (seconds since 1970 UTC).
  static DateTime FromUnixTime(int64_t seconds);

  Status status() const { return status_; }
  bool IsValid() const { return status_ == Status::kValid; }
  double ole() const { return ole_; }

  // Fields of a valid date, rounded to the second; all 0 for an invalid one.
  DateParts Parts() const;
  int Year() const { return Parts().year; }

  // Seconds since 1970 of this local date read as UTC (a zone-free count, for
  // arithmetic and sorting); 0 for an invalid date.
  int64_t SecondsSinceEpochAsUtc() const;

  // Order and equality compare the OLE value only, as the stored records do.
  friend bool operator==(const DateTime& a, const DateTime& b) { return a.ole_ == b.ole_; }
  friend auto operator<=>(const DateTime& a, const DateTime& b) { return a.ole_ <=> b.ole_; }

 private:
  double ole_ = 0;
  Status status_ = Status::kValid;
};

}  // namespace bexa
