// spline2: fits a smoothing spline to the points of a data file and writes it as a
// spline file for evalsp. Prints one line: rms dws ksi acffit dwi ngf area.
//
//   spline2 [-X min max] [-s | -K length] [-a sigma] [-k order] [-i function] input spline
//
// -X min max  leave out the points with min <= X <= max
// -s          the noise may be serially correlated: estimate its correlation from the
//             residuals (model chosen by -i) and choose the smoothing with the variance
//             correlated noise has over the width of the smoother
// -K length   smoothing length fixed (X units: the width of the spline's equivalent kernel)
// -a sigma    sigma > 0: the noise sigma is known; 0: the third column holds each point's
//             sigma; -n: the fit has n degrees of freedom. Without -a the smoothing is
//             chosen by generalized cross-validation.
// -k order    spline order (degree + 1), 1 to 8; odd orders go up to the next even one.
//             Higher orders are refused: their band system loses the precision of doubles
// -i f        noise correlation model: 1 exponential, 2 Gaussian, 3 triangular, 4 Cauchy
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data_file.h"
#include "smoothing_spline.h"

namespace sf = xyla::splinefit;

namespace {

struct Arguments {
  bool exclude = false;
  double exMin = 0, exMax = 0;
  bool correlated = false, fixed = false;
  double ksi = 0;
  bool haveSigma = false;
  double sigma = 0;
  int order = 4;
  int function = 1;
  std::string input, output;
};

bool number(const char* text, double& v) {
  char* end = nullptr;
  errno = 0;
  v = std::strtod(text, &end);
  return end != text && *end == '\0' && errno == 0 && std::isfinite(v);
}

bool parse(int argc, char** argv, Arguments& a) {
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string o = argv[i];
    auto value = [&](double& v) { return i + 1 < argc && number(argv[++i], v); };
    double v = 0;
    if (o == "-X") {
      if (!value(a.exMin) || !value(a.exMax)) return false;
      a.exclude = true;
    } else if (o == "-s") {
      a.correlated = true;
    } else if (o == "-K") {
      if (!value(a.ksi)) return false;
      a.fixed = true;
    } else if (o == "-a") {
      if (!value(a.sigma)) return false;
      a.haveSigma = true;
    } else if (o == "-k") {
      if (!value(v)) return false;
      a.order = static_cast<int>(v);
    } else if (o == "-i") {
      if (!value(v)) return false;
      a.function = static_cast<int>(v);
    } else if (!o.empty() && o[0] == '-' && o.size() > 1) {
      return false;
    } else {
      files.push_back(o);
    }
  }
  if (files.size() != 2) return false;
  a.input = files[0];
  a.output = files[1];
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments a;
  if (!parse(argc, argv, a)) {
    std::fprintf(stderr, "usage: spline2 [-X min max] [-s | -K length] [-a sigma] [-k order] [-i function] input spline\n");
    return 2;
  }
  if (a.order > 8) {
    std::fprintf(stderr, "spline2: spline orders above 8 are not supported\n");
    return 2;
  }
  sf::DataColumns d;
  if (!sf::readDataFile(a.input, d)) {
    std::fprintf(stderr, "spline2: cannot read %s\n", a.input.c_str());
    return 2;
  }
  const std::size_t n = d.x.size();
  if (n < 2) {
    std::printf("0 2 0 0 0 1 0\n");
    return 0;
  }
  const double xmin = d.x.front(), xmax = d.x.back();
  sf::FitOptions o;
  o.m = std::max((a.order + 1) / 2, 1);
  o.dx = (xmax - xmin) / static_cast<double>(n - 1);
  o.correlated = a.correlated;
  o.correlation = static_cast<sf::Correlation>(std::clamp(a.function, 1, 4));
  std::vector<double> x, y, w;
  const double lo = std::min(a.exMin, a.exMax), hi = std::max(a.exMin, a.exMax);
  const bool sigmaColumn = a.haveSigma && a.sigma == 0 && d.hasThird;
  for (std::size_t i = 0; i < n; ++i) {
    if (a.exclude && d.x[i] >= lo && d.x[i] <= hi) continue;
    double wi = 1;
    if (sigmaColumn) {
      const double s = std::fabs(d.third[i]);
      wi = s > 0 && std::isfinite(s) ? 1 / (s * s) : 0;
      if (wi == 0) continue;  // a point without a usable sigma says nothing
    }
    x.push_back(d.x[i]);
    y.push_back(d.y[i]);
    w.push_back(wi);
  }
  if (a.fixed) {
    o.criterion = sf::Criterion::Fixed;
    o.ksi = std::fabs(a.ksi);
  } else if (a.haveSigma && a.sigma < 0) {
    o.criterion = sf::Criterion::DegreesOfFreedom;
    o.dof = -a.sigma;
  } else if (sigmaColumn) {
    o.criterion = sf::Criterion::KnownVariance;
    o.variance = 1;
  } else if (a.haveSigma && a.sigma > 0) {
    o.criterion = sf::Criterion::KnownVariance;
    o.variance = a.sigma * a.sigma;
  }
  const sf::FitResult r = sf::fitSmoothingSpline(x, y, w, o);
  if (!r.ok) {
    std::fprintf(stderr, "spline2: %s\n", r.note.c_str());
    std::printf("0 2 0 0 0 1 0\n");
    return 0;
  }
  std::ofstream out(a.output, std::ios::binary);
  out << sf::writeSplineFile(r.spline, xmin, xmax);
  if (!out) {
    std::fprintf(stderr, "spline2: cannot write %s\n", a.output.c_str());
    return 2;
  }
  if (r.ngf) std::fprintf(stderr, "spline2: %s\n", r.note.c_str());
  std::printf("%.12g %.12g %.12g %.12g %d %d %.12g\n", r.rms, r.dws, r.ksi, r.acf, r.dwi, r.ngf,
              sf::integrate(r.spline, xmin, xmax));
  return 0;
}
