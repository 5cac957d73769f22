// A date and time as an OLE Automation day count (days since 1899-12-30 00:00, the
// fraction being the time of day) with a status word, as the data files store it.
#pragma once

#include <compare>
#include <cstdint>

namespace pelnor {

struct CalendarFields {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  int dayOfWeek = 0;  // 0 = Sunday
};

class DateTime {
 public:
  static constexpr int32_t kValid = 0;
  static constexpr int32_t kInvalid = 1;

  DateTime() = default;  // 1899-12-30 00:00, valid
  DateTime(int32_t status, double value) : status_(status), value_(value) {}

  // Invalid when the fields do not form a real date and time (years 100 to 9999).
  static DateTime fromFields(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
  static DateTime now();

  bool isValid() const { return status_ == kValid; }
  int32_t status() const { return status_; }
  double value() const { return value_; }

  // Calendar fields, rounded to the second; all -1 for an invalid value.
  CalendarFields fields() const;
  int year() const { return fields().year; }
  int month() const { return fields().month; }
  int day() const { return fields().day; }

  DateTime firstOfMonth() const;  // the first of its month at 00:00
  DateTime dateOnly() const;      // time part removed
  DateTime addDays(int days) const;

  // Values compare by calendar fields (to the second).
  friend bool operator==(const DateTime& a, const DateTime& b) { return a.key() == b.key(); }
  friend auto operator<=>(const DateTime& a, const DateTime& b) { return a.key() <=> b.key(); }

 private:
  int64_t key() const;  // seconds since 1899-12-30, or a marker for invalid values

  int32_t status_ = kValid;
  double value_ = 0.0;
};

int daysInMonth(int year, int month);

}  // namespace pelnor
