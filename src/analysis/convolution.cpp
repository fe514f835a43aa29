#include "analysis/convolution.h"

#include <cmath>
#include <numbers>

namespace xyla {

namespace {

// Product written out: std::complex's operator* guards against infinities at a cost
// that dominates the butterfly.
inline std::complex<double> times(std::complex<double> a, std::complex<double> b) {
  return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

std::size_t powerOfTwoAtLeast(std::size_t n) {
  std::size_t p = 1;
  while (p < n) p <<= 1;
  return p;
}

}  // namespace

Fft::Fft(std::size_t n) : n_(n), twiddle_(n / 2), reversed_(n) {
  // Each twiddle factor from its own angle, so rounding does not accumulate.
  for (std::size_t k = 0; k < n / 2; ++k) {
    const double angle = -2.0 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(n);
    twiddle_[k] = {std::cos(angle), std::sin(angle)};
  }
  int bits = 0;
  while ((std::size_t{1} << bits) < n) ++bits;
  for (std::size_t i = 0; i < n; ++i) {
    std::size_t r = 0;
    for (int b = 0; b < bits; ++b) r |= ((i >> b) & 1u) << (bits - 1 - b);
    reversed_[i] = r;
  }
}

void Fft::forward(std::vector<std::complex<double>>& a) const { transform(a, false); }

void Fft::inverse(std::vector<std::complex<double>>& a) const {
  transform(a, true);
  const double scale = 1.0 / static_cast<double>(n_);
  for (auto& v : a) v *= scale;
}

void Fft::transform(std::vector<std::complex<double>>& a, bool inverse) const {
  for (std::size_t i = 0; i < n_; ++i) {
    if (i < reversed_[i]) std::swap(a[i], a[reversed_[i]]);
  }
  for (std::size_t len = 2; len <= n_; len <<= 1) {
    const std::size_t half = len / 2;
    const std::size_t stride = n_ / len;
    for (std::size_t start = 0; start < n_; start += len) {
      for (std::size_t j = 0; j < half; ++j) {
        const std::complex<double> w = inverse ? std::conj(twiddle_[j * stride]) : twiddle_[j * stride];
        const std::complex<double> u = a[start + j];
        const std::complex<double> v = times(a[start + j + half], w);
        a[start + j] = u + v;
        a[start + j + half] = u - v;
      }
    }
  }
}

KernelCorrelation::KernelCorrelation(std::vector<double> kernel, Method method)
    : kernel_(std::move(kernel)),
      direct_(method == Method::Direct || (method == Method::Automatic && kernel_.size() < kDirectBelow)) {
  if (direct_) return;
  // Zero padding to at least 2n - 1 keeps the circular correlation from wrapping.
  const std::size_t n = kernel_.size();
  fft_.emplace(powerOfTwoAtLeast(2 * n));
  spectrum_.assign(fft_->size(), {0.0, 0.0});
  for (std::size_t j = 0; j < n; ++j) spectrum_[j] = kernel_[j];
  fft_->forward(spectrum_);
  for (auto& v : spectrum_) v = std::conj(v);
}

void KernelCorrelation::apply(const std::vector<double>& y, std::vector<double>& c) {
  c.resize(kernel_.size());
  if (direct_) {
    applyDirect(y, c);
  } else {
    applyFourier(y, c);
  }
}

void KernelCorrelation::applyDirect(const std::vector<double>& y, std::vector<double>& c) const {
  const std::size_t n = kernel_.size();
  for (std::size_t i = 0; i < n; ++i) {
    double s = 0.0;
    for (std::size_t j = i; j < n; ++j) s += y[j] * kernel_[j - i];
    c[i] = s;
  }
}

// Correlation theorem: the transform of c is Y times the conjugate of G.
void KernelCorrelation::applyFourier(const std::vector<double>& y, std::vector<double>& c) {
  const Fft& fft = *fft_;
  const std::size_t n = kernel_.size();
  work_.assign(fft.size(), {0.0, 0.0});
  for (std::size_t j = 0; j < n; ++j) work_[j] = y[j];
  fft.forward(work_);
  for (std::size_t k = 0; k < work_.size(); ++k) work_[k] = times(work_[k], spectrum_[k]);
  fft.inverse(work_);
  for (std::size_t i = 0; i < n; ++i) c[i] = work_[i].real();
}

}  // namespace xyla
