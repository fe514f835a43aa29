#include "analysis/energy_scale.h"

#include <cctype>
#include <cmath>

#include "model/data_buffer.h"
#include "model/text_scan.h"

namespace xyla {

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

double anodeEnergy(const std::string& word) {
  const std::string w = lower(word);
  if (w == "al" || w == "alka") return kAlKalpha;
  if (w == "mg" || w == "mgka") return kMgKalpha;
  return 0.0;
}

bool maximumInWindow(const DataBuffer& b, double x1, double x2, double& position) {
  const double lo = std::fmin(x1, x2), hi = std::fmax(x1, x2);
  const int n = b.count();
  int best = -1;
  for (int i = 0; i < n; ++i) {
    if (!(b.X[i] >= lo && b.X[i] <= hi) || !std::isfinite(b.Y[i])) continue;
    if (best < 0 || b.Y[i] > b.Y[best]) best = i;
  }
  if (best < 0) return false;
  position = b.X[best];
  if (best == 0 || best == n - 1) return true;
  const double xa = b.X[best - 1], xb = b.X[best], xc = b.X[best + 1];
  const double ya = b.Y[best - 1], yb = b.Y[best], yc = b.Y[best + 1];
  if (!(xa >= lo && xa <= hi && xc >= lo && xc <= hi) || !std::isfinite(ya) || !std::isfinite(yc)) return true;
  // Vertex of the parabola through the three points.
  const double num = (xb - xa) * (xb - xa) * (yb - yc) - (xb - xc) * (xb - xc) * (yb - ya);
  const double den = (xb - xa) * (yb - yc) - (xb - xc) * (yb - ya);
  if (den != 0.0) {
    const double v = xb - 0.5 * num / den;
    if (std::isfinite(v) && v >= std::fmin(xa, xc) && v <= std::fmax(xa, xc)) position = v;
  }
  return true;
}

void convertEnergyScale(DataBuffer& b, double hv, double phi) {
  for (double& x : b.X) x = hv - phi - x;
  b.setComment(b.getComment() + ", BE(hv=" + formatG(hv) + ")");
  b.rescale();
}

}  // namespace xyla
