// Tick lists of the three axis scales: the automatic step choice, the user's overrides,
// the calendar stepping of time axes (month lengths, daylight saving time, weekday
// anchors) and inputs that must yield no ticks rather than a crash or a hang.
#include "render/axis.h"

#include <gtest/gtest.h>

#include <time.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace xyla {
namespace {

using Values = std::vector<double>;

void expectValues(const Values& got, const Values& want, double tolerance = 1e-12) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], tolerance) << "index " << i;
}

Axis linear(double a, double b, const std::string& space = "", const std::string& minticks = "",
            const std::string& trigger = "", const std::string& lo = "", const std::string& hi = "") {
  Axis axis;
  axis.initWithRange(a, b, lo, hi, space, minticks, trigger);
  return axis;
}

Axis logarithmic(double a, double b, const std::string& space = "", const std::string& minticks = "",
                 const std::string& lo = "", const std::string& hi = "") {
  Axis axis;
  axis.initForLogWithRange(a, b, lo, hi, space, minticks);
  return axis;
}

// ---------------------------------------------------------------------------------------
// Linear

TEST(AxisLinear, ZeroToTenStepsByTwoWithHalfUnitMinors) {
  const Axis axis = linear(0, 10);
  EXPECT_EQ(axis.step, 2);
  EXPECT_EQ(axis.mintick, 4);
  EXPECT_EQ(axis.expo, 0);  // middle 5
  expectValues(axis.A, {0, 2, 4, 6, 8, 10}, 0);
  Values minors;
  for (int i = 1; i < 20; ++i)
    if (i % 4 != 0) minors.push_back(i * 0.5);
  expectValues(axis.MA, minors, 0);
  // The caller widens the range slightly; the ticks stay the same.
  expectValues(linear(-0.0001, 10.0001).A, axis.A, 0);
}

TEST(AxisLinear, StepIsLargestOneTwoFiveNotAboveAQuarter) {
  EXPECT_EQ(linear(0, 1).step, 0.2);  // quarter 0.25
  EXPECT_EQ(linear(0, 1).mintick, 4);
  EXPECT_EQ(linear(-1, 1).step, 0.5);  // quarter 0.5 itself
  EXPECT_EQ(linear(-1, 1).mintick, 5);
  EXPECT_EQ(linear(0, 3.9).step, 0.5);
  EXPECT_EQ(linear(350, 150).step, 50);  // either order
  EXPECT_EQ(linear(-700, 20).expo, 2);   // middle -340
  expectValues(linear(1e6, 1e6 + 10).A, {1e6, 1e6 + 2, 1e6 + 4, 1e6 + 6, 1e6 + 8, 1e6 + 10}, 0);
}

TEST(AxisLinear, GridThroughZeroHasExactZero) {
  expectValues(linear(-1, 1).A, {-1, -0.5, 0, 0.5, 1}, 0);
  // 0.3 - 3 x 0.1 is -5.55e-17 in doubles; the snap makes it exactly +0.
  const Axis axis = linear(-1.00002, 1.00002, "0.1", "", "0.3");
  ASSERT_EQ(axis.A.size(), 21u);
  EXPECT_EQ(axis.A[10], 0.0);
  EXPECT_FALSE(std::signbit(axis.A[10]));
  EXPECT_NEAR(axis.A[9], -0.1, 1e-12);
}

TEST(AxisLinear, TriggerShiftsTheGridThroughItsValue) {
  const Axis axis = linear(0, 1, "", "", "0.25");
  ASSERT_EQ(axis.step, 0.2);
  expectValues(axis.A, {0.05, 0.25, 0.45, 0.65, 0.85});
  EXPECT_EQ(axis.A[1], 0.25);  // the grid passes through the trigger exactly

  // Below the range the trigger itself becomes the first candidate. Farther than 100
  // range lengths away it is ignored, as is text without a number.
  expectValues(linear(0, 10, "", "", "-991").A, {1, 3, 5, 7, 9});
  expectValues(linear(0, 10, "", "", "1001").A, {1, 3, 5, 7, 9});
  expectValues(linear(0, 10, "", "", "1011").A, {0, 2, 4, 6, 8, 10}, 0);
  expectValues(linear(0, 10, "", "", "x5").A, {0, 2, 4, 6, 8, 10}, 0);
}

