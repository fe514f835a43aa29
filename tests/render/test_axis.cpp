// Tick lists of the three axis scales: the automatic step choice, the user's overrides,
// the calendar stepping of time axes (month lengths, daylight saving time, weekday
// anchors) and inputs that must yield no ticks rather than a crash or a hang.
#include "render/axis.h"
#include "support/time_zone.h"

#include <gtest/gtest.h>

#include <time.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace xyla {
namespace {

using test::TimeZone;

using Values = std::vector<double>;
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void expectValues(const Values& got, const Values& want, double tolerance = 0) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], tolerance) << "index " << i;
}

void expectNoTicks(const Axis& axis) {
  EXPECT_TRUE(axis.A.empty());
  EXPECT_TRUE(axis.MA.empty());
}

// One row of a tick table: the majors and, when given, the minors an axis must have.
struct Ticks {
  Axis axis;
  Values majors;
  std::optional<Values> minors;
  const char* why = "";
};

void expectTicks(std::initializer_list<Ticks> rows, double tolerance = 0) {
  for (const Ticks& row : rows) {
    SCOPED_TRACE(row.why);
    expectValues(row.axis.A, row.majors, tolerance);
    if (row.minors) expectValues(row.axis.MA, *row.minors, tolerance);
  }
}

// Arguments in the order a user thinks of them: step, minor count, trigger, limits.
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

TEST(AxisLinear, StepIsLargestOneTwoFiveNotAboveAQuarter) {
  struct Case { Axis axis; double step, mintick; };
  const Case cases[] = {{linear(0, 10), 2, 4},    {linear(0, 1), 0.2, 4},   {linear(-1, 1), 0.5, 5},
                        {linear(0, 3.9), 0.5, 5}, {linear(350, 150), 50, 5}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.axis.step, c.step) << c.axis.min << ".." << c.axis.max;
    EXPECT_EQ(c.axis.mintick, c.mintick) << c.axis.min << ".." << c.axis.max;
  }
  EXPECT_EQ(linear(0, 10).expo, 0);     // middle 5
  EXPECT_EQ(linear(-700, 20).expo, 2);  // middle -340
}

TEST(AxisLinear, TicksFollowRangeTriggerAndUserStrings) {
  const Values byTwo = {0, 2, 4, 6, 8, 10}, odd = {1, 3, 5, 7, 9};
  Values halves;  // half units between the majors of 0..10
  for (int i = 1; i < 20; ++i)
    if (i % 4 != 0) halves.push_back(i * 0.5);
  expectTicks({{linear(0, 10), byTwo, halves, "plain"},
               {linear(-0.0001, 10.0001), byTwo, {}, "a slightly widened range keeps the ticks"},
               {linear(1e6, 1e6 + 10), {1e6, 1e6 + 2, 1e6 + 4, 1e6 + 6, 1e6 + 8, 1e6 + 10}, {}, "far from zero"},
               {linear(-1, 1), {-1, -0.5, 0, 0.5, 1}, {}, "through zero"},
               {linear(0, 1, "", "", "0.25"), {0.05, 0.25, 0.45, 0.65, 0.85}, {}, "grid through the trigger"},
               {linear(0, 10, "", "", "-991"), odd, {}, "trigger below the range, within 100 lengths"},
               {linear(0, 10, "", "", "1001"), odd, {}, "trigger above the range, within 100 lengths"},
               {linear(0, 10, "", "", "1011"), byTwo, {}, "trigger too far away"},
               {linear(0, 10, "", "", "x5"), byTwo, {}, "trigger not a number"},
               {linear(0, 10, "3"), {2, 5, 8}, {}, "a user step keeps the automatic start (-4)"},
               {linear(0, 10, "", "2"), byTwo, odd, "two minor intervals"},
               {linear(0, 10, "", "abc"), byTwo, halves, "unreadable minor count"},
               {linear(0, 10, "", "-7"), byTwo, Values{}, "negative minor count"},
               {linear(0, 10, "", "", "", "3", "7"), {4, 6}, Values{3, 3.5, 4.5, 5, 5.5, 6.5, 7}, "limits"},
               {linear(0, 10, "", "", "", "7", "3"), {4, 6}, {}, "swapped limits"},
               {linear(0, 10, "", "", "", " 5", "nope"), {6, 8, 10}, {}, "unreadable upper limit"}},
              1e-12);
  EXPECT_EQ(linear(0, 1, "", "", "0.25").A[1], 0.25);  // exactly, not merely near
  // A runaway minor count is held at 1000 intervals per step.
  EXPECT_EQ(linear(0, 10, "", "99999999999999999999").MA.size(), 5u * 999u);
}

