#include "analysis/generator.h"

#include <memory>
#include <vector>

#include "analysis/dialog_fields.h"
#include "expr/expression.h"
#include "model/data_buffer.h"
#include "model/manager.h"
#include "model/ui.h"
#include "model/xyla_document.h"

namespace xyla {

namespace {
constexpr int kMaxGeneratorSteps = 100'000'000;
}  // namespace

void functionGenerator(XylaDocument& doc, int mode, double min, double max, int steps, const std::string& expression,
                       Ui& ui) {
  expr::Expression e;
  e.setVar("x", 0);
  e.setVar("y", 0);
  if (doc.M) {
    e.setVars(doc.M->GV);
    e.setGlobalVars(doc.M->CV);
  }
  // More points than memory can hold are refused like an empty grid.
  if (!(min < max) || steps <= 1 || steps > kMaxGeneratorSteps) {
    ui.beep();
    return;
  }
  if (!e.parse(expression)) return;
  const int sx = e.slot("x"), sy = e.slot("y");
  const double step = (max - min) / (steps - 1);
  auto out = std::make_unique<DataBuffer>();
  // The grid value accumulates by addition, so the last point depends on its rounding
  // exactly as the sampling always has.
  for (double t = min; t <= max && out->count() <= steps; t += step) {
    e.setSlot(sx, t);
    e.setSlot(sy, t);
    const double v = e.resultValue();
    if (mode == 0) out->quickAddDoubleValue(t, v);
    else out->quickAddDoubleValue(v, t);
  }
  out->source = "Function";
  out->comment = std::string(mode == 0 ? "y=" : "x=") + expression + " (" + formatG(min) + "-" + formatG(max) + "," +
                 std::to_string(steps) + ")";
  out->rescale();
  doc.appendBuffer(std::move(out));
}

namespace {

// Linear interpolation that walks forward through the segments, remembering where the
// previous point was found (the callers visit X in ascending order).
class ForwardInterpolator {
 public:
  ForwardInterpolator(const std::vector<double>& x, const std::vector<double>& y) : x_(x), y_(y) {}
  double at(double v) {
    for (std::size_t k = k_; k + 1 < x_.size(); ++k) {
      if (x_[k] <= v && v <= x_[k + 1]) {
        k_ = k;
        const double w = x_[k + 1] - x_[k];
        return w == 0 ? 0.0 : y_[k] + (y_[k + 1] - y_[k]) * (v - x_[k]) / w;
      }
    }
    return 0.0;
  }

 private:
  const std::vector<double>& x_;
  const std::vector<double>& y_;
  std::size_t k_ = 0;
};

double combine(double y, double z, int op) {
  switch (op) {
    case 0: return y + z;
    case 1: return y - z;
    case 2: return y * z;
    default: return z == 0 ? 0.0 : y / z;
  }
}

struct Points {
  std::vector<double> X, Y;
};

// Adds (x, first op second) for every point of `from` inside the X range of `other`;
// `fromIsFirst` tells which operand the point's own Y is.
void collect(const Points& from, const Points& other, bool fromIsFirst, int op, DataBuffer& out) {
  if (other.X.empty()) return;
  ForwardInterpolator interp(other.X, other.Y);
  const double lo = other.X.front(), hi = other.X.back();
  for (std::size_t k = 0; k < from.X.size(); ++k) {
    const double x = from.X[k];
    if (!(lo <= x && x <= hi)) continue;
    const double own = from.Y[k], theirs = interp.at(x);
    out.quickAddDoubleValue(x, fromIsFirst ? combine(own, theirs, op) : combine(theirs, own, op));
  }
}

}  // namespace

void calcBuf(XylaDocument& doc, int i, int j, int op, Ui& ui) {
  DataBuffer* a = doc.buffer(i);
  DataBuffer* b = doc.buffer(j);
  if (!a || !b || !a->checkSort(ui) || !b->checkSort(ui)) return;
  const Points first{a->X, a->Y}, second{b->X, b->Y};
  DataBuffer all;
  collect(first, second, true, op, all);
  collect(second, first, false, op, all);
  all.sort(0);
  auto out = std::make_unique<DataBuffer>();
  for (int k = 0; k < all.count(); ++k)
    if (k == 0 || all.X[k] != all.X[k - 1]) out->quickAddDoubleValue(all.X[k], all.Y[k]);
  static const char ops[] = {'+', '-', '*', '/'};
  out->comment = "BufferCalc(" + std::to_string(i) + ops[op >= 0 && op <= 3 ? op : 3] + std::to_string(j) + ")";
  if (out->count() == 0) {
    ui.beep();
    return;
  }
  out->rescale();
  doc.appendBuffer(std::move(out));
}

}  // namespace xyla
