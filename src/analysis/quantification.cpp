#include "analysis/quantification.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "analysis/cross_sections.h"
#include "analysis/xps_lines.h"
#include "model/data_buffer.h"

namespace xyla::xps {

namespace {

constexpr double kAl = 1486.6, kMg = 1253.6;  // eV

// Covariance of the areas of entries a and b.
double areaCovariance(const QuantEntry& a, const QuantEntry& b, bool same) {
  if (same) return a.areaError * a.areaError;
  if (a.group && a.group == b.group && a.indexInGroup >= 0 && b.indexInGroup >= 0 &&
      a.indexInGroup < a.group->n && b.indexInGroup < a.group->n)
    return a.group->cov[static_cast<std::size_t>(a.indexInGroup) * a.group->n + b.indexInGroup];
  return 0.0;
}

std::string energyName(double hv) {
  if (std::fabs(hv - kAl) < 1.0) return "Al Ka";
  if (std::fabs(hv - kMg) < 1.0) return "Mg Ka";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.1f eV", hv);
  return buf;
}

// The cross-section factor of a line: the user's, the table's at Al or Mg Ka, else
// computed at the photon energy.
bool crossSection(const QuantEntry& e, const QuantOptions& o, double& rsf, std::string& error) {
  const auto user = o.sensitivity.find(lineKey(e.line));
  if (user != o.sensitivity.end()) {
    rsf = user->second;
    return true;
  }
  const bool al = std::fabs(o.hv - kAl) < 1.0, mg = std::fabs(o.hv - kMg) < 1.0;
  rsf = al || mg ? tableSensitivity(e.line, mg) : 0.0;
  if (rsf > 0.0) return true;
  std::string why;
  if (relativeCrossSection(e.line, o.hv, rsf, why)) return true;
  error =
      "No sensitivity factor for " + e.line + " with " + energyName(o.hv) + " (" + why + "): give one with quantrsf";
  return false;
}

// Whether every sub-shell of a line is an s level ("O 2s", "C 1s").
bool sLevel(const std::string& line) {
  const std::string key = lineKey(line);
  std::size_t i = 0;
  while (i < key.size() && !std::isdigit(static_cast<unsigned char>(key[i]))) ++i;
  while (i < key.size() && std::isdigit(static_cast<unsigned char>(key[i]))) ++i;
  return i + 1 == key.size() && key[i] == 's';
}

// T at `be` by linear interpolation of the curve; false outside it.
bool interpolate(const TransmissionCurve& c, double be, double& t) {
  std::vector<std::pair<double, double>> p;
  for (std::size_t i = 0; i < c.be.size() && i < c.t.size(); ++i)
    if (std::isfinite(c.be[i]) && std::isfinite(c.t[i])) p.push_back({c.be[i], c.t[i]});
  std::sort(p.begin(), p.end());
  for (std::size_t i = 0; i + 1 < p.size(); ++i) {
    if (be < p[i].first || be > p[i + 1].first) continue;
    const double span = p[i + 1].first - p[i].first;
    const double w = span > 0.0 ? (be - p[i].first) / span : 0.0;
    t = p[i].second + w * (p[i + 1].second - p[i].second);
    return t > 0.0;
  }
  return false;
}

// Fills the factors of one row; false with the reason in `error`.
bool rowFactors(const QuantEntry& e, const QuantOptions& o, QuantRow& row, std::string& error) {
  double be = e.be;
  if (!e.haveBe && !lineEnergy(e.line, be)) {
    error = "No binding energy for " + e.line + ": quantify it from a fitted peak or name a tabulated line";
    return false;
  }
  row.ke = o.hv - be;
  if (!(row.ke > 0.0)) {
    error = e.line + " lies above the photon energy";
    return false;
  }
  if (!crossSection(e, o, row.rsf, error)) return false;
  if (!(row.rsf > 0.0) || !std::isfinite(row.rsf)) {
    error = "No sensitivity factor for " + e.line + " with " + energyName(o.hv) + ": give one with quantrsf";
    return false;
  }
  if (o.angle > 0.0) {
    const auto given = o.beta.find(lineKey(e.line));
    const bool known = given != o.beta.end() || sLevel(e.line);
    if (!known) {
      error = "No asymmetry parameter for " + e.line + ": give one with quantbeta, or switch the angle off";
      return false;
    }
    row.asymmetry = asymmetryFactor(given != o.beta.end() ? given->second : 2.0, o.angle);
  }
  row.imfp = o.material ? tpp2mImfp(row.ke, *o.material) : std::pow(row.ke, o.imfp);
  if (!(row.imfp > 0.0) || !std::isfinite(row.imfp)) {
    error = "The material gives no mean free path for " + e.line;
    return false;
  }
  const auto curve = o.curves.find(lineKey(e.line));
  row.transmission = std::pow(row.ke, o.transmission);
  if (curve != o.curves.end() && !interpolate(curve->second, be, row.transmission)) {
    error = "The transmission curve of " + e.line + " does not reach its energy";
    return false;
  }
  return true;
}

std::string elementOf(const std::string& line) {
  const std::string key = lineKey(line);
  std::size_t split = 0;
  while (split < key.size() && std::isalpha(static_cast<unsigned char>(key[split]))) ++split;
  return key.substr(0, split);
}

double squareRoot(double var) { return var > 0.0 && std::isfinite(var) ? std::sqrt(var) : 0.0; }

}  // namespace

double asymmetryFactor(double beta, double angleDegrees) {
  const double s = std::sin(angleDegrees * std::numbers::pi / 180.0);
  return 1.0 + 0.5 * beta * (1.5 * s * s - 1.0);
}

QuantOptions optionsOf(const QuantSession& s) {
  QuantOptions o;
  o.hv = s.hv;
  o.transmission = s.transmission;
  o.imfp = s.imfp;
  o.sensitivity = s.sensitivity;
  o.angle = s.angle;
  o.beta = s.beta;
  o.material = s.material;
  o.curves = s.curves;
  o.systematic = s.systematic;
  return o;
}

QuantOutcome quantify(const std::vector<QuantEntry>& entries, const QuantOptions& o) {
  QuantOutcome q;
  const bool anyPresent = std::any_of(entries.begin(), entries.end(), [](const QuantEntry& e) { return !e.limit; });
  if (!anyPresent) {
    q.error = "No lines to quantify: add them with quantpeak or quantbuffer";
    return q;
  }
  const std::size_t n = entries.size();
  std::vector<double> factor(n), intensity(n);
  double total = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const QuantEntry& e = entries[i];
    QuantRow row;
    row.line = e.line;
    row.area = e.area;
    row.areaError = e.areaError;
    row.limit = e.limit;
    if (!rowFactors(e, o, row, q.error)) return q;
    if (!std::isfinite(e.area) || !(e.area > 0.0)) {
      q.error = "The area of " + e.line + " is zero or negative";
      return q;
    }
    factor[i] = row.rsf * row.asymmetry * row.imfp * row.transmission;
    intensity[i] = e.area / factor[i];
    if (!e.limit) total += intensity[i];
    q.rows.push_back(row);
  }
  // Systematic shares: each line's factor is uncertain by its share, common to every
  // entry of that line (components of one fitted line share one cross section).
  const double imfpShare = o.material || o.imfp != 0.0 ? o.systematic.imfp : 0.0;
  std::vector<std::string> keys(n);
  std::vector<double> share(n);
  for (std::size_t k = 0; k < n; ++k) {
    keys[k] = lineKey(entries[k].line);
    const bool curve = o.curves.count(keys[k]) || o.transmission != 0.0;
    const double t = curve ? o.systematic.transmission : 0.0;
    share[k] = std::sqrt(o.systematic.crossSection * o.systematic.crossSection + imfpShare * imfpShare + t * t);
  }
  // Gradients of every row's percentage over the areas (g) and over the log factors of
  // each line key (h).
  std::vector<std::vector<double>> g(n, std::vector<double>(n, 0.0)), h(n, std::vector<double>(n, 0.0));
  for (std::size_t i = 0; i < n; ++i) {
    QuantRow& row = q.rows[i];
    if (row.limit) {
      row.atomic = 100.0 * intensity[i] / (total + intensity[i]);
      continue;
    }
    row.atomic = 100.0 * intensity[i] / total;
    for (std::size_t k = 0; k < n; ++k) {
      if (entries[k].limit) continue;
      const double delta = i == k ? 1.0 : 0.0;
      // d x_i / d A_k = 100 / f_k (delta_ik / S - I_i / S^2)
      g[i][k] = 100.0 / factor[k] * (delta / total - intensity[i] / (total * total));
      // d x_i / d ln f_k = -100 (I_i / S)(delta_ik - I_k / S)
      h[i][k] = -100.0 * intensity[i] / total * (delta - intensity[k] / total);
    }
  }
  auto statistical = [&](const std::vector<double>& grad) {
    double var = 0.0;
    for (std::size_t k = 0; k < n; ++k)
      for (std::size_t l = 0; l < n; ++l)
        if (grad[k] != 0.0 && grad[l] != 0.0) var += grad[k] * grad[l] * areaCovariance(entries[k], entries[l], k == l);
    return squareRoot(var);
  };
  auto systematic = [&](const std::vector<double>& grad) {
    std::map<std::string, std::pair<double, double>> byKey;  // summed gradient, share
    for (std::size_t k = 0; k < n; ++k) {
      auto& [sum, s] = byKey[keys[k]];
      sum += grad[k];
      s = share[k];
    }
    double var = 0.0;
    for (const auto& [key, v] : byKey) var += v.first * v.first * v.second * v.second;
    return squareRoot(var);
  };
  for (std::size_t i = 0; i < n; ++i) {
    if (q.rows[i].limit) continue;
    q.rows[i].atomicError = statistical(g[i]);
    q.rows[i].systematicError = systematic(h[i]);
  }
  // Totals per element, in the order the elements first came.
  for (std::size_t i = 0; i < n; ++i) {
    if (entries[i].limit) continue;
    const std::string element = elementOf(entries[i].line);
    if (std::any_of(q.elements.begin(), q.elements.end(), [&](const ElementTotal& t) { return t.element == element; }))
      continue;
    ElementTotal t;
    t.element = element;
    std::vector<double> gs(n, 0.0), hs(n, 0.0);
    for (std::size_t j = 0; j < n; ++j) {
      if (entries[j].limit || elementOf(entries[j].line) != element) continue;
      t.atomic += q.rows[j].atomic;
      for (std::size_t k = 0; k < n; ++k) gs[k] += g[j][k], hs[k] += h[j][k];
    }
    t.atomicError = statistical(gs);
    t.systematicError = systematic(hs);
    q.elements.push_back(t);
  }
  q.ok = true;
  return q;
}

