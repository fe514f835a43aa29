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

// Scores the lines against the peaks with every line moved by `shift`; with `assign`
// the peaks receive their labels. `near[p]` lists the lines that can reach peak p at
// any shift tried. Answers the sum of every peak's best score.
double scoreLines(std::vector<SurveyPeak>& peaks, const std::vector<SurveyLine>& lines,
                  const std::vector<std::vector<int>>& near, const std::vector<double>& sortedPeaks, double tolerance,
                  double xmin, double xmax, double shift, bool assign) {
  auto found = [&](double be, double tol) {
    const auto it = std::lower_bound(sortedPeaks.begin(), sortedPeaks.end(), be - tol);
    return it != sortedPeaks.end() && *it <= be + tol;
  };
  std::map<std::string, double> evidence;
  for (const SurveyLine& l : lines) {
    const double be = l.be + shift;
    if (l.rank > 2 || be < xmin || be > xmax) continue;
    const double tol = l.auger ? 2.0 * tolerance : tolerance;
    evidence[l.element] += found(be, tol) ? rankWeight(l.rank) : -0.5 * rankWeight(l.rank);
  }
  double total = 0.0;
  for (std::size_t k = 0; k < peaks.size(); ++k) {
    SurveyPeak& p = peaks[k];
    std::vector<std::pair<double, std::string>> candidates;
    for (int index : near[k]) {
      const SurveyLine& l = lines[index];
      const double tol = l.auger ? 2.0 * tolerance : tolerance;
      const double dist = std::fabs(l.be + shift - p.be);
      if (dist > tol) continue;
      const auto e = evidence.find(l.element);
      const double support = std::max(e == evidence.end() ? 0.0 : e->second, 0.05);
      const double prior = commonElement(l.element) ? 1.0 : 0.25;
      candidates.push_back({rankWeight(l.rank) * std::exp(-dist * dist / (tol * tol)) * support * prior, l.label});
    }
    std::sort(candidates.begin(), candidates.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    if (!candidates.empty()) total += candidates.front().first;
    if (!assign) continue;
    p.labels.clear();
    p.scores.clear();
    for (const auto& [score, label] : candidates) {
      if (p.labels.size() == 2 || score < 0.5 * candidates.front().first || score < kLeastScore) break;
      if (std::find(p.labels.begin(), p.labels.end(), label) != p.labels.end()) continue;
      p.labels.push_back(label);
      p.scores.push_back(score);
    }
  }
  return total;
}

}  // namespace

double assignLines(std::vector<SurveyPeak>& peaks, const std::vector<SurveyLine>& lines, double tolerance,
                   double xmin, double xmax, double maxShift) {
  maxShift = std::isfinite(maxShift) ? std::clamp(std::fabs(maxShift), 0.0, 50.0) : 0.0;
  if (!(tolerance > 0.0) || !std::isfinite(tolerance)) tolerance = 2.5;
  std::vector<double> sortedPeaks;
  std::vector<std::vector<int>> near(peaks.size());
  for (std::size_t k = 0; k < peaks.size(); ++k) {
    sortedPeaks.push_back(peaks[k].be);
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (std::fabs(lines[i].be - peaks[k].be) <= 2.0 * tolerance + maxShift) near[k].push_back(static_cast<int>(i));
  }
  std::sort(sortedPeaks.begin(), sortedPeaks.end());
  double best = 0.0, bestScore = -1.0;
  const int steps = static_cast<int>(std::floor(maxShift / 0.1 + 1e-9));
  for (int k = -steps; k <= steps; ++k) {
    const double shift = 0.1 * k;
    const double score = scoreLines(peaks, lines, near, sortedPeaks, tolerance, xmin, xmax, shift, false);
    // A shift must earn its place: ties go to the smaller one.
    if (score > bestScore * (1.0 + 1e-9) || (score >= bestScore && std::fabs(shift) < std::fabs(best))) {
      bestScore = score;
      best = shift;
    }
  }
  scoreLines(peaks, lines, near, sortedPeaks, tolerance, xmin, xmax, best, true);
  return best;
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