TEST(AxisLinear, GridThroughZeroHasExactPositiveZero) {
  // 0.3 - 3 x 0.1 is -5.55e-17 in doubles; the snap makes it exactly +0.
  const Axis axis = linear(-1.00002, 1.00002, "0.1", "", "0.3");
  ASSERT_EQ(axis.A.size(), 21u);
  EXPECT_EQ(axis.A[10], 0.0);
  EXPECT_FALSE(std::signbit(axis.A[10]));
  EXPECT_NEAR(axis.A[9], -0.1, 1e-12);
  EXPECT_EQ(linear(-1, 1).A[2], 0.0);
}

TEST(AxisLinear, DecimalCommaFollowsTheLocale) {
  EXPECT_EQ(linear(0, 10, "2,5").step, 2);  // "C": the number ends at the comma
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE.utf8"))
    GTEST_SKIP() << "no German locale installed";
  const double comma = linear(0, 10, "2,5").step, point = linear(0, 10, "2.5").step;
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(comma, 2.5);
  EXPECT_EQ(point, 2.5);
}

TEST(AxisLinear, RefusedOrExtremeInput) {
  // "0.001" on 0..1: candidates -0.4 to 1.2 are 1600 steps, above the limit of 200.
  for (const Axis& axis : {linear(3, 3), linear(kNan, 1), linear(0, kInf), linear(-kInf, kInf), linear(0, 1, "0.001"),
                           linear(0, 10, "0"), linear(0, 10, "-2"), linear(-1e308, 1e308)})
    expectNoTicks(axis);
  EXPECT_EQ(linear(-1e-5, 1 + 1e-5, "0.01").A.size(), 101u);  // 160 steps are fine
  // Overflowing or non-numeric steps leave the automatic one in place.
  EXPECT_EQ(linear(0, 10, "1e999").step, 2);
  EXPECT_EQ(linear(0, 10, "abc").step, 2);
  const Axis huge = linear(1e307, 1e308);
  EXPECT_EQ(huge.step, 2e307);
  EXPECT_GE(huge.A.size(), 4u);
  for (double v : huge.A) EXPECT_TRUE(v >= 1e307 && v <= 1e308);
  EXPECT_FALSE(linear(0, 1e-310).A.empty());
  EXPECT_FALSE(linear(0, 10, "", "", "1e300").A.empty());
}

// ---------------------------------------------------------------------------------------
// Logarithmic

TEST(AxisLog, DecadeMajorsWithFactorMinors) {
  Values three, two;  // minors of three decades (integer factors) and of two (halves)
  for (double decade : {1.0, 10.0, 100.0})
    for (int f = 2; f <= 9; ++f) three.push_back(f * decade);
  for (double f = 1.5; f <= 10; f += 0.5) two.push_back(f);  // 10 coincides with the major
  for (int f = 15; f <= 45; f += 5) two.push_back(f);
  expectTicks({{logarithmic(1, 1000), {1, 10, 100, 1000}, three, "three decades"},
               {logarithmic(50, 1), {1, 10}, two, "two decades, either order"},
               {logarithmic(1, 100, "", "4"), {1, 10, 100}, Values{2.5, 5, 7.5, 25, 50, 75}, "four minor intervals"},
               {logarithmic(1, 1e6, "2"), {10, 1000, 100000}, {}, "two decades per step from -1"},
               {logarithmic(1, 1000, "", "", "5", "500"), {10, 100},
                Values{6, 7, 8, 9, 20, 30, 40, 50, 60, 70, 80, 90, 200, 300, 400}, "limits"}},
              1e-12);
  EXPECT_EQ(logarithmic(1, 1000).step, 1);
  EXPECT_EQ(logarithmic(1, 1000).lmo, 1);
  EXPECT_EQ(logarithmic(2, 5).lmo, 0);  // no major at all
  EXPECT_EQ(logarithmic(1, 1e6, "2").MA.size(), 3u * 8u);
  EXPECT_EQ(logarithmic(1, 100, "", "101").MA.size(), logarithmic(1, 100).MA.size());
  // Ten decades between the candidates: factors 2, 4, 6, 8.
  EXPECT_EQ(logarithmic(1, 1e9).MA.size(), 9u * 4u);
}

TEST(AxisLog, WideRangesStepSeveralDecadesWithoutMinors) {
  const Axis axis = logarithmic(0.5e-100, 2e100);  // decades -101..100: span 201
  EXPECT_EQ(axis.step, 20);
  ASSERT_EQ(axis.A.size(), 11u);
  for (std::size_t i = 0; i < axis.A.size(); ++i) EXPECT_NEAR(std::log10(axis.A[i]), -100.0 + 20.0 * double(i), 1e-9);
  EXPECT_TRUE(axis.MA.empty());
}