TEST(AxisLinear, UserStringsOverrideStepMinorsAndLimits) {
  // A user step keeps the start computed for the automatic one (-4 here).
  expectValues(linear(0, 10, "3").A, {2, 5, 8}, 0);
  expectValues(linear(0, 10, "", "2").MA, {1, 3, 5, 7, 9}, 0);
  EXPECT_TRUE(linear(0, 10, "", "-7").MA.empty());
  EXPECT_EQ(linear(0, 10, "", "abc").MA.size(), 15u);
  // A runaway minor count is held at 1000 intervals per step.
  EXPECT_EQ(linear(0, 10, "", "99999999999999999999").MA.size(), 5u * 999u);
  const Axis limited = linear(0, 10, "", "", "", "3", "7");
  expectValues(limited.A, {4, 6}, 0);
  expectValues(limited.MA, {3, 3.5, 4.5, 5, 5.5, 6.5, 7}, 0);
  expectValues(linear(0, 10, "", "", "", "7", "3").A, {4, 6}, 0);  // swapped limits
  expectValues(linear(0, 10, "", "", "", " 5", "nope").A, {6, 8, 10}, 0);
}

TEST(AxisLinear, DecimalCommaFollowsTheLocale) {
  EXPECT_EQ(linear(0, 10, "2,5").step, 2);  // "C": the number ends at the comma
  EXPECT_EQ(linear(0, 10, "2.5").step, 2.5);
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr && std::setlocale(LC_NUMERIC, "de_DE.utf8") == nullptr)
    GTEST_SKIP() << "no German locale installed";
  const Axis comma = linear(0, 10, "2,5");
  const Axis point = linear(0, 10, "2.5");
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(comma.step, 2.5);
  EXPECT_EQ(point.step, 2.5);
}

TEST(AxisLinear, RefusedOrDegenerateInputGivesNoTicks) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  // "0.001" on 0..1: candidates -0.4 to 1.2 are 1600 steps, above the limit of 200.
  for (const Axis& axis : {linear(3, 3), linear(nan, 1), linear(0, inf), linear(-inf, inf), linear(0, 1, "0.001"),
                           linear(0, 10, "0"), linear(0, 10, "-2"), linear(-1e308, 1e308)}) {
    EXPECT_TRUE(axis.A.empty());
    EXPECT_TRUE(axis.MA.empty());
  }
  EXPECT_EQ(linear(-1e-5, 1 + 1e-5, "0.01").A.size(), 101u);  // 160 steps are fine
  // Overflowing or non-numeric steps leave the automatic one in place.
  EXPECT_EQ(linear(0, 10, "1e999").step, 2);
  EXPECT_EQ(linear(0, 10, "abc").step, 2);
  // Extreme but finite ranges still work.
  const Axis huge = linear(1e307, 1e308);
  EXPECT_EQ(huge.step, 2e307);
  EXPECT_GE(huge.A.size(), 4u);
  for (double v : huge.A) EXPECT_TRUE(v >= 1e307 && v <= 1e308);
  EXPECT_FALSE(linear(0, 1e-310).A.empty());
  EXPECT_FALSE(linear(0, 10, "", "", "1e300").A.empty());
}

// ---------------------------------------------------------------------------------------
// Logarithmic

TEST(AxisLog, ThreeDecadesHaveIntegerFactorMinors) {
  const Axis axis = logarithmic(1, 1000);
  EXPECT_EQ(axis.start, -1);
  EXPECT_EQ(axis.end, 3);
  EXPECT_EQ(axis.step, 1);
  expectValues(axis.A, {1, 10, 100, 1000}, 0);
  Values minors;
  for (double decade : {1.0, 10.0, 100.0})
    for (int f = 2; f <= 9; ++f) minors.push_back(f * decade);
  expectValues(axis.MA, minors, 0);
  EXPECT_EQ(axis.lmo, 1);

  // Two decades: factors in halves; 10 coincides with the major.
  const Axis narrow = logarithmic(50, 1);
  expectValues(narrow.A, {1, 10}, 0);
  minors.clear();
  for (double f = 1.5; f <= 10; f += 0.5) minors.push_back(f);
  for (int f = 15; f <= 45; f += 5) minors.push_back(f);
  expectValues(narrow.MA, minors, 0);
  EXPECT_EQ(logarithmic(2, 5).lmo, 0);  // no major at all
}

