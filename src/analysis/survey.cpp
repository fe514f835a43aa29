#include "analysis/survey.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <numeric>

#include "analysis/xps_lines.h"

namespace xyla::xps {

namespace {

constexpr double kDoubletMerge = 3.0;   // eV
constexpr double kSmoothingFwhm = 1.5;  // eV
constexpr double kProminenceWindow = 15.0;  // eV on each side
constexpr double kNoiseFactor = 8.0;
// Below this a line is too unlikely to name (a weak line of an element with no other
// evidence scores about 0.002).
constexpr double kLeastScore = 0.02;

double rankWeight(int rank) { return rank <= 1 ? 1.0 : rank == 2 ? 0.5 : 0.15; }

// "4f7/2" -> "4f"
std::string shellOf(const std::string& level) {
  std::size_t i = 0;
  while (i < level.size() && std::isdigit(static_cast<unsigned char>(level[i]))) ++i;
  return level.substr(0, std::min(level.size(), i + 1));
}

double occupancy(const std::string& level) {
  const std::size_t slash = level.find('/');
  if (slash == std::string::npos || slash < 1) return 1.0;
  std::size_t start = slash;
  while (start > 0 && std::isdigit(static_cast<unsigned char>(level[start - 1]))) --start;
  return std::atof(level.c_str() + start) + 1.0;
}

double median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
  return v[v.size() / 2];
}

// Gaussian smoothing over points with spacing d (X ascending).
std::vector<double> smooth(const std::vector<double>& y, double d) {
  const double sigma = std::max(kSmoothingFwhm / 2.3548 / d, 1.0);
  const int reach = static_cast<int>(std::ceil(3.0 * sigma));
  std::vector<double> w(reach + 1);
  for (int k = 0; k <= reach; ++k) w[k] = std::exp(-0.5 * k * k / (sigma * sigma));
  const int n = static_cast<int>(y.size());
  std::vector<double> s(n);
  for (int i = 0; i < n; ++i) {
    double sum = 0.0, weight = 0.0;
    for (int k = -reach; k <= reach; ++k) {
      const int j = i + k;
      if (j < 0 || j >= n) continue;
      sum += w[std::abs(k)] * y[j];
      weight += w[std::abs(k)];
    }
    s[i] = sum / weight;
  }
  return s;
}

}  // namespace

std::vector<SurveyLine> surveyLines(double hv) {
  std::vector<SurveyLine> out;
  // Core levels, with close doublets merged by occupancy.
  struct Group {
    std::string element, shell;
    double sum = 0.0, weight = 0.0, lo = 1e9, hi = -1e9;
    int rank = 3;
    std::vector<const CoreLevel*> levels;
  };
  std::map<std::pair<int, std::string>, Group> groups;
  for (const CoreLevel& c : coreLevels()) {
    if (!(c.be < hv)) continue;
    Group& g = groups[{c.Z, shellOf(c.level)}];
    g.element = c.element;
    g.shell = shellOf(c.level);
    g.levels.push_back(&c);
    const double w = occupancy(c.level);
    g.sum += w * c.be;
    g.weight += w;
    g.lo = std::min(g.lo, c.be);
    g.hi = std::max(g.hi, c.be);
    g.rank = std::min(g.rank, c.rank);
  }
  for (const auto& [key, g] : groups) {
    if (g.hi - g.lo < kDoubletMerge) {
      out.push_back({g.element + " " + g.shell, g.element, g.sum / g.weight, g.rank, false});
      continue;
    }
    for (const CoreLevel* c : g.levels) out.push_back({g.element + " " + c->level, g.element, c->be, c->rank, false});
  }
  for (const AugerLine& a : augerLines()) {
    double hole = 0.0;
    if (!lineEnergy(std::string(a.element) + " " + a.hole, hole) || !(hole < hv) || !(a.ke < hv)) continue;
    out.push_back({std::string(a.element) + " " + a.name, a.element, hv - a.ke, a.rank, true});
  }
  return out;
}

