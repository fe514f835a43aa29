#pragma once

#include <complex>
#include <cstddef>
#include <optional>
#include <vector>

namespace xyla {

// Radix-2 complex Fourier transform in double precision for one power-of-two length,
// with its twiddle factors and bit-reversal table computed once.
class Fft {
 public:
  // `n` must be a power of two (1 included).
  explicit Fft(std::size_t n);
  std::size_t size() const { return n_; }
  // In place: a[k] := sum_j a[j] exp(-2 pi i jk/n).
  void forward(std::vector<std::complex<double>>& a) const;
  // In place: the inverse of forward, including the factor 1/n.
  void inverse(std::vector<std::complex<double>>& a) const;

 private:
  void transform(std::vector<std::complex<double>>& a, bool inverse) const;

  std::size_t n_;
  std::vector<std::complex<double>> twiddle_;  // exp(-2 pi i k/n), k < n/2
  std::vector<std::size_t> reversed_;
};

// Forward correlation of signals with one fixed kernel g of length n:
// c[i] = sum over j = i .. n-1 of y[j] * g[j - i], for signals y of the same length.
// Short signals are summed directly, longer ones go through the Fourier transform
// (equal within rounding).
class KernelCorrelation {
 public:
  enum class Method { Automatic, Direct, Fourier };
  // Below this length direct summation is faster than the transform (measured: they
  // break even near 512 points; at 1024 the transform takes half the time).
  static constexpr std::size_t kDirectBelow = 512;

  explicit KernelCorrelation(std::vector<double> kernel, Method method = Method::Automatic);
  std::size_t size() const { return kernel_.size(); }
  // Fills c (resized to the kernel's length) from y, which must have that length.
  void apply(const std::vector<double>& y, std::vector<double>& c);

 private:
  void applyDirect(const std::vector<double>& y, std::vector<double>& c) const;
  void applyFourier(const std::vector<double>& y, std::vector<double>& c);

  std::vector<double> kernel_;
  bool direct_;
  std::vector<std::complex<double>> spectrum_;  // conjugated transform of the padded kernel
  std::vector<std::complex<double>> work_;
  std::optional<Fft> fft_;                      // absent when summing directly
};

}  // namespace xyla