std::string quantTable(const QuantOutcome& q) {
  std::string out = "line          area     +-      RSF      L    IMFP       T  KE (eV)   at. %  +-stat  +-sys\n";
  char buf[240];
  for (const QuantRow& r : q.rows) {
    if (r.limit) {
      std::snprintf(buf, sizeof buf, "%-10s %9s %7s %7.4g %6.3f %7.4g %7.4g %8.1f  < %5.2f  (detection limit)\n",
                    r.line.c_str(), "-", "-", r.rsf, r.asymmetry, r.imfp, r.transmission, r.ke, r.atomic);
    } else {
      std::snprintf(buf, sizeof buf, "%-10s %9.4g %7.3g %7.4g %6.3f %7.4g %7.4g %8.1f %7.2f %7.2f %6.2f\n",
                    r.line.c_str(), r.area, r.areaError, r.rsf, r.asymmetry, r.imfp, r.transmission, r.ke, r.atomic,
                    r.atomicError, r.systematicError);
    }
    out += buf;
  }
  for (const ElementTotal& t : q.elements) {
    std::snprintf(buf, sizeof buf, "%-10s total%70.2f %7.2f %6.2f\n", t.element.c_str(), t.atomic, t.atomicError,
                  t.systematicError);
    out += buf;
  }
  return out;
}

