// The per-buffer data primitives that analysis operations and macro commands build on.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "model/data_buffer.h"
#include "model/ui.h"

namespace xyla {

namespace {

// Shell-sort gaps, largest first; the sort starts at the first one not above the count.
constexpr long kGaps[] = {363552448, 165251120, 75114144, 34142792, 15519450, 7054296, 3206498,
                          1457499,   662500,    301136,   136880,   62218,    28281,   12855,
                          5843,      2656,      1207,     549,      249,      113,     52,
                          23,        11,        5,        2,        1};

std::string format(const char* fmt, int n) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, n);
  return buf;
}

}  // namespace

void DataBuffer::addX(double d) {
  for (double& x : X) x += d;
  rescale();
}

void DataBuffer::addY(double d) {
  for (double& y : Y) y += d;
  rescale();
}

void DataBuffer::linBg(double a, double b) {
  const int n = count();
  for (int i = 0; i < n; ++i) Y[i] = Y[i] + a * X[i] + b;
  rescale();
}

void DataBuffer::normX(double a1, double a2, double b1, double b2) {
  for (double& x : X) x = (x - a1) * (b2 - b1) / (a2 - a1) + b1;
  rescale();
}

void DataBuffer::normY(double a1, double a2, double b1, double b2) {
  for (double& y : Y) y = (y - a1) * (b2 - b1) / (a2 - a1) + b1;
  rescale();
}

void DataBuffer::cut(int axis, double p, double q, int mode, Ui& ui) {
  const double lo = std::min(p, q);
  const double hi = std::max(p, q);
  const int n = count();
  std::vector<char> keep(static_cast<std::size_t>(n), 0);
  bool any = false;
  if ((axis == 0 || axis == 1) && (mode == 0 || mode == 1)) {
    const std::vector<double>& v = axis == 0 ? X : Y;
    for (int i = 0; i < n; ++i) {
      // Comparisons with NaN are false, so NaN values are dropped in both modes.
      const bool k = mode == 0 ? (lo < v[i] && v[i] < hi) : (v[i] < lo || v[i] > hi);
      keep[i] = k;
      any |= k;
    }
  }
  if (!any) {
    ui.beep();
    return;
  }
  keepPoints(keep);
  rescale();
}

void DataBuffer::reduction(int n, Ui& ui) {
  const int c = count();
  if (n <= 0 || c < 2LL * n) {  // 2n in 64 bits: a factor near the int limit must not wrap
    ui.alert("To Few Points", "this buffer contain to few points for data reduction with this factor", {"Ok"});
    return;
  }
  comment += format(", data reduction(%d)", n);
  const bool errors = haserror();
  const int groups = c / n;
  std::vector<double> nx, ny, nex, ney;
  nx.reserve(groups);
  ny.reserve(groups);
  for (int g = 0; g < groups; ++g) {
    double sx = 0, sy = 0, sex = 0, sey = 0;
    for (int i = g * n; i < (g + 1) * n; ++i) {
      sx += X[i];
      sy += Y[i];
      if (errors) {
        sex += EX[i];
        sey += EY[i];
      }
    }
    nx.push_back(sx / n);
    ny.push_back(sy / n);
    if (errors) {
      nex.push_back(sex / n);
      ney.push_back(sey / n);
    }
  }
  X = std::move(nx);
  Y = std::move(ny);
  if (errors) {
    EX = std::move(nex);
    EY = std::move(ney);
  }
  rescale();
}

void DataBuffer::smooth(int n, Ui& ui) {
  const int c = count();
  if (n <= 0 || c < 2LL * n) {  // 2n in 64 bits: a factor near the int limit must not wrap
    ui.alert("To Few Points", "this buffer contain to few points for smoothing with this factor", {"Ok"});
    return;
  }
  comment += format(", smooth(%d)", n);
  const bool errors = haserror();
  std::vector<double> nx(c), ny(c), nex, ney;
  if (errors) {
    nex.resize(c);
    ney.resize(c);
  }
  for (int i = 0; i < c; ++i) {
    const int from = std::max(0, i - n);
    const int to = std::min(c - 1, i + n - 1);
    double sx = 0, sy = 0, sex = 0, sey = 0;
    for (int k = from; k <= to; ++k) {
      sx += X[k];
      sy += Y[k];
      if (errors) {
        sex += EX[k];
        sey += EY[k];
      }
    }
    const double m = to - from + 1;
    nx[i] = sx / m;
    ny[i] = sy / m;
    if (errors) {
      nex[i] = sex / m;
      ney[i] = sey / m;
    }
  }
  X = std::move(nx);
  Y = std::move(ny);
  if (errors) {
    EX = std::move(nex);
    EY = std::move(ney);
  }
  rescale();
}

void DataBuffer::sort(int key) {
  const bool errors = haserror() && EX.size() == X.size();
  norescale = true;
  const long n = count();
  // The exchanges of the gapped insertion sort are carried out on (key, index) pairs;
  // moving an element down by repeated exchanges is the same as shifting the larger
  // ones up, so the final order equals that of the exchange formulation exactly.
  struct Item {
    double key;
    long index;
  };
  std::vector<Item> items(static_cast<std::size_t>(n));
  const std::vector<double>& keys = key == 0 ? X : Y;
  for (long i = 0; i < n; ++i) items[i] = {keys[i], i};
  bool moved = false;
  for (long gap : kGaps) {
    if (gap > n) continue;
    for (long i = 0; i + gap < n; ++i) {
      const Item item = items[i + gap];
      long j = i;
      while (j >= 0 && items[j].key > item.key) {
        items[j + gap] = items[j];
        j -= gap;
        moved = true;
      }
      items[j + gap] = item;
    }
  }
  if (moved) {
    auto permute = [&items, n](std::vector<double>& v) {
      std::vector<double> out(static_cast<std::size_t>(n));
      for (long i = 0; i < n; ++i) out[i] = v[items[i].index];
      v = std::move(out);
    };
    permute(X);
    permute(Y);
    if (errors) {
      permute(EX);
      permute(EY);
    }
  }
  norescale = false;
  rescale();
}

void DataBuffer::swapXY() {
  norescale = true;
  std::swap(X, Y);
  if (haserror()) std::swap(EX, EY);
  norescale = false;
  rescale();
}

bool DataBuffer::checkDX(Ui& ui) {
  if (!warn) {
    warn = true;
    return true;
  }
  const int n = count();
  if (n < 2) return true;
  const double d = std::fabs(X[1] - X[0]);
  const double t = d / 20.0;
  bool fails = false;
  for (int i = 0; i + 1 < n && !fails; ++i) {
    const double step = std::fabs(X[i] - X[i + 1]);
    fails = X[i] > X[i + 1] || step >= d + t || d - t >= step;
  }
  if (!fails) return true;
  return ui.alert("Buffer has not a const. Dx and/or is unsorted!", "Fourier transform works not correctly!",
                  {"Continue", "Cancel"}) == 0;
}

bool DataBuffer::checkSort(Ui& ui) {
  if (!warn) {
    warn = true;
    return true;
  }
  const int n = count();
  if (n < 2) return true;
  bool sorted = true;
  for (int i = 0; i + 1 < n && sorted; ++i) sorted = !(X[i] > X[i + 1]);
  if (sorted) return true;
  if (ui.alert("Unsorted Buffer", "for this operation your need a buffer with sorted X values", {"Sort", "Cancel"}) != 0)
    return false;
  sort(0);
  return true;
}

}  // namespace xyla
