#include "data_file.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numeric>

namespace xyla::splinefit {

bool readDataFile(const std::string& path, DataColumns& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out = DataColumns();
  bool allThird = true;
  std::string line;
  while (std::getline(in, line)) {
    double v[3];
    int k = 0;
    const char* p = line.c_str();
    while (k < 3) {
      char* end = nullptr;
      const double d = std::strtod(p, &end);
      if (end == p || !std::isfinite(d)) break;
      v[k++] = d;
      p = end;
    }
    if (k == 0) continue;
    out.x.push_back(v[0]);
    out.y.push_back(k > 1 ? v[1] : 0.0);
    out.third.push_back(k > 2 ? v[2] : 0.0);
    allThird = allThird && k > 2;
  }
  out.hasThird = allThird && !out.x.empty();
  // Ascending X, stable so that equal X keep their order.
  std::vector<std::size_t> idx(out.x.size());
  std::iota(idx.begin(), idx.end(), 0);
  if (!std::is_sorted(out.x.begin(), out.x.end())) {
    std::stable_sort(idx.begin(), idx.end(), [&](std::size_t a, std::size_t b) { return out.x[a] < out.x[b]; });
    DataColumns s;
    s.hasThird = out.hasThird;
    for (std::size_t i : idx) {
      s.x.push_back(out.x[i]);
      s.y.push_back(out.y[i]);
      s.third.push_back(out.third[i]);
    }
    out = std::move(s);
  }
  return true;
}

}  // namespace xyla::splinefit