bool bufferArea(const DataBuffer& b, const DataBuffer* bg, double& area, double& error) {
  const int n = b.count();
  if (n < 2) return false;
  const bool sameGrid = bg && bg->count() == n && bg->X == b.X;
  double sum = 0.0, var = 0.0;
  for (int i = 0; i < n; ++i) {
    if (!std::isfinite(b.X[i]) || !std::isfinite(b.Y[i])) return false;
    const double left = i > 0 ? std::fabs(b.X[i] - b.X[i - 1]) : 0.0;
    const double right = i + 1 < n ? std::fabs(b.X[i + 1] - b.X[i]) : 0.0;
    const double w = 0.5 * (left + right);
    sum += w * b.Y[i];
    double counts = b.Y[i] + (sameGrid ? bg->Y[i] : 0.0);
    if (!(counts > 0.0)) counts = 0.0;
    var += w * w * counts;
  }
  area = sum;
  error = std::sqrt(var);
  return std::isfinite(area);
}

bool detectionLimitArea(const DataBuffer& b, double be, double width, double& area, std::string& error) {
  if (!(width > 0.0) || !std::isfinite(width)) width = 2.0;
  std::vector<std::pair<double, double>> p;
  for (int i = 0; i < b.count(); ++i)
    if (std::isfinite(b.X[i]) && std::isfinite(b.Y[i]) && std::fabs(b.X[i] - be) <= 5.0 * width)
      p.push_back({b.X[i], b.Y[i]});
  std::sort(p.begin(), p.end());
  if (p.size() < 10 || p.front().first > be - 0.5 * width || p.back().first < be + 0.5 * width) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "The spectrum does not cover %.1f eV with %.3g eV on either side", be, 0.5 * width);
    error = buf;
    return false;
  }
  std::vector<double> d;
  for (std::size_t i = 1; i + 1 < p.size(); ++i)
    d.push_back(std::fabs(p[i].second - 0.5 * (p[i - 1].second + p[i + 1].second)));
  std::nth_element(d.begin(), d.begin() + d.size() / 2, d.end());
  // The median absolute second difference of Gaussian noise sigma is 0.6745 sqrt(1.5) sigma.
  const double noise = d[d.size() / 2] / 0.6745 / std::sqrt(1.5);
  const double step = (p.back().first - p.front().first) / static_cast<double>(p.size() - 1);
  const double points = width / step;
  area = 3.0 * noise * step * std::sqrt(points);
  if (!(area > 0.0) || !std::isfinite(area)) {
    error = "The spectrum shows no noise near the line";
    return false;
  }
  return true;
}

}  // namespace xyla::xps
