#pragma once

#include <cstddef>
#include <vector>

#include "shapes/peak_model.h"

namespace xyla::shapes {

// fnumdf at the points x[0 .. count-1] at once, with the convolution caches already
// prepared (prepareConvolutions): y[i] is the model sum at x[i] and the row at
// dyda + i * stride holds its derivatives dyda[1..npar]. Every value is the one fnumdf
// gives at that point with a non-zero `reuse`, rounded the same way, except that
// Gauss-Lorentz peaks, plain or convolved, take the block exponential where the processor
// has the four-lane one (within 2 units in the last place of the standard one). What the parameters share
// is worked out once per block: the ties, the perturbed parameters, and for a
// Gauss-Lorentz peak the distances and shape terms that several derivatives reuse.
// With `only`, just the peaks it lists (ascending, from 1) are summed: the derivative
// slots of the other peaks are left as they were, for the caller to clear.
void fnumdfBlock(const float* x, int count, const float* a, float* y, const float* da, const int* irel, const int* krel,
                 const int* ifunc, float* dyda, std::size_t stride, int npar, const char* needed, PeakCaches& caches,
                 const std::vector<int>* only = nullptr);

}  // namespace xyla::shapes
