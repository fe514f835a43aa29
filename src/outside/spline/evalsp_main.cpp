// evalsp: evaluates a spline file written by spline2.
//
//   evalsp [-f file | -x from to step] spline
//
// -f file           at the X values in the first column of file
// -x from to step   at from, from + step, ... up to to
// neither           at 2001 points spread evenly over the X range of the fitted data
//
// Prints the number of points k, then k lines "x y dy/dx", then the number of minima
// and one line "x y" for each, then the number of maxima and theirs.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data_file.h"
#include "smoothing_spline.h"

namespace sf = xyla::splinefit;

namespace {

bool number(const char* text, double& v) {
  char* end = nullptr;
  errno = 0;
  v = std::strtod(text, &end);
  return end != text && *end == '\0' && errno == 0 && std::isfinite(v);
}

int usage() {
  std::fprintf(stderr, "usage: evalsp [-f file | -x from to step] spline\n");
  return 2;
}

void printPairs(const std::vector<double>& x, const std::vector<double>& y) {
  std::printf("%zu\n", x.size());
  for (std::size_t i = 0; i < x.size(); ++i) std::printf("%.15g %.15g\n", x[i], y[i]);
}

}  // namespace

int main(int argc, char** argv) {
  std::string xfile, splineFile;
  bool grid = false;
  double from = 0, to = 0, step = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string o = argv[i];
    if (o == "-f" && i + 1 < argc) {
      xfile = argv[++i];
    } else if (o == "-x" && i + 3 < argc) {
      if (!number(argv[i + 1], from) || !number(argv[i + 2], to) || !number(argv[i + 3], step)) return usage();
      grid = true;
      i += 3;
    } else if (!o.empty() && o[0] != '-' && splineFile.empty()) {
      splineFile = o;
    } else {
      return usage();
    }
  }
  if (splineFile.empty()) return usage();
  std::ifstream in(splineFile, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  sf::Piecewise s;
  double xmin = 0, xmax = 0;
  if (!in || !sf::readSplineFile(text.str(), s, xmin, xmax)) {
    std::fprintf(stderr, "evalsp: cannot read %s\n", splineFile.c_str());
    return 2;
  }
  std::vector<double> xs;
  if (!xfile.empty()) {
    sf::DataColumns d;
    if (!sf::readDataFile(xfile, d)) {
      std::fprintf(stderr, "evalsp: cannot read %s\n", xfile.c_str());
      return 2;
    }
    xs = d.x;
  } else {
    if (!grid) from = xmin, to = xmax, step = (xmax - xmin) / 2000;
    // Points from..to; a step that makes no progress gives the start alone.
    const double span = to - from;
    const long count = step != 0 && span / step >= 0 ? std::lround(std::floor(span / step + 1e-9)) + 1 : 1;
    if (count > 50000000) {
      std::fprintf(stderr, "evalsp: too many points\n");
      return 2;
    }
    for (long i = 0; i < count; ++i) xs.push_back(from + static_cast<double>(i) * step);
  }
  std::printf("%zu\n", xs.size());
  for (double x : xs) {
    double d = 0;
    const double y = sf::evaluate(s, x, &d);
    std::printf("%.15g %.15g %.15g\n", x, y, d);
  }
  const sf::Extrema e = sf::findExtrema(s, std::min(xmin, xmax), std::max(xmin, xmax));
  printPairs(e.minX, e.minY);
  printPairs(e.maxX, e.maxY);
  return 0;
}