TEST(AxisLog, RefusedRangesAndStepsGiveNoTicks) {
  for (const Axis& axis : {logarithmic(0, 10), logarithmic(-1, 10), logarithmic(10, -5), logarithmic(7, 7),
                           logarithmic(kNan, 10), logarithmic(1, kInf), logarithmic(1, 1000, "-1"),
                           logarithmic(1, 1000, "0"), logarithmic(1e-300, 1e300, "1e-9")}) {
    expectNoTicks(axis);
    EXPECT_EQ(axis.lmo, 0);
  }
}

// ---------------------------------------------------------------------------------------
// Time

constexpr double kReference = 978307200.0;  // 2001-01-01 00:00:00 GMT as a Unix time
constexpr double kDay = 86400.0;
constexpr const char* kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";


// A local wall-clock date as seconds since the reference date (days and months beyond
// their ends carry over, as in mktime).
double local(int year, int month, int day) {
  struct tm tm {};
  tm.tm_year = year - 1900, tm.tm_mon = month - 1, tm.tm_mday = day, tm.tm_isdst = -1;
  return double(mktime(&tm)) - kReference;
}

// `n` local midnights from year-month-day, each `months` months and `days` days on.
Values dates(int year, int month, int day, int n, int months, int days) {
  Values v;
  for (int i = 0; i < n; ++i) v.push_back(local(year, month + i * months, day + i * days));
  return v;
}

Axis timeAxis(double a, double b, const std::string& space = "", const std::string& minticks = "",
              const std::string& lo = "", const std::string& hi = "") {
  Axis axis;
  axis.initForTimeWithRange(a, b, lo, hi, space, minticks, "%Y-%m-%d %H:%M:%S");
  return axis;
}

TEST(AxisTime, AutomaticRuleFollowsTheRangeLength) {
  TimeZone zone("UTC0");
  struct Case { double length, step, mintick; const char* format; };
  // Each just below or at 8 times a test interval.
  const Case cases[] = {{7, 1, 5, "%M:%S"}, {8, 2, 4, "%M:%S"}, {100, 20, 5, "%M:%S"}, {100000, 14400, 4, "%H:%M"},
                        {3000 * kDay, 63072000, 1, "%d.%m.%y"}, {200000 * kDay, 3153600000, 4, "%Y"}};
  for (const Case& c : cases) {
    const Axis axis = timeAxis(1000, 1000 + c.length);
    EXPECT_EQ(axis.step, c.step) << c.length;
    EXPECT_EQ(axis.mintick, c.mintick) << c.length;
    EXPECT_EQ(axis.format, c.format) << c.length;
  }
  const Axis axis = timeAxis(0, 100);
  expectValues(axis.A, {0, 20, 40, 60, 80, 100});
  Values minors;
  for (int s = 4; s < 100; s += 4)
    if (s % 20 != 0) minors.push_back(s);
  expectValues(axis.MA, minors);
}

TEST(AxisTime, NumericStepsAndMinorCounts) {
  TimeZone zone("UTC0");
  const std::pair<const char*, double> cases[] = {
      {"1:30", 90}, {"1:0:0", 3600}, {"2:3:4:5", 2 * kDay + 3 * 3600 + 4 * 60 + 5},
      {"1:2:3:4:5", 180}, {"1:x", 180},  // five parts, or a part without a number: automatic
      {"9999w9", 604800},                // out-of-range week count: one week
      {"1w2w3", 1}};                     // no week form: 1 second
  for (const auto& [space, step] : cases) EXPECT_EQ(timeAxis(0, 1000, space).step, step) << space;
  EXPECT_EQ(timeAxis(0, 1000, "1:30").A.size(), 12u);
  // Automatic step 3 puts the start at 99; snapping to the whole minute moves it to 60,
  // so a 7 s grid runs 60, 67, ...
  expectValues(timeAxis(100, 120, "7").A, {102, 109, 116});
  EXPECT_TRUE(timeAxis(0, 1000, "-5").A.empty());
  expectValues(timeAxis(0, 100, "", "2").MA, {10, 30, 50, 70, 90});
  EXPECT_TRUE(timeAxis(0, 100, "", "0").MA.empty());
  EXPECT_EQ(timeAxis(0, 100, "", "1000000").mintick, 1000);
}