TEST(AxisLog, WideRangesStepSeveralDecadesWithoutMinors) {
  const Axis axis = logarithmic(0.5e-100, 2e100);  // decades -101..100: span 201
  EXPECT_EQ(axis.step, 20);
  EXPECT_EQ(axis.start, -120);
  ASSERT_EQ(axis.A.size(), 11u);
  for (std::size_t i = 0; i < axis.A.size(); ++i)
    EXPECT_NEAR(std::log10(axis.A[i]), -100.0 + 20.0 * static_cast<double>(i), 1e-9);
  EXPECT_TRUE(axis.MA.empty());
  // Ten decades between the candidates: factors 2, 4, 6, 8.
  EXPECT_EQ(logarithmic(1, 1e9).MA.size(), 9u * 4u);
}

TEST(AxisLog, UserStepMinorsAndLimits) {
  expectValues(logarithmic(1, 100, "", "4").MA, {2.5, 5, 7.5, 25, 50, 75});
  EXPECT_EQ(logarithmic(1, 100, "", "101").MA.size(), logarithmic(1, 100).MA.size());

  // Two decades per step from -1: majors at 10, 1000, 100000 with their own minors.
  const Axis stepped = logarithmic(1, 1e6, "2");
  expectValues(stepped.A, {10, 1000, 100000}, 0);
  EXPECT_EQ(stepped.MA.size(), 3u * 8u);

  const Axis limited = logarithmic(1, 1000, "", "", "5", "500");
  expectValues(limited.A, {10, 100}, 0);
  expectValues(limited.MA, {6, 7, 8, 9, 20, 30, 40, 50, 60, 70, 80, 90, 200, 300, 400}, 0);
}

TEST(AxisLog, RefusedRangesAndStepsGiveNoTicks) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (const Axis& axis : {logarithmic(0, 10), logarithmic(-1, 10), logarithmic(10, -5), logarithmic(7, 7),
                           logarithmic(nan, 10), logarithmic(1, inf), logarithmic(1, 1000, "-1"),
                           logarithmic(1, 1000, "0"), logarithmic(1e-300, 1e300, "1e-9")}) {
    EXPECT_TRUE(axis.A.empty());
    EXPECT_TRUE(axis.MA.empty());
    EXPECT_EQ(axis.lmo, 0);
  }
}

// ---------------------------------------------------------------------------------------
// Time

constexpr const char* kDateFormat = "%Y-%m-%d %H:%M:%S";
constexpr double kReference = 978307200.0;  // 2001-01-01 00:00:00 GMT as a Unix time
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

constexpr const char* kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";

// A local wall-clock date as seconds since the reference date.
double local(int year, int month, int day, int hour = 0) {
  struct tm tm {};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_isdst = -1;
  return static_cast<double>(mktime(&tm)) - kReference;
}

struct tm localFields(double t) {
  const time_t unix = static_cast<time_t>(t + kReference);
  struct tm tm {};
  localtime_r(&unix, &tm);
  return tm;
}

Axis timeAxis(double a, double b, const std::string& space = "", const std::string& minticks = "",
              const std::string& lo = "", const std::string& hi = "") {
  Axis axis;
  axis.initForTimeWithRange(a, b, lo, hi, space, minticks, kDateFormat);
  return axis;
}

TEST(AxisTime, HundredSecondsStepByTwenty) {
  TimeZone zone("UTC0");
  const Axis axis = timeAxis(0, 100);
  EXPECT_EQ(axis.step, 20);
  EXPECT_EQ(axis.mintick, 5);
  EXPECT_EQ(axis.format, "%M:%S");
  EXPECT_EQ(axis.dxy, 8);
  expectValues(axis.A, {0, 20, 40, 60, 80, 100}, 0);
  Values minors;
  for (int s = 4; s < 100; s += 4)
    if (s % 20 != 0) minors.push_back(s);
  expectValues(axis.MA, minors, 0);
}

TEST(AxisTime, AutomaticRuleFollowsTheRangeLength) {
  TimeZone zone("UTC0");
  struct Case {
    double length, step, mintick;
    const char* format;
  };
  // Each just below or at 8 times a test interval.
  const Case cases[] = {{7, 1, 5, "%M:%S"},         {8, 2, 4, "%M:%S"},
                        {100000, 14400, 4, "%H:%M"}, {3000 * kDay, 63072000, 1, "%d.%m.%y"},
                        {200000 * kDay, 3153600000, 4, "%Y"}};
  for (const Case& c : cases) {
    const Axis axis = timeAxis(1000, 1000 + c.length);
    EXPECT_EQ(axis.step, c.step) << c.length;
    EXPECT_EQ(axis.mintick, c.mintick) << c.length;
    EXPECT_EQ(axis.format, c.format) << c.length;
  }
}

