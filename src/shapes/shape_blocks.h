#pragma once

#include <cstddef>

namespace xyla::shapes {

// Line shapes over blocks of points, for models that evaluate many points at once: four
// points at a time with AVX2 and FMA where the processor has them (chosen at run time),
// one at a time otherwise. The parameters' shared parts are worked out once per block.

// out[i] = exp(in[i]) for i < n. The four-lane exponential is within 2 units in the last
// place of the standard one (which the one-at-a-time way uses), gives 0 below about -745,
// infinity above about 709.8, and NaN for NaN; `in` and `out` may be the same array.
void expBlock(const double* in, std::size_t n, double* out);

// out[i] = galo(x[i], x0, h, w, m) for i < n: the same operations in the same order,
// but for the exponential of expBlock.
void galoBlock(const double* x, std::size_t n, double x0, double h, double w, double m, double* out);

// Whether the blocks are taken four points at a time on this processor.
bool shapeBlocksVectorised();

}  // namespace xyla::shapes
