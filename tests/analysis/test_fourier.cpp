#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "analysis/fft_core.h"
#include "analysis/fourier.h"
#include "io/ascii_import.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/xyla_document.h"
#include "support/document_fixture.h"
#include "support/test_files.h"

namespace xyla::test {
namespace {

// Direct DFT of real values: X_k = sum_j x_j exp(-2 pi i j k / m) (the forward sign of
// the packed transform is exp(+2 pi i j k / m), so the imaginary parts flip).
std::vector<std::complex<double>> dft(const std::vector<double>& x) {
  const std::size_t m = x.size();
  std::vector<std::complex<double>> out(m / 2 + 1);
  for (std::size_t k = 0; k <= m / 2; ++k)
    for (std::size_t j = 0; j < m; ++j) out[k] += x[j] * std::polar(1.0, 2 * M_PI * double(j * k) / double(m));
  return out;
}

TEST(FftCore, RealTransformMatchesTheDirectSumAndInverts) {
  const unsigned long m = 64;
  std::vector<float> y(m + 1);
  std::vector<double> x(m);
  for (unsigned long j = 0; j < m; ++j) x[j] = y[j + 1] = float(std::sin(0.3 * j) + 0.01 * j * j - (j % 7));
  const auto want = dft(x);
  std::vector<float> t = y;
  fft::realft(t.data(), m / 2, 1);
  EXPECT_NEAR(t[1], want[0].real(), 1e-3);
  EXPECT_NEAR(t[2], want[m / 2].real(), 1e-3);
  for (unsigned long k = 1; k < m / 2; ++k) {
    EXPECT_NEAR(t[2 * k + 1], want[k].real(), 2e-3) << k;
    EXPECT_NEAR(t[2 * k + 2], want[k].imag(), 2e-3) << k;
  }
  fft::realft(t.data(), m / 2, -1);
  for (unsigned long j = 1; j <= m; ++j) EXPECT_NEAR(t[j] / (m / 2), y[j], 1e-4);
  EXPECT_EQ(fft::pcabs(3, 4), 5);
  EXPECT_EQ(fft::pcabs(0, -2), 2);
  EXPECT_FLOAT_EQ(fft::pcabs(3e30f, 4e30f), 5e30f);  // no overflow in the squares
}

class Fourier : public xyla::test::DocumentFixture {
 protected:
  DataBuffer& samples(const std::vector<double>& ys) {
    DataBuffer& b = doc.newBuffer();
    b.comment = "s";
    for (std::size_t i = 0; i < ys.size(); ++i) b.addDoubleValue(double(i), ys[i]);
    return b;
  }
};

TEST_F(Fourier, SpectrumLayoutWindowsAndDetrending) {
  samples({0, 1, 2, 3, 4, 5});  // a ramp: nothing is left once the end line is removed
  doFFT(doc, 0, 0, ui);
  ASSERT_EQ(doc.bufferCount(), 2);
  const DataBuffer& s = *doc.buffer(1);
  EXPECT_EQ(s.X, (std::vector<double>{0.5, 1.0, 1.5, 2.0}));
  for (double a : s.Y) EXPECT_NEAR(a, 0, 1e-5);
  EXPECT_EQ(s.comment, "s FFT");
  EXPECT_EQ(s.source, "FFT");
  samples({1, 3, 2, 5, 4, 6, 2});
  doFFT(doc, 2, 7, ui);
  doFFT(doc, 2, 0, ui);
  EXPECT_EQ(doc.buffer(3)->Y, doc.buffer(4)->Y);  // unknown windows weigh 1...
  EXPECT_EQ(doc.buffer(3)->comment, "s");         // ...and add no suffix
  doFFT(doc, 2, 1, ui);
  EXPECT_EQ(doc.buffer(5)->comment, "s FFT(Hanning)");
  EXPECT_NE(doc.buffer(5)->Y, doc.buffer(4)->Y);
}

TEST_F(Fourier, SpectrumOfACosineHasItsPeakAtItsFrequency) {
  std::vector<double> ys(30);
  for (std::size_t i = 0; i < ys.size(); ++i) ys[i] = std::cos(2 * M_PI * 8 * double(i) / 32);
  samples(ys);
  doFFT(doc, 0, 0, ui);  // padded to 32: frequency 8 is the ninth pair
  const DataBuffer& s = *doc.buffer(1);
  ASSERT_EQ(s.count(), 16);
  const auto peak = std::max_element(s.Y.begin(), s.Y.end()) - s.Y.begin();
  EXPECT_EQ(peak, 8);
  EXPECT_DOUBLE_EQ(s.X[peak], 4.5);
}

TEST_F(Fourier, SmoothingKeepsDataAtFactorZeroAndCalmsNoise) {
  DataBuffer& b = samples({5, 1, 7, 3, 9, 2, 8, 4});
  fftsmooth(doc, 0, -3, ui);
  ASSERT_EQ(doc.bufferCount(), 2);
  for (int i = 0; i < b.count(); ++i) EXPECT_NEAR(doc.buffer(1)->Y[i], b.Y[i], 1e-4);
  EXPECT_EQ(doc.buffer(1)->comment, "s, fftsmooth(0,0)");
  EXPECT_EQ(doc.buffer(1)->source, "FFTsmoth");
  EXPECT_EQ(m.GV["lastbuffer"], 1);
  ImportOptions o;
  o.file = dataDir() + "/xps/0-150W_NiWC1s_C1s.txt";
  importFile(doc, o);
  DataBuffer& spectrum = *doc.buffer(2);
  spectrum.sort(0);
  fftsmooth(doc, 2, 4, ui);
  const DataBuffer& smooth = *doc.buffer(3);
  auto roughness = [](const std::vector<double>& v) {
    double r = 0;
    for (std::size_t i = 1; i + 1 < v.size(); ++i) r += std::fabs(v[i - 1] - 2 * v[i] + v[i + 1]);
    return r;
  };
  EXPECT_LT(roughness(smooth.Y), roughness(spectrum.Y) / 4);
  EXPECT_NEAR(*std::max_element(smooth.Y.begin(), smooth.Y.end()), 2700, 150);  // the peak survives
}

TEST_F(Fourier, UnevenSpacingAsksFirstAndTinyBuffersAreRefused) {
  DataBuffer& b = samples({1, 2, 3, 4});
  b.X[2] = 2.5;
  ui.answer("Cancel");
  doFFT(doc, 0, 0, ui);
  EXPECT_EQ(doc.bufferCount(), 1);
  ASSERT_EQ(ui.alerts.size(), 1u);
  EXPECT_EQ(ui.alerts[0].message, "Fourier transform works not correctly!");
  samples({1, 2});
  fftsmooth(doc, 1, 2, ui);
  doFFT(doc, 7, 0, ui);
  EXPECT_EQ(doc.bufferCount(), 2);
}

}  // namespace
}  // namespace xyla::test
