#include "analysis/fft_core.h"

#include <cmath>
#include <utility>

namespace xyla::fft {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;

// Advances the twiddle factor (wr, wi) by the rotation (wpr + 1, wpi) with the
// recurrence that keeps rounding small.
inline void rotate(double& wr, double& wi, double wpr, double wpi) {
  const double wtemp = wr;
  wr = wtemp * wpr - wi * wpi + wr;
  wi = wi * wpr + wtemp * wpi + wi;
}

void bitReverse(float* data, unsigned long n, unsigned long nn) {
  unsigned long j = 1;
  for (unsigned long i = 1; i < n; i += 2) {
    if (j > i) {
      std::swap(data[j], data[i]);
      std::swap(data[j + 1], data[i + 1]);
    }
    unsigned long m = nn;
    while (m >= 2 && j > m) {
      j -= m;
      m >>= 1;
    }
    j += m;
  }
}

}  // namespace

void four1(float* data, unsigned long nn, int direction) {
  const unsigned long n = nn << 1;
  bitReverse(data, n, nn);
  unsigned long mmax = 2;
  while (n > mmax) {
    const unsigned long istep = mmax << 1;
    const double theta = direction * (kTwoPi / static_cast<double>(mmax));
    const double s = std::sin(0.5 * theta);
    const double wpr = -2.0 * s * s, wpi = std::sin(theta);
    double wr = 1.0, wi = 0.0;
    for (unsigned long m = 1; m < mmax; m += 2) {
      for (unsigned long i = m; i <= n; i += istep) {
        const unsigned long j = i + mmax;
        const float tempr = static_cast<float>(wr * data[j] - wi * data[j + 1]);
        const float tempi = static_cast<float>(wr * data[j + 1] + wi * data[j]);
        data[j] = data[i] - tempr;
        data[j + 1] = data[i + 1] - tempi;
        data[i] += tempr;
        data[i + 1] += tempi;
      }
      rotate(wr, wi, wpr, wpi);
    }
    mmax = istep;
  }
}

void realft(float* data, unsigned long h, int direction) {
  const float c1 = 0.5f;
  float c2;
  double theta = kPi / static_cast<double>(h);
  if (direction == 1) {
    c2 = -0.5f;
    four1(data, h, 1);
  } else {
    c2 = 0.5f;
    theta = -theta;
  }
  const double s = std::sin(0.5 * theta);
  const double wpr = -2.0 * s * s, wpi = std::sin(theta);
  double wr = 1.0 + wpr, wi = wpi;
  const unsigned long n2p3 = 2 * h + 3;
  for (unsigned long i = 2; i <= h / 2; ++i) {
    const unsigned long i1 = i + i - 1, i2 = 1 + i1, i3 = n2p3 - i2, i4 = 1 + i3;
    const float h1r = c1 * (data[i1] + data[i3]);
    const float h1i = c1 * (data[i2] - data[i4]);
    const float h2r = -c2 * (data[i2] + data[i4]);
    const float h2i = c2 * (data[i1] - data[i3]);
    data[i1] = static_cast<float>(h1r + wr * h2r - wi * h2i);
    data[i2] = static_cast<float>(h1i + wr * h2i + wi * h2r);
    data[i3] = static_cast<float>(h1r - wr * h2r + wi * h2i);
    data[i4] = static_cast<float>(-h1i + wr * h2i + wi * h2r);
    rotate(wr, wi, wpr, wpi);
  }
  const float h1r = data[1];
  if (direction == 1) {
    data[1] = h1r + data[2];
    data[2] = h1r - data[2];
  } else {
    data[1] = c1 * (h1r + data[2]);
    data[2] = c1 * (h1r - data[2]);
    four1(data, h, -1);
  }
}

unsigned long fft(std::vector<float>& y, unsigned long n) {
  unsigned long m = 2;
  while (m < n + 2) m *= 2;
  if (y.size() < m + 1) y.resize(m + 1, 0.0f);
  // The line through the original first and last values.
  const float first = y[1], last = y[n];
  const float span = static_cast<float>(n - 1);
  for (unsigned long j = 1; j <= n; ++j)
    y[j] -= (static_cast<float>(n - j) * first + static_cast<float>(j - 1) * last) / span;
  for (unsigned long j = n + 1; j <= m; ++j) y[j] = 0.0f;
  realft(y.data(), m / 2, 1);
  return m;
}

void smooft(std::vector<float>& y, unsigned long n, float pts) {
  unsigned long m = 2;
  const unsigned long nmin = n + static_cast<unsigned long>(2.0f * pts + 0.5f);
  while (m < nmin) m *= 2;
  if (y.size() < m + 1) y.resize(m + 1, 0.0f);
  const float cnst = (pts / static_cast<float>(m)) * (pts / static_cast<float>(m));
  const float y1 = y[1], yn = y[n];
  const float rn1 = 1.0f / static_cast<float>(n - 1);
  for (unsigned long j = 1; j <= n; ++j)
    y[j] += -rn1 * (y1 * static_cast<float>(n - j) + yn * static_cast<float>(j - 1));
  for (unsigned long j = n + 1; j <= m; ++j) y[j] = 0.0f;
  const unsigned long mo2 = m >> 1;
  realft(y.data(), mo2, 1);
  y[1] /= static_cast<float>(mo2);
  float fac = 1.0f;
  for (unsigned long j = 1; j < mo2; ++j) {
    const unsigned long k = 2 * j + 1;
    if (fac != 0.0f) {
      fac = (1.0f - cnst * static_cast<float>(j) * static_cast<float>(j)) / static_cast<float>(mo2);
      if (fac < 0.0f) fac = 0.0f;
      y[k] = fac * y[k];
      y[k + 1] = fac * y[k + 1];
    } else {
      y[k] = y[k + 1] = 0.0f;
    }
  }
  fac = (1.0f - 0.25f * pts * pts) / static_cast<float>(mo2);
  if (fac < 0.0f) fac = 0.0f;
  y[2] *= fac;
  realft(y.data(), mo2, -1);
  for (unsigned long j = 1; j <= n; ++j) y[j] += rn1 * (y1 * static_cast<float>(n - j) + yn * static_cast<float>(j - 1));
}

float pcabs(float a, float b) {
  const float x = std::fabs(a), y = std::fabs(b);
  if (a == 0.0f) return y;
  if (b == 0.0f) return x;
  if (x >= y) return x * std::sqrt(1.0f + (y / x) * (y / x));
  return y * std::sqrt(1.0f + (x / y) * (x / y));
}

}  // namespace xyla::fft