TEST(AxisTime, NumericStepsInSecondsAndColonForms) {
  TimeZone zone("UTC0");
  // Automatic step 3 puts the start at 99; snapping to the whole minute moves it to 60,
  // so a 7 s grid runs 60, 67, ...
  expectValues(timeAxis(100, 120, "7").A, {102, 109, 116}, 0);
  EXPECT_EQ(timeAxis(0, 1000, "1:30").step, 90);
  EXPECT_EQ(timeAxis(0, 1000, "1:30").A.size(), 12u);
  EXPECT_EQ(timeAxis(0, 1000, "1:0:0").step, 3600);
  EXPECT_EQ(timeAxis(0, 1000, "2:3:4:5").step, 2 * kDay + 3 * 3600 + 4 * 60 + 5);
  // Five parts or a part without a number: the automatic step stays.
  EXPECT_EQ(timeAxis(0, 1000, "1:2:3:4:5").step, 180);
  EXPECT_EQ(timeAxis(0, 1000, "1:x").step, 180);
  EXPECT_TRUE(timeAxis(0, 1000, "-5").A.empty());
  // The minor count.
  expectValues(timeAxis(0, 100, "", "2").MA, {10, 30, 50, 70, 90}, 0);
  EXPECT_TRUE(timeAxis(0, 100, "", "0").MA.empty());
  EXPECT_EQ(timeAxis(0, 100, "", "1000000").mintick, 1000);
}

TEST(AxisTime, YearRangeHasMonthlyMajorsAtLocalMidnightAcrossDaylightSaving) {
  TimeZone zone(kBerlin);
  const Axis axis = timeAxis(local(2023, 1, 10), local(2024, 1, 10));
  EXPECT_EQ(axis.step, 5184000);
  EXPECT_EQ(axis.format, "%d.%m.%y");
  Values majors, minors;
  for (int m = 2; m <= 13; ++m) majors.push_back(local(2023, m, 1));
  for (int m = 1; m <= 12; ++m) minors.insert(minors.end(), {local(2023, m, 11), local(2023, m, 21)});
  expectValues(axis.A, majors, 0);
  expectValues(axis.MA, minors, 0);
}

TEST(AxisTime, MonthStepsFollowMonthLengths) {
  TimeZone zone("UTC0");
  const Axis axis = timeAxis(local(2023, 1, 10), local(2023, 6, 10), "M", "3");
  EXPECT_EQ(axis.step, 2592000);
  Values majors;
  for (int m = 2; m <= 6; ++m) majors.push_back(local(2023, m, 1));
  expectValues(axis.A, majors, 0);
  // Thirty days after 1 February is 3 March; after 1 April it is 1 May.
  const Values minors = {local(2023, 1, 11), local(2023, 1, 21), local(2023, 1, 31), local(2023, 2, 11),
                         local(2023, 2, 21), local(2023, 3, 3),  local(2023, 3, 11), local(2023, 3, 21),
                         local(2023, 3, 31), local(2023, 4, 11), local(2023, 4, 21), local(2023, 5, 1),
                         local(2023, 5, 11), local(2023, 5, 21), local(2023, 5, 31)};
  expectValues(axis.MA, minors, 0);
}

TEST(AxisTime, TenDayRuleStepsByCalendarDaysAcrossDaylightSaving) {
  TimeZone zone(kBerlin);
  const Axis axis = timeAxis(local(2023, 3, 1), local(2023, 4, 30));  // 60 days less an hour
  EXPECT_EQ(axis.step, 864000);
  EXPECT_EQ(axis.mintick, 5);
  // Every tenth day from 1 January: day-of-year 60, 70, ... is 2 March, 12 March, ...
  expectValues(axis.A,
               {local(2023, 3, 2), local(2023, 3, 12), local(2023, 3, 22), local(2023, 4, 1), local(2023, 4, 11),
                local(2023, 4, 21)},
               0);
  Values minors;
  for (int d = 60; d <= 118; d += 2) minors.push_back(local(2023, 1, 1 + d));
  expectValues(axis.MA, minors, 0);
}

