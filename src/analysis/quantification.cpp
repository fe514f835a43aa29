#include "analysis/quantification.h"

#include <cmath>
#include <cstdio>

#include "analysis/xps_lines.h"
#include "model/data_buffer.h"

namespace xyla::xps {

namespace {

// Covariance of the areas of entries a and b.
double areaCovariance(const QuantEntry& a, const QuantEntry& b, bool same) {
  if (same) return a.areaError * a.areaError;
  if (a.group && a.group == b.group && a.indexInGroup >= 0 && b.indexInGroup >= 0 &&
      a.indexInGroup < a.group->n && b.indexInGroup < a.group->n)
    return a.group->cov[static_cast<std::size_t>(a.indexInGroup) * a.group->n + b.indexInGroup];
  return 0.0;
}

std::string missingFactor(const std::string& line, bool magnesium) {
  return "No sensitivity factor for " + line + " with " + (magnesium ? "Mg" : "Al") +
         " Ka: give one with quantrsf";
}

}  // namespace

QuantOutcome quantify(const std::vector<QuantEntry>& entries, const QuantOptions& o) {
  QuantOutcome q;
  if (entries.empty()) {
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
    const auto user = o.sensitivity.find(lineKey(e.line));
    row.rsf = user != o.sensitivity.end() ? user->second : tableSensitivity(e.line, o.magnesium);
    if (!(row.rsf > 0.0) || !std::isfinite(row.rsf)) {
      q.error = missingFactor(e.line, o.magnesium);
      return q;
    }
    double be = e.be;
    if (!e.haveBe && !lineEnergy(e.line, be)) {
      q.error = "No binding energy for " + e.line + ": quantify it from a fitted peak or name a tabulated line";
      return q;
    }
    row.ke = o.hv - be;
    if (!(row.ke > 0.0)) {
      q.error = e.line + " lies above the photon energy";
      return q;
    }
    if (!std::isfinite(e.area) || !(e.area > 0.0)) {
      q.error = "The area of " + e.line + " is zero or negative";
      return q;
    }
    factor[i] = row.rsf * std::pow(row.ke, o.transmission + o.imfp);
    intensity[i] = e.area / factor[i];
    total += intensity[i];
    q.rows.push_back(row);
  }
  for (std::size_t i = 0; i < n; ++i) {
    q.rows[i].atomic = 100.0 * intensity[i] / total;
    // d x_i / d A_k = 100 / f_k (delta_ik / S - I_i / S^2)
    std::vector<double> g(n);
    for (std::size_t k = 0; k < n; ++k) g[k] = 100.0 / factor[k] * ((i == k ? 1.0 : 0.0) / total - intensity[i] / (total * total));
    double var = 0.0;
    for (std::size_t k = 0; k < n; ++k)
      for (std::size_t l = 0; l < n; ++l) var += g[k] * g[l] * areaCovariance(entries[k], entries[l], k == l);
    q.rows[i].atomicError = var > 0.0 && std::isfinite(var) ? std::sqrt(var) : 0.0;
  }
  q.ok = true;
  return q;
}

std::string quantTable(const QuantOutcome& q) {
  std::string out = "line          area     +-      RSF    KE (eV)  at. %   +-\n";
  char buf[200];
  for (const QuantRow& r : q.rows) {
    std::snprintf(buf, sizeof buf, "%-10s %9.4g %7.3g %7.4g %8.1f %7.2f %6.2f\n", r.line.c_str(), r.area, r.areaError,
                  r.rsf, r.ke, r.atomic, r.atomicError);
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

}  // namespace xyla::xps
