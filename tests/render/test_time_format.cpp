// Writing and reading time values in the local zone, and the calendar arithmetic the
// time axis steps with.
#include "render/time_format.h"

#include <gtest/gtest.h>

#include <time.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "render/calendar.h"

namespace xyla {
namespace {

constexpr const char* kDateFormat = "%Y-%m-%d %H:%M:%S";
constexpr const char* kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr double kHour = 3600.0;
constexpr double kDay = 86400.0;

// Sets TZ for one test and puts the previous value back.
class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) saved_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TimeZone() {
    if (saved_)
      setenv("TZ", saved_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> saved_;
};

TEST(TimeFormat, WritesLocalTimeSinceTheReferenceDate) {
  {
    TimeZone zone("UTC0");
    EXPECT_EQ(formatTime(0, kDateFormat), "2001-01-01 00:00:00");
    EXPECT_EQ(formatTime(86400 * 31 + 3723, "%d.%m\n%H:%M"), "01.02\n01:02");
    EXPECT_EQ(formatTime(-1, "%Y %M:%S"), "2000 59:59");
    EXPECT_EQ(formatTime(-0.5, "%S"), "59");  // fractions round down
    EXPECT_EQ(formatTime(1e11, "%Y"), "5169");
  }
  TimeZone zone(kBerlin);
  EXPECT_EQ(formatTime(0, kDateFormat), "2001-01-01 01:00:00");
  EXPECT_EQ(formatTime(180 * kDay, "%H"), "02");  // 30 June, summer time
}

TEST(TimeFormat, EmptyForUnwritableInput) {
  TimeZone zone("UTC0");
  EXPECT_EQ(formatTime(std::numeric_limits<double>::quiet_NaN(), "%Y"), "");
  EXPECT_EQ(formatTime(-1e300, "%Y"), "");
  EXPECT_EQ(formatTime(0, ""), "");
  // Long outputs are not cut.
  std::string format, want;
  for (int i = 0; i < 300; ++i) format += "%Y-", want += "2001-";
  EXPECT_EQ(formatTime(0, format), want);
}

TEST(TimeFormat, ReadsLocalTime) {
  {
    TimeZone zone("UTC0");
    EXPECT_EQ(parseTime("2001-01-02 01:00:30", kDateFormat), kDay + kHour + 30);
    EXPECT_EQ(parseTime("2000-12-31 23:59:59", kDateFormat), -1.0);
    // Missing fields take the reference date.
    EXPECT_EQ(parseTime("01:30", "%H:%M"), 1.5 * kHour);
    EXPECT_EQ(parseTime("2002", "%Y"), 365 * kDay);
  }
  TimeZone zone(kBerlin);
  EXPECT_EQ(parseTime("2001-01-01 00:00:00", kDateFormat), -kHour);
  EXPECT_EQ(parseTime("2001-07-01 00:00:00", kDateFormat), 181 * kDay - 2 * kHour);
}

TEST(TimeFormat, ReadsTheFrontOfTheFormatWhenTheTextStopsEarly) {
  TimeZone zone("UTC0");
  EXPECT_EQ(parseTime("2001-01-03", kDateFormat), 2 * kDay);
  EXPECT_EQ(parseTime("2001-01-03 05", kDateFormat), 2 * kDay + 5 * kHour);
  // Nothing when not even the first field can be read.
  EXPECT_FALSE(parseTime("", kDateFormat));
  EXPECT_FALSE(parseTime("yesterday", kDateFormat));
  EXPECT_FALSE(parseTime("abc", "abc"));  // a format without conversions reads nothing
  EXPECT_FALSE(parseTime("2001", ""));
  EXPECT_FALSE(parseTime("2001", "%"));
}

TEST(TimeFormat, RoundTripsAcrossTheSpringChange) {
  TimeZone zone(kBerlin);
  const double midnight = *parseTime("2023-03-26 00:00:00", kDateFormat);
  for (int h = 0; h < 6; ++h) {  // 02:00 is skipped
    const double t = midnight + h * kHour;
    EXPECT_EQ(parseTime(formatTime(t, kDateFormat), kDateFormat), t) << formatTime(t, kDateFormat);
  }
  EXPECT_EQ(formatTime(midnight + 2 * kHour, "%H"), "03");
}

// ---------------------------------------------------------------------------------------
// Calendar arithmetic

TEST(Calendar, FieldsOfTheReferenceDate) {
  TimeZone zone("UTC0");
  EXPECT_EQ(calendar::localTime(0)->weekday, 1);  // a Monday
  const std::optional<calendar::LocalTime> last = calendar::localTime(-0.25);
  ASSERT_TRUE(last);
  EXPECT_EQ(last->year, 2000);
  EXPECT_EQ(last->yearDay, 366);
  EXPECT_EQ(last->second, 59);
  EXPECT_FALSE(calendar::localTime(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_FALSE(calendar::localTime(1e200));
}

TEST(Calendar, AddingMonthsAndYearsFollowsTheCalendar) {
  TimeZone zone("UTC0");
  const double jan31 = *calendar::fromLocal(2023, 1, 31, 12, 0, 0);
  EXPECT_EQ(calendar::addLocal(jan31, 0, 1, 0), *calendar::fromLocal(2023, 3, 3, 12, 0, 0));
  const double leap = *calendar::fromLocal(2024, 2, 29, 0, 0, 0);
  EXPECT_EQ(calendar::addLocal(leap, 1, 0, 0), *calendar::fromLocal(2025, 3, 1, 0, 0, 0));
  EXPECT_EQ(calendar::addLocal(0.75, 0, 0, 1), kDay + 0.75);  // the fraction stays
  EXPECT_FALSE(calendar::addLocal(0, 1000000000, 0, 0));
  EXPECT_FALSE(calendar::addLocal(std::numeric_limits<double>::infinity(), 0, 0, 1));
}

TEST(Calendar, DaysKeepTheWallClockAcrossDaylightSaving) {
  TimeZone zone(kBerlin);
  const double after = *calendar::fromLocal(2023, 3, 26, 0, 0, 0);
  const double next = *calendar::addLocal(after, 0, 0, 1);
  EXPECT_EQ(next - after, kDay - kHour);  // 26 March has 23 hours
  EXPECT_EQ(calendar::localTime(next)->hour, 0);
  const double autumn = *calendar::fromLocal(2023, 10, 29, 0, 0, 0);
  EXPECT_EQ(*calendar::addLocal(autumn, 0, 0, 1) - autumn, kDay + kHour);
}

}  // namespace
}  // namespace xyla
