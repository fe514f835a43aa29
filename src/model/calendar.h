#pragma once

#include <optional>

// Local-time calendar arithmetic on time values: seconds since 2001-01-01 00:00:00 GMT,
// broken down and rebuilt in the process's time zone (TZ). Values too far from the
// reference date for the C library to represent answer nothing instead of wrapping.
namespace xyla::calendar {

// The reference date as a Unix time.
inline constexpr double kReferenceUnix = 978307200.0;
// Largest distance from the reference date accepted, in seconds (about 3 million years).
inline constexpr double kLimitSeconds = 1e14;

// Calendar fields of a time value in local time.
struct LocalTime {
  long long year = 0;  // full year, e.g. 2024
  int month = 1;       // 1..12
  int day = 1;         // 1..31
  int yearDay = 1;     // 1..366
  int weekday = 0;     // 0 = Sunday .. 6 = Saturday
  int hour = 0, minute = 0, second = 0;
};

// Local calendar fields of `t` (its whole second, rounded down); nothing when `t` is not
// finite or out of range.
std::optional<LocalTime> localTime(double t);

// Time value of a local date and wall-clock time; out-of-range fields are normalised
// (month 13 is January of the next year). Nothing when not representable.
std::optional<double> fromLocal(long long year, long long month, long long day, int hour, int minute, int second);

// `t` moved by whole calendar years, months and days in local time, keeping the wall-clock
// time and the fraction of a second. Month steps follow month lengths (January 31 plus one
// month is March 2 or 3). Nothing when the result is not representable.
std::optional<double> addLocal(double t, long long years, long long months, long long days);

}  // namespace xyla::calendar
