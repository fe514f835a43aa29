// Writing and reading time values in the local zone, and the calendar arithmetic the
// time axis steps with.
#include "model/time_format.h"

#include <gtest/gtest.h>

#include <time.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <tuple>

#include "model/calendar.h"
#include "support/time_zone.h"

namespace xyla {
namespace {

using test::TimeZone;

constexpr const char* kDateFormat = "%Y-%m-%d %H:%M:%S";
constexpr const char* kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr double kHour = 3600.0;
constexpr double kDay = 86400.0;
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();


TEST(TimeFormat, WritesLocalTimeSinceTheReferenceDate) {
  {
    TimeZone zone("UTC0");
    EXPECT_EQ(formatTime(86400 * 31 + 3723, "%d.%m\n%H:%M"), "01.02\n01:02");
    EXPECT_EQ(formatTime(-0.5, "%Y %M:%S"), "2000 59:59");  // fractions round down
    EXPECT_EQ(formatTime(1e11, "%Y"), "5169");
    for (double bad : {kNan, -1e300}) EXPECT_EQ(formatTime(bad, "%Y"), "");
    EXPECT_EQ(formatTime(0, ""), "");
    std::string format, want;  // long outputs are not cut
    for (int i = 0; i < 300; ++i) format += "%Y-", want += "2001-";
    EXPECT_EQ(formatTime(0, format), want);
  }
  TimeZone zone(kBerlin);
  EXPECT_EQ(formatTime(0, kDateFormat), "2001-01-01 01:00:00");
  EXPECT_EQ(formatTime(180 * kDay, "%H"), "02");  // 30 June, summer time
}

TEST(TimeFormat, ReadsLocalTimeOrTheFrontOfTheFormat) {
  {
    TimeZone zone("UTC0");
    const std::tuple<const char*, const char*, std::optional<double>> cases[] = {
        {"2001-01-02 01:00:30", kDateFormat, kDay + kHour + 30},
        {"2000-12-31 23:59:59", kDateFormat, -1.0},
        {"01:30", "%H:%M", 1.5 * kHour},  // missing fields take the reference date
        {"2002", "%Y", 365 * kDay},
        {"2001-01-03", kDateFormat, 2 * kDay},  // the text stops early
        {"2001-01-03 05", kDateFormat, 2 * kDay + 5 * kHour},
        {"", kDateFormat, std::nullopt},  // not even the first field
        {"yesterday", kDateFormat, std::nullopt},
        {"abc", "abc", std::nullopt},  // no conversions: nothing read
        {"2001", "", std::nullopt},
        {"2001", "%", std::nullopt}};
    for (const auto& [text, format, want] : cases) EXPECT_EQ(parseTime(text, format), want) << text << " / " << format;
  }
  TimeZone zone(kBerlin);
  EXPECT_EQ(parseTime("2001-01-01 00:00:00", kDateFormat), -kHour);
  EXPECT_EQ(parseTime("2001-07-01 00:00:00", kDateFormat), 181 * kDay - 2 * kHour);
  // Round trips across the spring change; 02:00 does not exist.
  const double midnight = *parseTime("2023-03-26 00:00:00", kDateFormat);
  for (int h = 0; h < 6; ++h)
    EXPECT_EQ(parseTime(formatTime(midnight + h * kHour, kDateFormat), kDateFormat), midnight + h * kHour) << h;
  EXPECT_EQ(formatTime(midnight + 2 * kHour, "%H"), "03");
}

TEST(Calendar, FieldsAndArithmetic) {
  TimeZone zone("UTC0");
  EXPECT_EQ(calendar::localTime(0)->weekday, 1);  // a Monday
  const std::optional<calendar::LocalTime> last = calendar::localTime(-0.25);
  ASSERT_TRUE(last);
  EXPECT_EQ(last->year, 2000);
  EXPECT_EQ(last->yearDay, 366);
  EXPECT_EQ(last->second, 59);
  EXPECT_FALSE(calendar::localTime(kNan));
  EXPECT_FALSE(calendar::localTime(1e200));
  // Month and year steps follow the calendar: 31 January plus a month is 3 March.
  EXPECT_EQ(calendar::addLocal(*calendar::fromLocal(2023, 1, 31, 12, 0, 0), 0, 1, 0),
            *calendar::fromLocal(2023, 3, 3, 12, 0, 0));
  EXPECT_EQ(calendar::addLocal(*calendar::fromLocal(2024, 2, 29, 0, 0, 0), 1, 0, 0),
            *calendar::fromLocal(2025, 3, 1, 0, 0, 0));
  EXPECT_EQ(calendar::addLocal(0.75, 0, 0, 1), kDay + 0.75);  // the fraction stays
  EXPECT_FALSE(calendar::addLocal(0, 1000000000, 0, 0));
  EXPECT_FALSE(calendar::addLocal(std::numeric_limits<double>::infinity(), 0, 0, 1));
}

TEST(Calendar, DaysKeepTheWallClockAcrossDaylightSaving) {
  TimeZone zone(kBerlin);
  const double spring = *calendar::fromLocal(2023, 3, 26, 0, 0, 0);
  const double next = *calendar::addLocal(spring, 0, 0, 1);
  EXPECT_EQ(next - spring, kDay - kHour);  // 26 March has 23 hours
  EXPECT_EQ(calendar::localTime(next)->hour, 0);
  const double autumn = *calendar::fromLocal(2023, 10, 29, 0, 0, 0);
  EXPECT_EQ(*calendar::addLocal(autumn, 0, 0, 1) - autumn, kDay + kHour);
}

}  // namespace
}  // namespace xyla
