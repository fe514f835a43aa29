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

// galo in three parts, for evaluating one peak with several parameter sets at the same
// points, each part with the operations and in the order galo uses:
// u[i] = 2 (x[i] - x0) / w, the scaled distance from the position;
void galoDistanceBlock(const double* x, std::size_t n, double x0, double w, double* u);
// e[i] = exp(-a u[i]^2) and den[i] = 1 + b u[i]^2 with the weights a, b of the mixing m
// (clamped as galo clamps them), and out[i] = h e[i] / den[i] = galo at x[i];
void galoShapeBlock(const double* u, std::size_t n, double h, double m, double* e, double* den, double* out);
// out[i] = h e[i] / den[i]: galo of another height at the same points.
void galoHeightBlock(const double* e, const double* den, std::size_t n, double h, double* out);

// The Gauss-Lorentz peak convolved with sampled weights: out[i] = the sum over offsets
// j < offsets of galo(x[i] + t_j, x0, h, w, m) * weights[j] with t_j = -range + j step,
// added in the order of j as the one-point convolution adds them.
void galoConvolvedBlock(const double* x, std::size_t n, double x0, double h, double w, double m, double range,
                        double step, const double* weights, std::size_t offsets, double* out);

// out[i] = (f[i] - f0[i]) / step rounded to single precision: forward differences.
void differenceBlock(const double* f, const double* f0, std::size_t n, double step, float* out);

// Whether the blocks are taken four points at a time on this processor.
bool shapeBlocksVectorised();
// Allows (the default) or forbids the four-lane blocks; forbidden, every block goes one
// point at a time with the standard exponential and rounds exactly as the one-point
// shapes do.
void allowVectorisedShapeBlocks(bool allow);

}  // namespace xyla::shapes
