#pragma once

namespace xyla {

class Ui;
class XylaDocument;

// Appends the amplitude spectrum of buffer `index` (window 0 none, 1 Hanning, 2 Welch,
// 3 Parzen, others none without a comment suffix). Buffers that fail the constant-step
// question, or have fewer than 3 points, are left alone.
XylaDocument& doFFT(XylaDocument& doc, int index, int window, Ui& ui);
// Appends buffer `index` smoothed by a Fourier low-pass over 2 x trunc(factor) points
// (negative factors count as 0) and records it as the last buffer.
XylaDocument& fftsmooth(XylaDocument& doc, int index, double factor, Ui& ui);

}  // namespace xyla
