#pragma once

#include <vector>

namespace xyla {
class DataBuffer;
}

namespace xyla::fit {

// The points a fit runs on, in single precision and indexed from 1, with the one sigma
// used for all of them, or a weight per point.
struct FitData {
  std::vector<float> x{0.0f}, y{0.0f};
  std::vector<float> w;  // 1/sigma_i^2 per point (from index 1); empty: the common sigma
  int n = 0;
  double sigma = 1.0;
  double xlo = 0.0, xhi = 0.0;  // the X range of the points
};

// Copies the finite points of `b` and estimates sigma: the mean Y error when the buffer
// has errors, otherwise the scatter of Y around its moving mean over max(n/25, 1)
// neighbours on each side. A sigma that comes out zero (exact or constant data) is 1.
FitData fitData(const DataBuffer& b);

// Counting-statistics weights: sigma_i = sqrt(max(counts_i, 1)), where the counts are
// Y plus the background `bg` at the same X (linearly interpolated; null: Y alone), so a
// background-free spectrum is weighted by the counts that were measured.
void poissonWeights(FitData& d, const DataBuffer* bg);

}  // namespace xyla::fit
