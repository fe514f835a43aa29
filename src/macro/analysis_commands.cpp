// The analysis operations over lists of buffers. Warn-aware commands first silence the
// one-time warnings of each target buffer when the macro's "warn" flag is off.
#include "analysis/calculus.h"
#include "analysis/fourier.h"
#include "analysis/generator.h"
#include "analysis/satellites.h"
#include "analysis/shirley.h"
#include "analysis/spline.h"
#include "analysis/spline_fit.h"
#include "analysis/transforms.h"
#include "expr/computed_columns.h"
#include "macro/command_families.h"
#include "macro/command_helpers.h"
#include "macro/command_table.h"
#include "model/manager.h"
#include "model/ui.h"

namespace xyla {

namespace {

using G = CommandGroup;

// Runs a document operation on every listed buffer; `warnAware` honours "warn".
template <typename F>
void eachIndex(Macro& m, bool warnAware, F f) {
  forEachBufferIndex(m, [&](int i) {
    if (warnAware && !m.WARN) m.PD->buffer(i)->disableWarn();
    f(*m.PD, i, m.M->ui());
  });
}

void swapxy(Macro& m) {
  forEachBuffer(m, [](DataBuffer& b) { b.swapXY(); });
}
void linbg(Macro& m) {
  forEachBuffer(m, [&](DataBuffer& b) { b.linBg(m.D[0], m.D[1]); });
}

void fg(Macro& m) {
  if (m.I[0] == 1 || m.I[0] == 2)
    functionGenerator(*m.PD, m.I[0] - 1, m.D[1], m.D[2], truncInt(m.D[3]), m.S[4], m.M->ui());
}

void bcalc(Macro& m) {
  if (!m.PD->buffer(m.I[0]) || !m.PD->buffer(m.I[2])) return;
  static const char* const ops[] = {"+", "-", "*", "/"};
  for (int op = 0; op < 4; ++op) {
    if (m.S[1] == ops[op]) calcBuf(*m.PD, m.I[0], m.I[2], op, m.M->ui());
  }
}

void calcCommand(Macro& m) {
  forEachBuffer(m, [&](DataBuffer& b) {
    if (!m.WARN) b.disableWarn();
    expr::calc(b, m.I[0] - 1, m.S[1], m.M->CV, m.M->GV, *m.PD);
  });
}

void normx(Macro& m) {
  forEachBuffer(m, [&](DataBuffer& b) { b.normX(m.D[0], m.D[1], m.D[2], m.D[3]); });
}
void normy(Macro& m) {
  forEachBuffer(m, [&](DataBuffer& b) { b.normY(m.D[0], m.D[1], m.D[2], m.D[3]); });
}
void movex(Macro& m) {
  forEachBuffer(m, [&](DataBuffer& b) { b.addX(m.D[1] - m.D[0]); });
}
void movey(Macro& m) {
  forEachBuffer(m, [&](DataBuffer& b) { b.addY(m.D[1] - m.D[0]); });
}

template <int Axis, int Mode>
void cutCommand(Macro& m) {
  forEachBuffer(m, [&](DataBuffer& b) { b.cut(Axis, m.D[0], m.D[1], Mode, m.M->ui()); });
}

void calcint(Macro& m) {
  eachIndex(m, true, [&](XylaDocument& d, int i, Ui& ui) { integrate(d, i, m.D[0], m.D[1], ui); });
}

template <int Kind>
void regression(Macro& m) {
  eachIndex(m, false, [&](XylaDocument& d, int i, Ui& ui) { reg(d, i, m.D[0], m.D[1], Kind, ui); });
}

void smoothCommand(Macro& m) {
  eachIndex(m, false, [&](XylaDocument& d, int i, Ui& ui) { smooth(d, i, truncInt(m.D[0]), ui); });
}
void fftsmoothCommand(Macro& m) {
  eachIndex(m, true, [&](XylaDocument& d, int i, Ui& ui) { fftsmooth(d, i, m.D[0], ui); });
}
void datareduction(Macro& m) {
  eachIndex(m, false, [&](XylaDocument& d, int i, Ui& ui) { reduction(d, i, truncInt(m.D[0]), ui); });
}
void diffCommand(Macro& m) {
  eachIndex(m, true, [&](XylaDocument& d, int i, Ui& ui) { diff(d, i, m.D[0], ui); });
}
void fft(Macro& m) {
  eachIndex(m, true, [&](XylaDocument& d, int i, Ui& ui) { doFFT(d, i, m.I[0], ui); });
}
void xpssatsub(Macro& m) {
  eachIndex(m, true, [&](XylaDocument& d, int i, Ui& ui) { doSatSub(d, i, m.I[0] == 0 ? 0 : 1, ui); });
}
void shirleybg(Macro& m) {
  eachIndex(m, true,
            [&](XylaDocument& d, int i, Ui& ui) { doShirley(d, i, m.D[0], m.D[1], m.D[2], m.D[3], ui); });
}
void splineCommand(Macro& m) {
  eachIndex(m, true, [&](XylaDocument& d, int i, Ui& ui) { spline(d, i, m.I[0], m.D[1], ui); });
}

// Arguments out of their ranges fall back to the dialog's defaults.
void splinefit(Macro& m) {
  SplineFitOptions o;
  o.useExclude = m.I[0] != 0;
  o.excludeMin = m.D[1];
  o.excludeMax = m.D[2];
  o.corrMode = m.I[3] >= 0 && m.I[3] <= 2 ? m.I[3] : 0;
  o.corrFactor = m.D[4];
  o.corrFunction = m.I[5] >= 0 && m.I[5] <= 3 ? m.I[5] + 1 : 1;
  o.sigmaMode = m.I[6] >= 0 && m.I[6] <= 3 ? m.I[6] : 1;
  o.sigmaValue = m.D[7];
  o.order = m.I[8] >= 0 && m.I[8] <= 23 ? m.I[8] : 4;
  o.exportMinMax = m.I[9] != 0;
  o.exportDerivative = m.I[10] != 0;
  o.points = m.I[11] > 2 ? m.I[11] : 4;
  eachIndex(m, true, [&](XylaDocument& d, int i, Ui& ui) { splineFit(d, i, o, ui); });
}

void integrateCommand(Macro& m) {
  eachIndex(m, true, [&](XylaDocument& d, int i, Ui& ui) { integrate(d, i, ui); });
}

// The setxval family: point I1 of every listed buffer; a point outside a buffer leaves
// that buffer alone.
template <void (DataBuffer::*Set)(int, double)>
void setPointValue(Macro& m) {
  forEachBuffer(m, [&](DataBuffer& b) {
    if (m.I[1] >= 0 && m.I[1] < b.count()) (b.*Set)(m.I[1], m.D[2]);
  });
}

}  // namespace

void registerAnalysisCommands(CommandTable& t) {
  t.add(
      G::Analysis, "splinefit", "iddidiidiiiib", 13, splinefit,
      {"exclude min max corrmode corrfactor corrfunction sigmamode sigma order minmax derivative points buffers",
       "Fits a smoothing spline to each buffer with the outside spline programs (exclude 1: leave min..max out; order "
       "1-8, higher orders refused; minmax, derivative 1: export them too; points per interval); appends the curve."});
  t.add(G::Analysis, "swapxy", "b", 1, swapxy,
        {"buffers", "Swaps the X and Y values of the buffers."});
  t.add(G::Analysis, "linbg", "ddb", 3, linbg,
        {"slope offset buffers", "Adds slope*x + offset to the Y values of the buffers."});
  t.add(G::Analysis, "fg", "iddis", 5, fg,
        {"mode min max steps expression", "Appends a buffer of the expression in x sampled at steps points from min to max (mode 1: x, value; mode 2: value, x)."});
  t.add(G::Analysis, "bcalc", "isi", 3, bcalc,
        {"first operator second", "Appends the buffer first + - * / second over their common X range."});
  t.add(G::Analysis, "calc", "isb", 3, calcCommand,
        {"column expression buffers", "Replaces column 1 X, 2 Y, 3 X error or 4 Y error of the buffers by the expression (x, y, ex, ey, np, ...)."});
  t.add(G::Analysis, "normx", "ddddb", 5, normx,
        {"from1 from2 to1 to2 buffers", "Maps X values linearly so that from1 becomes to1 and from2 becomes to2."});
  t.add(G::Analysis, "normy", "ddddb", 5, normy,
        {"from1 from2 to1 to2 buffers", "Maps Y values linearly so that from1 becomes to1 and from2 becomes to2."});
  t.add(G::Analysis, "movex", "ddb", 3, movex,
        {"from to buffers", "Shifts the X values of the buffers by to - from."});
  t.add(G::Analysis, "movey", "ddb", 3, movey,
        {"from to buffers", "Shifts the Y values of the buffers by to - from."});
  t.add(G::Analysis, "cutoutsidex", "ddb", 3, cutCommand<0, 0>,
        {"a b buffers", "Keeps only the points whose X lies strictly between a and b."});
  t.add(G::Analysis, "cutoutsidey", "ddb", 3, cutCommand<1, 0>,
        {"a b buffers", "Keeps only the points whose Y lies strictly between a and b."});
  t.add(G::Analysis, "cutinsidex", "ddb", 3, cutCommand<0, 1>,
        {"a b buffers", "Removes the points whose X lies between a and b."});
  t.add(G::Analysis, "cutinsidey", "ddb", 3, cutCommand<1, 1>,
        {"a b buffers", "Removes the points whose Y lies between a and b."});
  t.add(G::Analysis, "calcint", "ddb", 3, calcint,
        {"a b buffers", "Integrates each buffer from a to b (trapezoids) into the variable integral and the buffer's comment."});
  t.add(G::Analysis, "linreg", "ddb", 3, regression<0>,
        {"a b buffers", "Fits y = A + B x over a <= x <= b; appends the line and sets rega, regb, regr."});
  t.add(G::Analysis, "logreg", "ddb", 3, regression<1>,
        {"a b buffers", "Fits y = A + B ln x over a <= x <= b; appends the curve and sets rega, regb, regr."});
  t.add(G::Analysis, "expreg", "ddb", 3, regression<2>,
        {"a b buffers", "Fits y = A exp(B x) over a <= x <= b; appends the curve and sets rega, regb, regr."});
  t.add(G::Analysis, "smooth", "db", 2, smoothCommand,
        {"factor buffers", "Appends each buffer smoothed by a moving mean over 2 x factor points."});
  t.add(G::Analysis, "fftsmooth", "db", 2, fftsmoothCommand,
        {"factor buffers", "Appends each buffer smoothed by a Fourier filter of the given width in points."});
  t.add(G::Analysis, "datareduction", "db", 2, datareduction,
        {"factor buffers", "Appends each buffer with every group of factor points replaced by its mean."});
  t.add(G::Analysis, "spline", "idb", 3, splineCommand,
        {"points strength buffers", "Appends the cubic spline through each buffer (sorted X, 4 points at least), tabulated with the given points per interval."});
  t.add(G::Analysis, "diff", "db", 2, diffCommand,
        {"width buffers", "Appends the slope of each buffer by local linear regression over neighbours closer than width in X."});
  t.add(G::Analysis, "fft", "ib", 2, fft,
        {"window buffers", "Appends the amplitude spectrum of each buffer; window 0 none, 1 Hanning, 2 Welch, 3 Parzen."});
  t.add(G::Analysis, "xpssatsub", "ib", 2, xpssatsub,
        {"anode buffers", "Appends each XPS spectrum without its X-ray satellites; anode 0 magnesium, 1 aluminium."});
  t.add(G::Analysis, "shirleybg", "ddddb", 5, shirleybg,
        {"x1 y1 x2 y2 buffers", "Removes an iterative Shirley background between the end points (x1, y1) and (x2, y2); appends the spectrum without it and the background."});
  t.add(G::Analysis, "integrate", "b", 1, integrateCommand,
        {"buffers", "Appends the running integral (trapezoids, from 0) of each buffer."});
  t.add(G::Analysis, "setxval", "bid", 1, setPointValue<&DataBuffer::setXDoubleValueAt>,
        {"buffers [point] [x]", "Sets the X value of one point in each of the buffers."});
  t.add(G::Analysis, "setyval", "bid", 1, setPointValue<&DataBuffer::setYDoubleValueAt>,
        {"buffers [point] [y]", "Sets the Y value of one point in each of the buffers."});
  t.add(G::Analysis, "setxeval", "bid", 1, setPointValue<&DataBuffer::setXDoubleErrorAt>,
        {"buffers [point] [error]", "Sets the X error of one point in each of the buffers."});
  t.add(G::Analysis, "setyeval", "bid", 1, setPointValue<&DataBuffer::setYDoubleErrorAt>,
        {"buffers [point] [error]", "Sets the Y error of one point in each of the buffers."});
}

}  // namespace xyla