TEST(AxisTime, WeekFormAnchorsOnTheWeekday) {
  TimeZone zone("UTC0");
  // Start candidate 30 January 2023; 1 January 2023 is a Sunday, back to Monday 26
  // December 2022, then every 14 days.
  const Axis axis = timeAxis(local(2023, 2, 1), local(2023, 4, 1), "2w1");
  EXPECT_EQ(axis.step, 1209600);
  EXPECT_EQ(axis.mintick, 1);
  EXPECT_EQ(axis.format, "%d.%m\n%H:%M");  // the automatic rule's
  expectValues(axis.A, {local(2023, 2, 6), local(2023, 2, 20), local(2023, 3, 6), local(2023, 3, 20)}, 0);
  expectValues(axis.MA, {local(2023, 2, 13), local(2023, 2, 27), local(2023, 3, 13), local(2023, 3, 27)}, 0);
  expectValues(timeAxis(local(2023, 2, 1), local(2023, 4, 1), "2W1").A, axis.A, 0);

  // Sunday anchor and one-week steps with daily minors.
  const Axis weekly = timeAxis(local(2023, 2, 1), local(2023, 2, 28), "1w");
  EXPECT_EQ(weekly.step, 604800);
  expectValues(weekly.A, {local(2023, 2, 5), local(2023, 2, 12), local(2023, 2, 19), local(2023, 2, 26)}, 0);
  EXPECT_EQ(weekly.MA.size(), 28u);  // every day of February
}

TEST(AxisTime, WeekFormFallsBackForOutOfRangeParts) {
  TimeZone zone("UTC0");
  EXPECT_EQ(timeAxis(0, 1000, "9999w9").step, 604800);  // one week
  EXPECT_EQ(timeAxis(0, 1000, "1w2w3").step, 1);        // no week form: 1 second
  // Weekday 9 counts as Monday.
  const Axis axis = timeAxis(local(2023, 2, 1), local(2023, 4, 1), "1w9");
  ASSERT_FALSE(axis.A.empty());
  for (double v : axis.A) EXPECT_EQ(localFields(v).tm_wday, 1);
}

TEST(AxisTime, YearStepsAlignOnMultiplesOfTheirYears) {
  TimeZone zone("UTC0");
  // The start candidate falls in 1999, so the two-year grid moves back to 1998.
  const Axis axis = timeAxis(local(1999, 3, 1), local(2005, 3, 1), "2y");
  EXPECT_EQ(axis.step, 63072000);
  expectValues(axis.A, {local(2000, 1, 1), local(2002, 1, 1), local(2004, 1, 1)}, 0);
  expectValues(axis.MA, {local(2001, 1, 1), local(2003, 1, 1), local(2005, 1, 1)}, 0);

  const Axis century = timeAxis(local(1650, 6, 1), local(2150, 6, 1));
  EXPECT_EQ(century.format, "%Y");
  ASSERT_FALSE(century.A.empty());
  for (double v : century.A) EXPECT_EQ((localFields(v).tm_year + 1900) % 100, 0);
}

TEST(AxisTime, DateLimitsUseTheUserDateFormat) {
  TimeZone zone("UTC0");
  const Axis axis = timeAxis(local(2023, 1, 10), local(2024, 1, 10), "", "", "2023-04-15", "2023-07-01 00:00:00");
  expectValues(axis.A, {local(2023, 5, 1), local(2023, 6, 1), local(2023, 7, 1)}, 0);
  // Unreadable dates count as the reference date: here the window shrinks to 100..100.
  expectValues(timeAxis(100, 200, "", "", "", "zzz").A, {100}, 0);
  EXPECT_EQ(timeAxis(100, 200, "", "", "zzz").A.size(), 6u);
}

TEST(AxisTime, RefusedRangesGiveNoTicks) {
  TimeZone zone("UTC0");
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const Axis& axis : {timeAxis(5, 5), timeAxis(0, 1.1e11), timeAxis(-2e11, 0), timeAxis(nan, 10),
                           timeAxis(0, 1e11, "1"), timeAxis(0, 100, "1e300"), timeAxis(0, 100, "1e-300")}) {
    EXPECT_TRUE(axis.A.empty());
    EXPECT_TRUE(axis.MA.empty());
  }
  // The widest accepted range still gets ticks.
  EXPECT_FALSE(timeAxis(-1e11, 1e11).A.empty());
}

}  // namespace
}  // namespace xyla
