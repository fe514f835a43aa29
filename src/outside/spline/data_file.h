#pragma once

#include <string>
#include <vector>

namespace xyla::splinefit {

// The columns of a whitespace-separated number file: X, Y and a third column when every
// line has one. Lines that do not begin with two numbers (one for X-only files) are
// skipped.
struct DataColumns {
  std::vector<double> x, y, third;
  bool hasThird = false;
};

// Reads `path`; the points are put in ascending X order. False when the file cannot be read.
bool readDataFile(const std::string& path, DataColumns& out);

}  // namespace xyla::splinefit
