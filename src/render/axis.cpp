#include "render/axis.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <clocale>
#include <cmath>
#include <optional>
#include <string_view>

#include "model/calendar.h"
#include "model/time_format.h"

namespace xyla {

namespace {

// ---------------------------------------------------------------------------------------
// Reading the user strings

// Minor counts from the user are clamped to this range. Zero and negative counts mean
// "no minor ticks" in every loop below, so the lower clamp changes nothing; the upper one
// keeps a typo such as "100000000" from filling memory (at most 1000 minors per major).
constexpr long long kMaxMinorCount = 1000;

// True for a decimal separator: the point always, the comma when the user's locale
// writes numbers with one.
bool isDecimalSeparator(char c) {
  if (c == '.') return true;
  if (c != ',') return false;
  const std::lconv* lc = std::localeconv();
  return lc != nullptr && lc->decimal_point != nullptr && lc->decimal_point[0] == ',';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t skipBlanks(std::string_view s, std::size_t i) {
  while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  return i;
}

// Appends the digits at s[i...] to `out`; answers the index after them.
std::size_t takeDigits(std::string_view s, std::size_t i, std::string& out) {
  while (i < s.size() && isDigit(s[i])) out.push_back(s[i++]);
  return i;
}

// The number at the start of `s` (after blanks): sign, digits with one decimal separator,
// optional exponent. Nothing when the text does not start with a number or the number
// does not fit in a double.
std::optional<double> scanNumber(std::string_view s) {
  std::string text;
  std::size_t i = skipBlanks(s, 0);
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
    if (s[i] == '-') text.push_back('-');
    ++i;
  }
  const std::size_t before = text.size();
  i = takeDigits(s, i, text);
  std::size_t digits = text.size() - before;
  if (i < s.size() && isDecimalSeparator(s[i])) {
    text.push_back('.');
    const std::size_t mark = text.size();
    i = takeDigits(s, i + 1, text);
    digits += text.size() - mark;
  }
  if (digits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < s.size() && (s[j] == '-' || s[j] == '+')) exponent.push_back(s[j++]);
    if (j < s.size() && isDigit(s[j])) {
      takeDigits(s, j, exponent);
      if (exponent[1] == '+') exponent.erase(1, 1);
      text += exponent;
    }
  }
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || ptr != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

// The integer at the start of `s` (after blanks), saturating far beyond any useful count.
// Nothing when the text does not start with an integer.
std::optional<long long> scanInteger(std::string_view s) {
  std::size_t i = skipBlanks(s, 0);
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  if (i >= s.size() || !isDigit(s[i])) return std::nullopt;
  long long value = 0;
  for (; i < s.size() && isDigit(s[i]); ++i) value = std::min(value * 10 + (s[i] - '0'), 1000000000000LL);
  return negative ? -value : value;
}

double minorCount(long long n) { return static_cast<double>(std::clamp(n, 0LL, kMaxMinorCount)); }

// ---------------------------------------------------------------------------------------
// The common filter: inside the range and inside the user's limits.

struct Window {
  double min, max, lo, hi;
  bool admits(double v) const { return v >= min && v <= max && v >= lo && v <= hi; }
  double lower() const { return std::max(min, lo); }
  double upper() const { return std::min(max, hi); }
};

Window makeWindow(const Axis& axis, double lo, double hi) {
  if (hi < lo) std::swap(lo, hi);
  return {axis.min, axis.max, lo, hi};
}

// Limits from numbers: an empty or non-numeric string keeps the range end.
Window numericWindow(const Axis& axis, double a, double b, const std::string& scalstart, const std::string& scalend) {
  return makeWindow(axis, scanNumber(scalstart).value_or(a), scanNumber(scalend).value_or(b));
}

void addIfAdmitted(std::vector<double>& list, const Window& window, double v) {
  if (window.admits(v)) list.push_back(v);
}

void setRange(Axis& axis, double a, double b) {
  axis.min = std::min(a, b);
  axis.max = std::max(a, b);
  axis.fmin = std::min(std::fabs(a), std::fabs(b));
  axis.fmax = std::max(std::fabs(a), std::fabs(b));
}

// c x 10^n, exact when the power is and correctly rounded otherwise as far as the
// library allows (dividing by an exact power beats multiplying by an inexact one).
double scaled(double c, int n) {
  static constexpr double kExact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  if (n >= 0 && n <= 22) return c * kExact[n];
  if (n < 0 && n >= -22) return c / kExact[-n];
  return c * std::pow(10.0, n);
}

// ---------------------------------------------------------------------------------------
// Linear scale

// Largest 1-2-5 step not above a quarter of the range, tried from ten times the decade
// above the larger end downward, 100 decades deep.
void chooseLinearStep(Axis& axis) {
  const double r = (axis.max - axis.min) / axis.dxy;
  const int e = static_cast<int>(std::floor(std::log10(axis.fmax))) + 1;  // P = 10^e
  if (!(r < scaled(10.0, e))) {
    axis.step = (axis.max - axis.min) / 4.0;
    return;
  }
  struct Candidate {
    double digit;
    int shift;
    double minors;
  };
  static constexpr Candidate kCandidates[] = {{1.0, 1, 5.0}, {5.0, 0, 5.0}, {2.0, 0, 4.0}};
  for (int i = 0; i < 100; ++i) {
    for (const Candidate& c : kCandidates) {
      axis.step = scaled(c.digit, e + c.shift - i);
      if (axis.step <= r) {
        axis.mintick = c.minors;
        return;
      }
    }
  }
}

// The tick grid is origin + j x step for integer j from `first`, so rounding never
// accumulates along the axis.
struct Grid {
  double origin;
  double first;
};

// Moves the grid so that it passes through the trigger value. A value too far from the
// range (or no number at all) leaves the grid alone.
Grid triggerGrid(Axis& axis, const std::string& trigger) {
  Grid grid{axis.start, 0.0};
  if (trigger.empty()) return grid;
  const std::optional<double> t = scanNumber(trigger);
  const double span = axis.max - axis.min;
  if (!t || *t < axis.min - 100.0 * span || *t > axis.max + 100.0 * span) return grid;
  grid.origin = *t;
  if (*t >= axis.min) {
    // Smallest n >= 1 with T - n x step below the range.
    double n = std::max(1.0, std::floor((*t - axis.min) / axis.step));
    while (n > 1.0 && *t - (n - 1.0) * axis.step < axis.min) n -= 1.0;
    while (*t - n * axis.step >= axis.min) n += 1.0;
    grid.first = -n;
  }
  axis.start = grid.origin + grid.first * axis.step;
  return grid;
}

void linearTicks(Axis& axis, const Window& window, const Grid& grid) {
  for (double j = grid.first;; j += 1.0) {
    double v = grid.origin + j * axis.step;
    if (!(v <= axis.end)) break;
    if (std::fabs(v) < axis.step / 1000.0) v = 0.0;
    addIfAdmitted(axis.A, window, v);
    if (v > window.upper() || v + 2.0 * axis.step < window.lower()) continue;  // minors all filtered
    for (double k = 1.0; k < axis.mintick; k += 1.0) addIfAdmitted(axis.MA, window, v + k * axis.step / axis.mintick);
  }
}

// ---------------------------------------------------------------------------------------
// Logarithmic scale

// More decade steps than this refuse the axis: only a tiny user step gets there, and it
// would draw a solid band while taking unbounded time.
constexpr double kMaxLogSteps = 10000.0;

double decadeStep(double span) {
  if (span > 1000) return 100;
  if (span > 500) return 50;
  if (span > 200) return 20;
  if (span > 100) return 10;
  if (span > 50) return 5;
  if (span > 20) return 2;
  return 1;
}

// Factors of a decade's value at which minor ticks may stand.
std::vector<double> minorFactors(double decades, const std::string& scalminticks) {
  double first = 0.5, inc = 0.5, last = 10.45;
  const std::optional<long long> n = scalminticks.empty() ? std::nullopt : scanInteger(scalminticks);
  if (n && *n >= 1 && *n <= 100) {
    inc = 10.0 / static_cast<double>(*n);
    first = inc;
    last = (10.0 - inc) * 1.1;
  } else if (decades > 9) {
    first = 2, inc = 2, last = 8.8;
  } else if (decades > 3) {
    first = 1, inc = 1, last = 9.9;
  }
  std::vector<double> factors;
  for (double k = 0.0;; k += 1.0) {
    const double f = first + k * inc;
    if (f > last) break;
    factors.push_back(f);
  }
  return factors;
}

void logMinors(Axis& axis, const Window& window, double v, const std::vector<double>& factors) {
  for (double f : factors) {
    const double w = f * v;
    if (w > axis.min && w < axis.max && w > v && w > window.lo && w < window.hi) axis.MA.push_back(w);
  }
}

// ---------------------------------------------------------------------------------------
// Time scale

constexpr double kTimeLimit = 100000000000.0;  // seconds either side of the reference date
constexpr double kDay = 86400.0;
constexpr double kWeek = 604800.0;

// A calendar increment: whole years, months and days in local time, plus seconds.
struct CalendarStep {
  long long years = 0, months = 0, days = 0;
  double seconds = 0.0;
  bool isSet() const { return years != 0 || months != 0 || days != 0 || seconds != 0.0; }
};

constexpr CalendarStep years(long long n) { return {n, 0, 0, 0.0}; }
constexpr CalendarStep months(long long n) { return {0, n, 0, 0.0}; }
constexpr CalendarStep days(long long n) { return {0, 0, n, 0.0}; }

// `t` moved by k increments; nothing when the calendar cannot represent the result.
std::optional<double> advance(double t, const CalendarStep& inc, long long k) {
  const std::optional<double> moved = calendar::addLocal(t, k * inc.years, k * inc.months, k * inc.days);
  if (!moved) return std::nullopt;
  return *moved + static_cast<double>(k) * inc.seconds;
}

struct TimeChoice {
  double step;
  double mintick;
  const char* format;
  CalendarStep major, minor;
};

struct TimeRule {
  double test;  // the rule applies when the range is below 8 times this
  TimeChoice choice;
};

constexpr const char* kMinSec = "%M:%S";
constexpr const char* kHourMinSec = "%H:%M:%S";
constexpr const char* kHourMin = "%H:%M";
constexpr const char* kDayHour = "%d.%m\n%H:%M";
constexpr const char* kDate = "%d.%m.%y";
constexpr const char* kMonthYear = "%m.%Y";
constexpr const char* kYear = "%Y";

// Rows below one week step linearly; the 10-day row reaches calendar mode without
// increments of its own (see calendarIncrements).
constexpr TimeRule kTimeRules[] = {
    {1, {1, 5, kMinSec, {}, {}}},
    {2, {2, 4, kMinSec, {}, {}}},
    {3, {3, 6, kMinSec, {}, {}}},
    {5, {5, 5, kMinSec, {}, {}}},
    {10, {10, 5, kMinSec, {}, {}}},
    {20, {20, 5, kMinSec, {}, {}}},
    {30, {30, 6, kMinSec, {}, {}}},
    {60, {60, 5, kMinSec, {}, {}}},
    {180, {180, 6, kMinSec, {}, {}}},
    {300, {300, 5, kMinSec, {}, {}}},
    {600, {600, 6, kHourMinSec, {}, {}}},
    {1800, {1800, 6, kHourMinSec, {}, {}}},
    {3600, {3600, 4, kHourMinSec, {}, {}}},
    {7200, {7200, 4, kHourMin, {}, {}}},
    {10800, {10800, 6, kHourMin, {}, {}}},
    {14400, {14400, 4, kHourMin, {}, {}}},
    {21600, {21600, 6, kDayHour, {}, {}}},
    {43200, {43200, 6, kDayHour, {}, {}}},
    {86400, {86400, 4, kDayHour, {}, {}}},
    {172800, {172800, 4, kDayHour, {}, {}}},
    {259200, {259200, 6, kDayHour, {}, {}}},
    {432000, {432000, 5, kDayHour, {}, {}}},
    {864000, {864000, 5, kDayHour, {}, {}}},
    {2592000, {2592000, 2, kDate, months(1), days(10)}},
    {5184000, {5184000, 2, kDate, months(1), days(10)}},
    {7776000, {7776000, 2, kDate, months(2), months(1)}},
    {10368000, {10368000, 3, kDate, months(3), months(1)}},
    {15552000, {15552000, 5, kDate, months(4), months(1)}},
    {31536000, {31536000, 3, kDate, years(1), months(3)}},
    {63072000, {63072000, 1, kDate, years(1), years(1)}},
    {94608000, {94608000, 2, kDate, years(3), years(1)}},
    {157680000, {157680000, 4, kDate, years(5), years(1)}},
    {315360000, {315360000, 5, kMonthYear, years(10), years(2)}},
    {630720000, {630720000, 4, kMonthYear, years(20), years(5)}},
    {946080000, {946080000, 3, kMonthYear, years(30), years(10)}},
    {1576800000, {1576800000, 5, kMonthYear, years(50), years(10)}},
    {3153600000, {3153600000, 4, kYear, years(100), years(25)}},
    {6307200000, {6307200000, 4, kYear, years(200), years(50)}},
    {15768000000, {15768000000, 5, kYear, years(500), years(100)}},
    {31536000000, {31536000000, 5, kYear, years(1000), years(200)}},
};

struct NamedStep {
  const char* name;
  TimeChoice choice;  // format unused: a named step keeps the automatic format
};

constexpr NamedStep kNamedSteps[] = {
    {"m", {2592000, 2, nullptr, months(1), days(10)}},
    {"1m", {2592000, 2, nullptr, months(1), days(10)}},
    {"2m", {5184000, 1, nullptr, months(2), months(1)}},
    {"3m", {7776000, 2, nullptr, months(3), months(1)}},
    {"4m", {10368000, 3, nullptr, months(4), months(1)}},
    {"6m", {15552000, 5, nullptr, months(6), months(1)}},
    {"y", {31536000, 3, nullptr, years(1), months(3)}},
    {"1y", {31536000, 3, nullptr, years(1), months(3)}},
    {"2y", {63072000, 1, nullptr, years(2), years(1)}},
    {"5y", {157680000, 4, nullptr, years(5), years(1)}},
    {"10y", {315360000, 4, nullptr, years(10), years(2)}},
    {"20y", {630720000, 3, nullptr, years(20), years(5)}},
    {"50y", {1576800000, 4, nullptr, years(50), years(10)}},
    {"100y", {3153600000, 4, nullptr, years(100), years(20)}},
    {"200y", {6307200000, 3, nullptr, years(200), years(50)}},
    {"500y", {15768000000, 4, nullptr, years(500), years(100)}},
    {"1000y", {31536000000, 4, nullptr, years(1000), years(200)}},
};

constexpr TimeChoice kWeekSteps[] = {
    {604800, 7, nullptr, days(7), days(1)},
    {1209600, 1, nullptr, days(14), days(7)},
    {1814400, 2, nullptr, days(21), days(7)},
    {2419200, 3, nullptr, days(28), days(7)},
};

// What `scalspace` asks of a time axis.
struct TimeSpace {
  const TimeChoice* calendar = nullptr;  // named step or week form
  int weekday = -1;                      // week form anchor, else -1
  std::optional<double> seconds;         // numeric step
};

std::string lowered(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// "NwD": N weeks (1..4, else 1) anchored on weekday D (0..6, else 1; empty is 0). Text
// that is no number counts as 0, which is then out of range for N and Sunday for D.
bool readWeekForm(const std::string& s, TimeSpace& out) {
  const std::size_t w = s.find('w');
  if (w == std::string::npos || s.find('w', w + 1) != std::string::npos) return false;
  const long long n = scanInteger(std::string_view(s).substr(0, w)).value_or(0);
  const long long d = scanInteger(std::string_view(s).substr(w + 1)).value_or(0);
  out.calendar = &kWeekSteps[(n >= 1 && n <= 4) ? n - 1 : 0];
  out.weekday = (d >= 0 && d <= 6) ? static_cast<int>(d) : 1;
  return true;
}

// One to four numbers separated by ':' as seconds, minutes:seconds, hours:minutes:seconds
// or days:hours:minutes:seconds. Nothing for more parts or a part that is no number.
std::optional<double> readSeconds(std::string_view s) {
  static constexpr double kUnits[] = {kDay, 3600.0, 60.0, 1.0};
  std::vector<double> parts;
  for (std::size_t from = 0;;) {
    const std::size_t colon = s.find(':', from);
    const std::optional<double> v = scanNumber(s.substr(from, colon == std::string_view::npos ? colon : colon - from));
    if (!v || parts.size() == 4) return std::nullopt;
    parts.push_back(*v);
    if (colon == std::string_view::npos) break;
    from = colon + 1;
  }
  double seconds = 0.0;
  const std::size_t unit0 = 4 - parts.size();
  for (std::size_t i = 0; i < parts.size(); ++i) seconds += parts[i] * kUnits[unit0 + i];
  return seconds;
}

TimeSpace readTimeSpace(const std::string& scalspace) {
  TimeSpace space;
  if (scalspace.empty()) return space;
  const std::string s = lowered(scalspace);
  if (readWeekForm(s, space)) return space;
  for (const NamedStep& named : kNamedSteps) {
    if (s == named.name) {
      space.calendar = &named.choice;
      return space;
    }
  }
  space.seconds = readSeconds(s);
  return space;
}

// Limits from dates in the user's format: empty keeps the range end, unreadable is 0.
Window timeWindow(const Axis& axis, double a, double b, const std::string& scalstart, const std::string& scalend,
                  const std::string& dateFormat) {
  const double lo = scalstart.empty() ? a : parseTime(scalstart, dateFormat).value_or(0.0);
  const double hi = scalend.empty() ? b : parseTime(scalend, dateFormat).value_or(0.0);
  return makeWindow(axis, lo, hi);
}

// Steps `t` back by `by` seconds while `off` holds for its local fields; bounded so that
// a zone without the sought wall-clock time cannot loop.
template <typename Pred>
double stepBackWhile(double t, double by, int limit, Pred off) {
  for (int i = 0; i < limit; ++i) {
    const std::optional<calendar::LocalTime> lt = calendar::localTime(t);
    if (!lt || !off(*lt)) break;
    t -= by;
  }
  return t;
}

// Puts the first candidate on a whole hour, minute and second of the local clock.
void snapTimeStart(Axis& axis) {
  using calendar::LocalTime;
  if (axis.step > 1800)
    axis.start = stepBackWhile(axis.start, 3600, 50, [](const LocalTime& lt) { return lt.hour != 0; });
  if (axis.step > 30)
    axis.start = stepBackWhile(axis.start, 60, 120, [](const LocalTime& lt) { return lt.minute != 0; });
  axis.start = stepBackWhile(axis.start, 1, 120, [](const LocalTime& lt) { return lt.second != 0; });
}

void linearTimeTicks(Axis& axis, const Window& window) {
  for (double j = 0.0;; j += 1.0) {
    const double v = axis.start + j * axis.step;
    if (!(v <= axis.end)) break;
    addIfAdmitted(axis.A, window, v);
    if (v > window.upper() || v + 2.0 * axis.step < window.lower()) continue;
    for (double k = 1.0; k < axis.mintick; k += 1.0) addIfAdmitted(axis.MA, window, v + k * axis.step / axis.mintick);
  }
}

// Increments for calendar mode. Rules and names bring their own; the automatic 10-day
// rule and numeric steps of a week or more do not, and then step by whole days: the step
// rounded to days (at least one) between majors, and that divided by the minor count
// between minors, in whole days when it divides evenly, else in seconds. A 10-day step
// thus puts majors every 10 days and minors every 2 days, all at the start of a day
// whatever daylight saving does in between.
void calendarIncrements(const Axis& axis, CalendarStep& major, CalendarStep& minor) {
  if (major.isSet()) return;
  const long long n = std::llround(std::clamp(axis.step / kDay, 1.0, 1e9));
  major = days(n);
  const long long m = static_cast<long long>(axis.mintick);
  if (m > 0 && n % m == 0)
    minor = days(n / m);
  else if (m > 0)
    minor = {0, 0, 0, static_cast<double>(n) * kDay / static_cast<double>(m)};
}

// The first calendar candidate: 1 January of the start's year at the start's wall-clock
// time, back to a year that is a multiple of `yearMultiple` and then back to the anchor
// weekday. Days are counted on the calendar, so a local midnight stays midnight across a
// change of daylight saving time.
std::optional<double> calendarStart(double start, double yearMultiple, int weekday) {
  const std::optional<calendar::LocalTime> lt = calendar::localTime(start);
  if (!lt) return std::nullopt;
  std::optional<double> date = calendar::addLocal(start, 0, 0, 1 - lt->yearDay);
  if (date && yearMultiple > 1) {
    double back = std::fmod(static_cast<double>(lt->year), yearMultiple);
    if (back < 0) back += yearMultiple;
    if (back > 1e6) return std::nullopt;  // no tick of such a grid can reach a valid range
    date = calendar::addLocal(*date, -static_cast<long long>(back), 0, 0);
  }
  for (int i = 0; date && weekday >= 0 && i < 7; ++i) {
    const std::optional<calendar::LocalTime> day = calendar::localTime(*date);
    if (!day || day->weekday == weekday) break;
    date = calendar::addLocal(*date, 0, 0, -1);
  }
  return date;
}

// Upper bound on calendar majors; the step limit already keeps real ranges far below it.
constexpr int kMaxCalendarMajors = 100000;

// Majors run while the date is before `b`, the second range end as passed (callers pass
// the ends in increasing order), each followed by `mintick` minors, the last of which
// usually falls on the next major.
void calendarTicks(Axis& axis, const Window& window, double b, int weekday, CalendarStep major,
                   CalendarStep minor) {
  calendarIncrements(axis, major, minor);
  std::optional<double> date = calendarStart(axis.start, std::trunc(std::floor(axis.step / kDay / 365)), weekday);
  for (int i = 0; date && *date < b && i < kMaxCalendarMajors; ++i) {
    addIfAdmitted(axis.A, window, *date);
    for (long long k = 1; k <= static_cast<long long>(axis.mintick); ++k) {
      const std::optional<double> m = advance(*date, minor, k);
      if (!m || *m > window.upper()) break;  // minors only grow with k
      addIfAdmitted(axis.MA, window, *m);
    }
    const std::optional<double> next = advance(*date, major, 1);
    if (!next || !(*next > *date)) break;
    date = next;
  }
}

const TimeChoice* automaticTimeChoice(double d) {
  for (const TimeRule& rule : kTimeRules)
    if (d / rule.test < 8) return &rule.choice;
  return nullptr;
}

}  // namespace

void Axis::reset() {
  const double preset = dx;
  *this = Axis{};
  dx = preset;
}

void Axis::initWithRange(double a, double b, const std::string& scalstart, const std::string& scalend,
                         const std::string& scalspace, const std::string& scalminticks, const std::string& trigger) {
  reset();
  if (!std::isfinite(a) || !std::isfinite(b) || a == b) return;
  setRange(*this, a, b);
  mintick = 5;
  dxy = 4;
  expo = std::floor(std::log10(std::fabs((min + max) / 2)));
  if (dx != 0)
    step = dx;
  else
    chooseLinearStep(*this);
  start = min - step;
  end = max + step;
  if (step != 0) start = step * (std::trunc((min - step) / step) - 1);

  const Window window = numericWindow(*this, a, b, scalstart, scalend);
  if (const std::optional<double> v = scanNumber(scalspace)) step = *v;
  if (const std::optional<long long> n = scanInteger(scalminticks)) mintick = minorCount(*n);
  // A negative or non-finite step never reaches the end; refuse it like a zero step.
  if (step == 0 || start == end || !(step > 0) || !std::isfinite(step)) return;
  if (!(std::fabs(start - end) / step < 200)) return;
  linearTicks(*this, window, triggerGrid(*this, trigger));
}

void Axis::initForLogWithRange(double a, double b, const std::string& scalstart, const std::string& scalend,
                               const std::string& scalspace, const std::string& scalminticks) {
  reset();
  if (!(a > 0 && b > 0) || a == b || !std::isfinite(a) || !std::isfinite(b)) return;
  setRange(*this, a, b);
  start = std::floor(std::log10(min));
  end = std::floor(std::log10(max));
  step = decadeStep(std::fabs(start - end));
  start = step * (std::trunc(start / step) - 1);

  const Window window = numericWindow(*this, a, b, scalstart, scalend);
  if (const std::optional<double> v = scanNumber(scalspace)) step = *v;
  if (!(step > 0) || !((end - start) / step <= kMaxLogSteps)) return;
  const bool withMinors = end - start < 16;
  const std::vector<double> factors = minorFactors(end - start, scalminticks);
  for (double j = 0.0;; j += 1.0) {
    const double e = start + j * step;
    if (!(e <= end)) break;
    const double v = std::pow(10.0, e);
    addIfAdmitted(A, window, v);
    if (withMinors) logMinors(*this, window, v, factors);
  }
  if (A.size() >= 2) lmo = *std::min_element(A.begin(), A.end());
}

void Axis::initForTimeWithRange(double a, double b, const std::string& scalstart, const std::string& scalend,
                                const std::string& scalspace, const std::string& scalminticks,
                                const std::string& dateFormat) {
  reset();
  if (!(std::fabs(a) <= kTimeLimit && std::fabs(b) <= kTimeLimit) || a == b) return;
  setRange(*this, a, b);
  dxy = 8;
  const TimeChoice* rule = automaticTimeChoice(max - min);
  if (rule == nullptr) return;
  step = rule->step;
  mintick = rule->mintick;
  format = rule->format;
  CalendarStep major = rule->major, minor = rule->minor;

  const TimeSpace space = readTimeSpace(scalspace);
  if (space.calendar != nullptr) {
    step = space.calendar->step;
    mintick = space.calendar->mintick;
    major = space.calendar->major;
    minor = space.calendar->minor;
  }
  start = step * std::floor(min / step);
  end = max + step;
  if (space.seconds) {
    step = *space.seconds;
    major = minor = CalendarStep{};
  }

  const Window window = timeWindow(*this, a, b, scalstart, scalend, dateFormat);
  if (const std::optional<long long> n = scanInteger(scalminticks)) mintick = minorCount(*n);
  if (!(step > 0) || !std::isfinite(step) || std::fabs(end - start) / step > 200) return;
  snapTimeStart(*this);
  if (step < kWeek)
    linearTimeTicks(*this, window);
  else
    calendarTicks(*this, window, b, space.weekday, major, minor);
}

}  // namespace xyla