TEST(AxisTime, CalendarStepsKeepLocalMidnightAcrossDaylightSaving) {
  TimeZone zone(kBerlin);
  const Axis year = timeAxis(local(2023, 1, 10), local(2024, 1, 10));
  const Axis days = timeAxis(local(2023, 3, 1), local(2023, 4, 30));  // 60 days less an hour
  EXPECT_EQ(year.step, 5184000);
  EXPECT_EQ(year.format, "%d.%m.%y");
  EXPECT_EQ(days.step, 864000);
  EXPECT_EQ(days.mintick, 5);
  Values on11and21 = dates(2023, 1, 11, 12, 1, 0), on21 = dates(2023, 1, 21, 12, 1, 0);
  on11and21.insert(on11and21.end(), on21.begin(), on21.end());
  std::sort(on11and21.begin(), on11and21.end());
  // Ten-day steps count from 1 January: day-of-year 60, 70, ... is 2 March, 12 March, ...
  expectTicks({{year, dates(2023, 2, 1, 12, 1, 0), on11and21, "monthly"},
               {days, dates(2023, 1, 61, 6, 0, 10), dates(2023, 1, 61, 30, 0, 2), "every ten days"}});
}

TEST(AxisTime, MonthWeekAndYearSteps) {
  TimeZone zone("UTC0");
  const Axis months = timeAxis(local(2023, 1, 10), local(2023, 6, 10), "M", "3");
  // 1 January 2023 is a Sunday: "2w1" anchors on Monday 26 December 2022, before the
  // start candidate 30 January, then steps by 14 days.
  const Axis weeks = timeAxis(local(2023, 2, 1), local(2023, 4, 1), "2w1");
  const Axis years = timeAxis(local(1999, 3, 1), local(2005, 3, 1), "2y");  // start candidate in 1999
  EXPECT_EQ(months.step, 2592000);
  EXPECT_EQ(weeks.step, 1209600);
  EXPECT_EQ(weeks.mintick, 1);
  EXPECT_EQ(weeks.format, "%d.%m\n%H:%M");  // the automatic rule's
  EXPECT_EQ(years.step, 63072000);
  // Month minors every ten days from each major: thirty days after 1 February is
  // 3 March, after 1 April it is 1 May.
  const Values monthMinors = {local(2023, 1, 11), local(2023, 1, 21), local(2023, 1, 31), local(2023, 2, 11),
                              local(2023, 2, 21), local(2023, 3, 3),  local(2023, 3, 11), local(2023, 3, 21),
                              local(2023, 3, 31), local(2023, 4, 11), local(2023, 4, 21), local(2023, 5, 1),
                              local(2023, 5, 11), local(2023, 5, 21), local(2023, 5, 31)};
  expectTicks({{months, dates(2023, 2, 1, 5, 1, 0), monthMinors, "months"},
               {weeks, dates(2023, 2, 6, 4, 0, 14), dates(2023, 2, 13, 4, 0, 14), "two weeks from Monday"},
               {timeAxis(local(2023, 2, 1), local(2023, 4, 1), "2W1"), weeks.A, {}, "capital W"},
               {timeAxis(local(2023, 2, 1), local(2023, 2, 28), "1w"), dates(2023, 2, 5, 4, 0, 7), {}, "from Sunday"},
               {years, dates(2000, 1, 1, 3, 24, 0), dates(2001, 1, 1, 3, 24, 0), "two years, aligned on 1998"},
               {timeAxis(local(1650, 6, 1), local(2150, 6, 1)), dates(1700, 1, 1, 5, 1200, 0), {}, "centuries"}});
  EXPECT_EQ(timeAxis(local(2023, 2, 1), local(2023, 2, 28), "1w").MA.size(), 28u);  // every day of February
  // Weekday 9 counts as Monday (2 January 2023 was one).
  const Axis nine = timeAxis(local(2023, 2, 1), local(2023, 4, 1), "1w9");
  ASSERT_FALSE(nine.A.empty());
  for (double v : nine.A) EXPECT_EQ(std::fmod(v - local(2023, 1, 2), 7 * kDay), 0) << v;
}

TEST(AxisTime, DateLimitsAndRefusedRanges) {
  TimeZone zone("UTC0");
  const Axis axis = timeAxis(local(2023, 1, 10), local(2024, 1, 10), "", "", "2023-04-15", "2023-07-01 00:00:00");
  expectValues(axis.A, dates(2023, 5, 1, 3, 1, 0));
  // Unreadable dates count as the reference date: here the window shrinks to 100..100.
  expectValues(timeAxis(100, 200, "", "", "", "zzz").A, {100});
  EXPECT_EQ(timeAxis(100, 200, "", "", "zzz").A.size(), 6u);
  for (const Axis& refused : {timeAxis(5, 5), timeAxis(0, 1.1e11), timeAxis(-2e11, 0), timeAxis(kNan, 10),
                              timeAxis(0, 1e11, "1"), timeAxis(0, 100, "1e300"), timeAxis(0, 100, "1e-300")})
    expectNoTicks(refused);
  EXPECT_FALSE(timeAxis(-1e11, 1e11).A.empty());  // the widest accepted range
}

}  // namespace
}  // namespace xyla
