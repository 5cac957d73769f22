#include "data/date_time.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>

#include "data/system.h"

namespace pelnor {

namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const int64_t kOleEpochDays = daysFromCivil(1899, 12, 30);

// The largest day count still in years up to 9999; beyond, the value is not a date.
constexpr double kMaxOleDays = 2958465.99999;
constexpr double kMinOleDays = -657434.0;

// OLE dates below zero count the day backwards but the time forwards.
double toOle(int64_t days, int64_t secondsOfDay) {
  double fraction = static_cast<double>(secondsOfDay) / kSecondsPerDay;
  return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

// Splits an OLE value into its day and its second of the day, rounded to the second.
bool splitOle(double value, int64_t& days, int64_t& secondsOfDay) {
  if (!std::isfinite(value) || value > kMaxOleDays || value < kMinOleDays) return false;
  double whole = std::trunc(value);
  days = static_cast<int64_t>(whole);
  secondsOfDay = std::llround(std::fabs(value - whole) * kSecondsPerDay);
  if (secondsOfDay == kSecondsPerDay) {  // rounded up to midnight of the next day
    secondsOfDay = 0;
    days += 1;
  }
  return true;
}

}  // namespace

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

DateTime DateTime::fromFields(int year, int month, int day, int hour, int minute, int second) {
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) ||
      hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
    return DateTime(kInvalid, 0.0);
  }
  int64_t days =
      daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kOleEpochDays;
  return DateTime(kValid, toOle(days, hour * 3600 + minute * 60 + second));
}

DateTime DateTime::now() {
  std::time_t t = std::time(nullptr);
  std::tm local = localCalendar(t);
  return fromFields(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                    local.tm_sec);
}

CalendarFields DateTime::fields() const {
  CalendarFields f{-1, -1, -1, -1, -1, -1, -1};
  int64_t days = 0, secondsOfDay = 0;
  if (!isValid() || !splitOle(value_, days, secondsOfDay)) return f;
  civilFromDays(days + kOleEpochDays, f.year, f.month, f.day);
  f.hour = static_cast<int>(secondsOfDay / 3600);
  f.minute = static_cast<int>(secondsOfDay / 60 % 60);
  f.second = static_cast<int>(secondsOfDay % 60);
  int64_t weekday = (days + kOleEpochDays + 4) % 7;  // 1970-01-01 was a Thursday
  f.dayOfWeek = static_cast<int>(weekday < 0 ? weekday + 7 : weekday);
  return f;
}

DateTime DateTime::firstOfMonth() const {
  CalendarFields f = fields();
  return fromFields(f.year, f.month, 1);
}

DateTime DateTime::dateOnly() const {
  CalendarFields f = fields();
  return fromFields(f.year, f.month, f.day);
}

DateTime DateTime::addDays(int days) const {
  CalendarFields f = fields();
  if (!isValid()) return *this;
  int64_t d = daysFromCivil(f.year, static_cast<unsigned>(f.month), static_cast<unsigned>(f.day)) + days;
  int y = 0, m = 0, dd = 0;
  civilFromDays(d, y, m, dd);
  return fromFields(y, m, dd, f.hour, f.minute, f.second);
}

int64_t DateTime::key() const {
  int64_t days = 0, secondsOfDay = 0;
  if (!isValid() || !splitOle(value_, days, secondsOfDay)) return std::numeric_limits<int64_t>::min();
  return days * kSecondsPerDay + secondsOfDay;
}

}  // namespace pelnor
