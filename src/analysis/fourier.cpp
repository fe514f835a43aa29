#include "analysis/fourier.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "analysis/dialog_fields.h"
#include "analysis/fft_core.h"
#include "model/data_buffer.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {

// Weight of point j of n under the window; computed in double, used in single precision.
float windowWeight(int window, int j, int n) {
  const double N = n - 1, half = 0.5 * (n + 1), centred = (j - 0.5 * N) / half;
  switch (window) {
    case 1: return static_cast<float>(0.5 * (1 - std::cos(6.283185307 * j / N)));
    case 2: return static_cast<float>(1 - centred * centred);
    case 3: return static_cast<float>(1 - std::fabs(centred));
    default: return 1.0f;
  }
}

const char* windowSuffix(int window) {
  switch (window) {
    case 0: return " FFT";
    case 1: return " FFT(Hanning)";
    case 2: return " FFT(Welch)";
    case 3: return " FFT(Parzen)";
    default: return "";
  }
}

// The buffer, when it exists, has enough points and passes the constant-step question.
DataBuffer* usable(XylaDocument& doc, int index, Ui& ui) {
  DataBuffer* b = doc.buffer(index);
  if (!b || b->count() < 3 || !b->checkDX(ui)) return nullptr;
  return b;
}

}  // namespace

XylaDocument& doFFT(XylaDocument& doc, int index, int window, Ui& ui) {
  DataBuffer* src = usable(doc, index, ui);
  if (!src) return doc;
  auto out = std::make_unique<DataBuffer>();
  out->comment = src->comment + windowSuffix(window);
  out->source = "FFT";
  const int n = src->count();
  std::vector<float> y(static_cast<std::size_t>(n) + 1);
  for (int j = 0; j < n; ++j) y[static_cast<std::size_t>(j) + 1] = windowWeight(window, j, n) * static_cast<float>(src->Y[j]);
  const unsigned long m = fft::fft(y, static_cast<unsigned long>(n));
  out->X.reserve(m / 2);
  out->Y.reserve(m / 2);
  for (unsigned long k = 1; k + 1 <= m; k += 2)
    out->quickAddDoubleValue(0.5 * static_cast<double>((k + 1) / 2), fft::pcabs(y[k], y[k + 1]));
  out->rescale();
  doc.appendBuffer(std::move(out));
  doc.replot();
  return doc;
}

XylaDocument& fftsmooth(XylaDocument& doc, int index, double factor, Ui& ui) {
  DataBuffer* src = usable(doc, index, ui);
  if (!src) return doc;
  // fmax: an undefined factor counts as 0 (an unchanged copy) instead of a window of
  // undefined width, whose padded length would never be reached.
  const double f = std::fmax(factor, 0.0);
  const int n = src->count();
  // The padded length grows with the window; a window wider than four times the data
  // already leaves little but the line through the ends, so wider ones are narrowed to
  // that instead of asking for gigabytes.
  const double widest = 4.0 * n + 64;
  const float pts = static_cast<float>(std::min(2 * std::trunc(std::min(f, 1e9)), widest));
  std::vector<float> y(static_cast<std::size_t>(n) + 1);
  for (int j = 0; j < n; ++j) y[static_cast<std::size_t>(j) + 1] = static_cast<float>(src->Y[j]);
  fft::smooft(y, static_cast<unsigned long>(n), pts);
  auto out = std::make_unique<DataBuffer>();
  out->copyStyle(*src);
  out->source = "FFTsmoth";
  out->comment = src->comment + ", fftsmooth(" + std::to_string(index) + "," + formatG(f) + ")";
  out->X.reserve(static_cast<std::size_t>(n));
  out->Y.reserve(static_cast<std::size_t>(n));
  for (int j = 0; j < n; ++j) out->quickAddDoubleValue(src->X[j], y[static_cast<std::size_t>(j) + 1]);
  out->rescale();
  doc.appendBuffer(std::move(out));
  setLastBuffer(doc, doc.bufferCount() - 1);
  doc.replot();
  return doc;
}

}  // namespace xyla
