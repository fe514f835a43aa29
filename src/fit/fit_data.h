#pragma once

#include <vector>

namespace xyla {
class DataBuffer;
}

namespace xyla::fit {

// The points a fit runs on, in single precision and indexed from 1, with the one sigma
// used for all of them.
struct FitData {
  std::vector<float> x{0.0f}, y{0.0f};
  int n = 0;
  double sigma = 1.0;
};

// Copies the finite points of `b` and estimates sigma: the mean Y error when the buffer
// has errors, otherwise the scatter of Y around its moving mean over max(n/25, 1)
// neighbours on each side. A sigma that comes out zero (exact or constant data) is 1.
FitData fitData(const DataBuffer& b);

}  // namespace xyla::fit
