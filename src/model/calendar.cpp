#include "model/calendar.h"

#include <time.h>

#include <climits>
#include <cmath>
#include <cstdlib>

namespace xyla::calendar {

namespace {

// Largest number of years, months or days one call may move; far beyond any axis range
// and small enough that the sums below stay inside an int.
constexpr long long kMaxShift = 100000000;

bool breakDown(double t, struct tm& out, double& fraction) {
  if (!std::isfinite(t) || std::fabs(t) > kLimitSeconds) return false;
  const double whole = std::floor(t);
  fraction = t - whole;
  const time_t unix = static_cast<time_t>(whole + kReferenceUnix);
  return localtime_r(&unix, &out) != nullptr;
}

// mktime on `tm` with the daylight-saving flag left to the library. mktime answers -1
// both on failure and for one valid second, so success is told by tm_wday, which it only
// writes when it succeeds.
std::optional<double> rebuild(struct tm& tm) {
  tm.tm_isdst = -1;
  tm.tm_wday = -1;
  const time_t unix = mktime(&tm);
  if (tm.tm_wday < 0) return std::nullopt;
  const double t = static_cast<double>(unix) - kReferenceUnix;
  if (std::fabs(t) > kLimitSeconds) return std::nullopt;
  return t;
}

bool fitsInt(long long v) { return v >= INT_MIN && v <= INT_MAX; }

}  // namespace

std::optional<LocalTime> localTime(double t) {
  struct tm tm {};
  double fraction = 0.0;
  if (!breakDown(t, tm, fraction)) return std::nullopt;
  LocalTime lt;
  lt.year = static_cast<long long>(tm.tm_year) + 1900;
  lt.month = tm.tm_mon + 1;
  lt.day = tm.tm_mday;
  lt.yearDay = tm.tm_yday + 1;
  lt.weekday = tm.tm_wday;
  lt.hour = tm.tm_hour;
  lt.minute = tm.tm_min;
  lt.second = tm.tm_sec;
  return lt;
}

std::optional<double> fromLocal(long long year, long long month, long long day, int hour, int minute, int second) {
  const long long tmYear = year - 1900;
  const long long tmMon = month - 1;
  if (!fitsInt(tmYear) || !fitsInt(tmMon) || !fitsInt(day)) return std::nullopt;
  struct tm tm {};
  tm.tm_year = static_cast<int>(tmYear);
  tm.tm_mon = static_cast<int>(tmMon);
  tm.tm_mday = static_cast<int>(day);
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  return rebuild(tm);
}

std::optional<double> addLocal(double t, long long years, long long months, long long days) {
  if (std::llabs(years) > kMaxShift || std::llabs(months) > kMaxShift || std::llabs(days) > kMaxShift)
    return std::nullopt;
  struct tm tm {};
  double fraction = 0.0;
  if (!breakDown(t, tm, fraction)) return std::nullopt;
  const long long year = tm.tm_year + years;
  const long long month = tm.tm_mon + months;
  const long long day = tm.tm_mday + days;
  if (!fitsInt(year) || !fitsInt(month) || !fitsInt(day)) return std::nullopt;
  tm.tm_year = static_cast<int>(year);
  tm.tm_mon = static_cast<int>(month);
  tm.tm_mday = static_cast<int>(day);
  const std::optional<double> moved = rebuild(tm);
  if (!moved) return std::nullopt;
  return *moved + fraction;
}

}  // namespace xyla::calendar