std::vector<SurveyPeak> findSurveyPeaks(const std::vector<double>& xIn, const std::vector<double>& yIn) {
  std::vector<SurveyPeak> peaks;
  std::vector<std::size_t> order(xIn.size());
  std::iota(order.begin(), order.end(), 0);
  std::erase_if(order, [&](std::size_t i) { return !std::isfinite(xIn[i]) || !std::isfinite(yIn[i]); });
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return xIn[a] < xIn[b]; });
  const int n = static_cast<int>(order.size());
  if (n < 5) return peaks;
  std::vector<double> x(n), y(n);
  for (int i = 0; i < n; ++i) x[i] = xIn[order[i]], y[i] = yIn[order[i]];
  const double d = (x[n - 1] - x[0]) / (n - 1);
  if (!(d > 0.0)) return peaks;
  const std::vector<double> s = smooth(y, d);
  // Noise of one point from second differences, scaled with the counts where they are.
  std::vector<double> diffs;
  for (int i = 1; i + 1 < n; ++i) diffs.push_back(std::fabs(y[i] - 0.5 * (y[i - 1] + y[i + 1])));
  const double noise = median(diffs) / 0.6745 / std::sqrt(1.5);
  const double level = std::max(median(s), 1e-300);
  const double sigma = std::max(kSmoothingFwhm / 2.3548 / d, 1.0);
  const double smoothing = std::sqrt(2.0 * std::sqrt(M_PI) * sigma);
  const auto [lo, hi] = std::minmax_element(s.begin(), s.end());
  const double span = *hi - *lo;
  const int window = std::max(2, static_cast<int>(kProminenceWindow / d));
  for (int i = 1; i + 1 < n; ++i) {
    if (!(s[i] > s[i - 1] && s[i] >= s[i + 1])) continue;
    double left = s[i], right = s[i];
    for (int j = i - 1; j >= std::max(0, i - window) && s[j] <= s[i]; --j) left = std::min(left, s[j]);
    for (int j = i + 1; j <= std::min(n - 1, i + window) && s[j] <= s[i]; ++j) right = std::min(right, s[j]);
    const double prominence = s[i] - std::max(left, right);
    const double localNoise = noise * std::sqrt(std::max(s[i], 0.0) / level) / smoothing;
    if (!(prominence > kNoiseFactor * localNoise) || !(prominence > 0.01 * span)) continue;
    SurveyPeak p;
    p.be = x[i];
    const double den = s[i - 1] - 2.0 * s[i] + s[i + 1];
    if (den < 0.0) p.be = x[i] + 0.5 * d * (s[i - 1] - s[i + 1]) / den;
    p.height = s[i];
    p.prominence = prominence;
    peaks.push_back(p);
  }
  return peaks;
}

namespace {

// Elements common on surfaces and in materials; the others need more evidence.
bool commonElement(const std::string& e) {
  static const char* const kCommon[] = {
      "Li", "Be", "B",  "C",  "N",  "O",  "F",  "Na", "Mg", "Al", "Si", "P",  "S",  "Cl", "K",  "Ca", "Ti",
      "V",  "Cr", "Mn", "Fe", "Co", "Ni", "Cu", "Zn", "Ga", "Ge", "As", "Se", "Br", "Sr", "Y",  "Zr", "Nb",
      "Mo", "Ru", "Rh", "Pd", "Ag", "Cd", "In", "Sn", "Sb", "Te", "I",  "Ba", "La", "Ce", "Hf", "Ta", "W",
      "Ir", "Pt", "Au", "Hg", "Pb", "Bi"};
  return std::find(std::begin(kCommon), std::end(kCommon), e) != std::end(kCommon);
}

// An element found in the survey: its lines sit `shift` from the tables (charging and
// its chemical state), and `support` of its strong lines were found.
struct Presence {
  double shift = 0.0;
  double support = 0.0;  // found / expected strong lines, with the anchor counted
  int expected = 0;      // strong lines besides the anchor inside the data
  int anchorPeak = -1;
};

// The peak nearest to `be` within `tol`, or -1.
int nearestPeak(const std::vector<double>& sortedPeaks, double be, double tol) {
  const auto it = std::lower_bound(sortedPeaks.begin(), sortedPeaks.end(), be - tol);
  int best = -1;
  for (auto j = it; j != sortedPeaks.end() && *j <= be + tol; ++j)
    if (best < 0 || std::fabs(*j - be) < std::fabs(sortedPeaks[best] - be))
      best = static_cast<int>(j - sortedPeaks.begin());
  return best;
}

// Whether the element of `lines` (indices into `all`) is in the survey: its strongest
// photoline inside the data must match a peak within tol + maxShift, and with that
// shift at least half of its other strong (rank 1 and 2) photolines inside the data must
// match peaks within tol. Of the anchors that pass, the one with most matches (then the
// smallest shift) wins.
bool findElement(const std::vector<SurveyLine>& all, const std::vector<int>& lines,
                 const std::vector<double>& sortedPeaks, double tolerance, double xmin, double xmax, double maxShift,
                 Presence& out) {
  int bestRank = 4;
  for (int i : lines)
    if (!all[i].auger && all[i].be >= xmin && all[i].be <= xmax) bestRank = std::min(bestRank, all[i].rank);
  if (bestRank > 3) return false;
  bool any = false;
  int bestFound = -1;
  for (int anchor : lines) {
    const SurveyLine& a = all[anchor];
    if (a.auger || a.rank != bestRank || a.be < xmin || a.be > xmax) continue;
    const auto from = std::lower_bound(sortedPeaks.begin(), sortedPeaks.end(), a.be - tolerance - maxShift);
    for (auto p = from; p != sortedPeaks.end() && *p <= a.be + tolerance + maxShift; ++p) {
      const double shift = *p - a.be;
      int expected = 0, found = 0;
      for (int i : lines) {
        const SurveyLine& l = all[i];
        const double be = l.be + shift;
        if (i == anchor || l.auger || l.rank > 2 || be < xmin || be > xmax) continue;
        ++expected;
        if (nearestPeak(sortedPeaks, be, tolerance) >= 0) ++found;
      }
      if (2 * found < expected) continue;
      if (any && (found < bestFound || (found == bestFound && std::fabs(shift) >= std::fabs(out.shift)))) continue;
      any = true;
      bestFound = found;
      out.shift = shift;
      out.support = (found + 1.0) / (expected + 1.0);
      out.expected = expected;
      out.anchorPeak = static_cast<int>(p - sortedPeaks.begin());
    }
  }
  return any;
}

}  // namespace

