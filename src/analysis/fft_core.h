#pragma once

#include <vector>

namespace xyla {

// Single-precision Fourier routines on arrays indexed from 1 (element 0 is unused), in
// the classic packed layout: after a forward real transform element 1 holds the
// zero-frequency term, element 2 the Nyquist term, then real and imaginary parts of
// frequencies 1 .. m/2 - 1 in pairs.
namespace fft {

// In-place complex transform of nn complex values data[1..2nn]; nn a power of two;
// direction 1 forward, -1 inverse (unnormalised).
void four1(float* data, unsigned long nn, int direction);
// In-place transform of 2h real values data[1..2h]; h a power of two. The inverse
// (direction -1) returns h times the original values.
void realft(float* data, unsigned long h, int direction);
// Removes the straight line through y[1] and y[n], pads with zeros to the length m (the
// smallest power of two >= n + 2; `y` must hold m + 1 values) and transforms forward.
// Returns m.
unsigned long fft(std::vector<float>& y, unsigned long n);
// Low-pass smoothing of y[1..n] in place over a window of `pts` points; `y` grows as
// the padding needs.
void smooft(std::vector<float>& y, unsigned long n, float pts);
// sqrt(a^2 + b^2) without overflow or underflow in the squares.
float pcabs(float a, float b);

}  // namespace fft
}  // namespace xyla