double assignLines(std::vector<SurveyPeak>& peaks, const std::vector<SurveyLine>& lines, double tolerance,
                   double xmin, double xmax, double maxShift) {
  maxShift = std::isfinite(maxShift) ? std::clamp(std::fabs(maxShift), 0.0, 50.0) : 0.0;
  if (!(tolerance > 0.0) || !std::isfinite(tolerance)) tolerance = 2.5;
  std::vector<double> sortedPeaks;
  for (SurveyPeak& p : peaks) {
    sortedPeaks.push_back(p.be);
    p.labels.clear();
    p.scores.clear();
  }
  std::sort(sortedPeaks.begin(), sortedPeaks.end());
  std::map<std::string, std::vector<int>> byElement;
  for (std::size_t i = 0; i < lines.size(); ++i) byElement[lines[i].element].push_back(static_cast<int>(i));
  // Elements whose strong lines confirm each other come first; an element seen by one
  // line alone counts only when no line of those explains that peak (the Au 5p3/2 peak
  // is no Li 1s).
  std::vector<std::pair<std::string, Presence>> present;
  std::vector<bool> explained(sortedPeaks.size(), false);
  for (bool confirmed : {true, false}) {
    for (const auto& [element, own] : byElement) {
      Presence presence;
      if (!findElement(lines, own, sortedPeaks, tolerance, xmin, xmax, maxShift, presence)) continue;
      if ((presence.expected > 0) != confirmed) continue;
      if (!confirmed && explained[presence.anchorPeak]) continue;
      present.push_back({element, presence});
      if (!confirmed) continue;
      for (int i : own) {
        const int k =
            nearestPeak(sortedPeaks, lines[i].be + presence.shift, lines[i].auger ? 2.0 * tolerance : tolerance);
        if (k >= 0) explained[k] = true;
      }
    }
  }
  // Every line of an element present, at the element's shift, is a candidate of the
  // peak nearest to it.
  std::vector<std::vector<std::pair<double, std::string>>> candidates(sortedPeaks.size());
  std::vector<double> shifts;
  for (const auto& [element, presence] : present) {
    shifts.push_back(presence.shift);
    const double prior = commonElement(element) ? 1.0 : 0.25;
    for (int i : byElement[element]) {
      const SurveyLine& l = lines[i];
      const double be = l.be + presence.shift;
      const double tol = l.auger ? 2.0 * tolerance : tolerance;
      if (be < xmin - tol || be > xmax + tol) continue;
      const int k = nearestPeak(sortedPeaks, be, tol);
      if (k < 0) continue;
      const double dist = std::fabs(sortedPeaks[k] - be);
      candidates[k].push_back(
          {rankWeight(l.rank) * std::exp(-dist * dist / (tol * tol)) * presence.support * prior, l.label});
    }
  }
  for (SurveyPeak& p : peaks) {
    const auto k =
        static_cast<std::size_t>(std::lower_bound(sortedPeaks.begin(), sortedPeaks.end(), p.be) - sortedPeaks.begin());
    auto& c = candidates[k];
    std::sort(c.begin(), c.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [score, label] : c) {
      if (p.labels.size() == 2 || score < 0.5 * c.front().first || score < kLeastScore) break;
      if (std::find(p.labels.begin(), p.labels.end(), label) != p.labels.end()) continue;
      p.labels.push_back(label);
      p.scores.push_back(score);
    }
  }
  return median(shifts);
}

std::vector<SurveyLine> elementLines(const std::vector<std::string>& elements, double hv, double xmin, double xmax,
                                     std::vector<std::string>& unknown) {
  std::vector<SurveyLine> out;
  const std::vector<SurveyLine> all = surveyLines(hv);
  for (const std::string& e : elements) {
    const int z = elementNumber(e);
    if (z == 0) {
      unknown.push_back(e);
      continue;
    }
    for (const SurveyLine& l : all)
      if (elementNumber(l.element) == z && l.rank <= 2 && l.be >= xmin && l.be <= xmax) out.push_back(l);
  }
  return out;
}

std::vector<std::string> splitElements(const std::string& text) {
  std::vector<std::string> out;
  std::string word;
  for (char c : text) {
    if (c == ',' || std::isspace(static_cast<unsigned char>(c))) {
      if (!word.empty()) out.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) out.push_back(word);
  return out;
}

}  // namespace xyla::xps
