#include "fit/fit_table.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "fit/background_terms.h"
#include "model/text_scan.h"
#include "shapes/peak_model.h"
#include "shapes/shape_registry.h"

namespace xyla::fit {

namespace {

constexpr float kHuge = 1e37f;
constexpr float kDifferenceStep = 1e-5f;

// The number at the start of `s` (an optional sign, digits, point, exponent); 0 when
// there is none. Infinities and NaN are not numbers here.
double leadingNumber(const std::string& s, bool* ok = nullptr) {
  std::size_t i = 0;
  if (i < s.size() && s[i] == '+') ++i;
  double v = 0.0;
  const char* first = s.data() + i;
  const char* last = s.data() + s.size();
  const bool numeric = first < last && (std::isdigit(static_cast<unsigned char>(*first)) || *first == '.' ||
                                         *first == '-');
  const auto r = numeric ? std::from_chars(first, last, v) : std::from_chars_result{first, std::errc::invalid_argument};
  const bool good = r.ec == std::errc() && std::isfinite(v);
  if (ok) *ok = good;
  return good ? v : 0.0;
}

std::string replaceAll(std::string s, const std::string& from, const std::string& to) {
  for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
  return s;
}

std::string cellOf(const FitRow& row, FitCell cell) { return cleanCell(row.get(cell).substr(0, kMaxCellLength)); }

struct Limits {
  float lo[6];
  float hi[6];
};

// Background rows: levels and coefficients of either sign; the Tougaard scale and
// constant are positive, its side is 0 or 1.
Limits backgroundLimits(int code) {
  Limits l{{0, -kHuge, -kHuge, -kHuge, -kHuge, -kHuge}, {0, kHuge, kHuge, kHuge, kHuge, kHuge}};
  if (code == kTougaardBackground) {
    l.lo[1] = 0.0f;
    l.lo[3] = 0.0f;
    l.lo[4] = 0.0f;
    l.hi[4] = 1.0f;
  }
  return l;
}

// Exponents of LA(alpha, beta, m) above 1/2, where its area is finite.
constexpr float kLaLowestExponent = 0.501f;

Limits defaultLimits(int code) {
  if (isBackgroundCode(code)) return backgroundLimits(code);
  Limits l{{0, 0, 0, 0, 0, -kHuge}, {0, kHuge, kHuge, 1e36f, 1, kHuge}};
  if (shapes::isLaCode(code)) {
    l.lo[4] = l.lo[5] = kLaLowestExponent;
    l.hi[4] = l.hi[5] = 1000.0f;
    return l;
  }
  switch (code) {
    case shapes::kDoniachSunjic:
    case shapes::kDoniachSunjic + shapes::kConvolved:
      l.lo[4] = -0.5f;
      l.hi[4] = 0.5f;
      break;
    case shapes::kGaussLorentzPercent:
    case shapes::kGaussLorentzPercent + shapes::kConvolved:
    case shapes::kSumGaussLorentz:
    case shapes::kSumGaussLorentz + shapes::kConvolved:
      l.hi[4] = 100.0f;
      break;  // Lorentzian percentage
    case shapes::kVoigt:
      l.hi[4] = 1e36f;
      break;  // Lorentzian FWHM
    default: break;
  }
  if (code == shapes::kTailed) {
    l.lo[5] = -100.0f;
    l.hi[5] = 100.0f;
  } else if (code >= shapes::kConvolved) {
    l.lo[5] = 0.0f;
    l.hi[5] = 100.0f;
  }
  if (code < 0)
    for (int s = 1; s <= 5; ++s) {
      l.lo[s] = -kHuge;
      l.hi[s] = kHuge;
    }
  return l;
}

// A number in single precision, saturated instead of overflowing to infinity.
float toFloat(double v) {
  constexpr double kMax = std::numeric_limits<float>::max();
  return static_cast<float>(std::clamp(v, -kMax, kMax));
}

std::string cellError(int row, int column, const char* reason) {
  char head[64];
  std::snprintf(head, sizeof head, "Error in line %d column %c !\n", row, "ABCDE"[column - 1]);
  return std::string(head) + reason;
}

// Checks a tie of peak k's cell against the rows above; empty when it is allowed.
std::string tieProblem(const FitModel& m, const Cell& c, int row, int slot) {
  const int r = c.row;
  const bool earlier = r >= 1 && r < row + 1;
  if (earlier && m.ed[r - 1] < 0)
    return cellError(row + 1, slot, "Values can not depend on disabled lines !");
  if (!earlier) return cellError(row + 1, slot, "Values can only depend on previously defined values !");
  const int target = 5 * m.ed[r - 1] + slot;
  if (m.kind[target] == Cell::Tie)
    return cellError(row + 1, slot, "Values can not depend on other dependent values !");
  return "";
}

// Stores cell `c` as parameter j of the peak in row `row`; an error text when refused.
std::string storeCell(FitModel& m, const Cell& c, int row, int slot, int j, const Limits& lim) {
  m.irel[j] = j;
  m.krel[j] = 1;
  m.kind[j] = c.kind;
  m.ptmin[j] = lim.lo[slot];
  m.ptmax[j] = lim.hi[slot];
  m.daj[j] = kDifferenceStep;
  m.ptmm[j] = -1.0f;
  if (c.kind == Cell::Tie) {
    if (std::string problem = tieProblem(m, c, row, slot); !problem.empty()) return problem;
    if (c.op == kTieDivide && c.value == 0.0) {
      char text[80];
      std::snprintf(text, sizeof text, "Error in line %d ! Dviding by zero error !", row + 1);
      return text;
    }
    m.iirel[j] = c.row;
    m.irel[j] = 5 * m.ed[c.row - 1] + slot;
    m.prel[j] = c.op;
    m.krel[j] = (c.op == kTiePlus || c.op == kTieMinus) ? 1 : 0;
    const double stored = c.op == kTieMinus ? -c.value : c.op == kTieDivide ? 1.0 / c.value : c.value;
    m.ptab[j] = toFloat(stored);
    return "";
  }
  m.ptab[j] = toFloat(c.value);
  if (c.kind == Cell::Free) {
    if (c.range >= 0.0) {
      m.ptmm[j] = toFloat(c.range);
      m.ptmin[j] = toFloat(c.value - c.range);
      m.ptmax[j] = toFloat(c.value + c.range);
    }
    if (c.range == 0.0)
      m.kind[j] = Cell::Fixed;  // a zero range pins the value
    else
      m.mfit[++m.nmfit] = j;
  }
  return "";
}

std::string formatTie(const FitModel& m, int j) {
  const float v = m.ptab[j];
  char buf[64];
  switch (m.prel[j]) {
    case kTieMinus: std::snprintf(buf, sizeof buf, "%d-%s", m.iirel[j], formatG(-v).c_str()); break;
    case kTieTimes: std::snprintf(buf, sizeof buf, "%d*%s", m.iirel[j], formatG(v).c_str()); break;
    case kTieDivide: std::snprintf(buf, sizeof buf, "%d/%s", m.iirel[j], formatG(1.0 / v).c_str()); break;
    default: std::snprintf(buf, sizeof buf, "%d+%s", m.iirel[j], formatG(v).c_str()); break;
  }
  return buf;
}

std::string formatParameter(const FitModel& m, int j) {
  switch (m.kind[j]) {
    case Cell::Tie: return formatTie(m, j);
    case Cell::Free:
      return m.ptmm[j] > 0.0f ? formatG(m.ptab[j]) + "~" + formatG(m.ptmm[j]) : formatG(m.ptab[j]) + "~";
    default: return formatG(m.ptab[j]);
  }
}

// The total of weight x area over the peaks that have a percentage.
double weightedTotal(const FitModel& m) {
  double total = 0.0;
  for (int k = 1; k <= m.npix; ++k)
    if (m.pkwt[k] != 0.0f && !m.peaks[k - 1].userFunction) total += double(m.pkwt[k]) * m.pkint[k];
  return total;
}

// Writes peak k's values, percentage and weight into its row.
void writePeak(FitModel& m, int k, bool haveInt, double total, FitRow& row) {
  for (int slot = 1; slot <= 5; ++slot) {
    const int j = 5 * (k - 1) + slot;
    if (m.kind[j] == Cell::Empty || !std::isfinite(m.ptab[j])) continue;
    row.set(parameterCell(slot - 1), formatParameter(m, j));
  }
  const PeakRow& peak = m.peaks[k - 1];
  const double pct = double(m.pkwt[k]) * m.pkint[k] * 100.0 / total;
  const bool show = haveInt && !peak.userFunction && m.pkwt[k] != 0.0f && std::isfinite(pct);
  m.pkper[k] = show ? static_cast<float>(pct) : 0.0f;
  row.set(FitCell::Percent, show ? formatG(pct) : "");
  row.set(FitCell::Weight, m.pkwt[k] != 0.0f ? formatG(m.pkwt[k]) : "");
}

}  // namespace

std::string cleanCell(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\r') continue;
    out.push_back(c == ',' ? '.' : c);
  }
  return out;
}

int shapeCode(const std::string& function, bool& isShape) {
  const std::string name = textscan::upper(textscan::trim(function));
  const int code = shapes::fitCodeOfName(name);
  isShape = code >= 0;
  return isShape ? code : 0;
}

Cell parseCell(const std::string& text) {
  Cell c;
  if (text.empty()) return c;
  // Exponent signs must not read as tie operators.
  std::string s = replaceAll(replaceAll(text, "e-", "eM"), "E-", "eM");
  s = replaceAll(replaceAll(s, "e+", "eP"), "E+", "eP");
  std::size_t at = std::string::npos;
  int op = kTiePlus;
  const char ops[4] = {'+', '-', '*', '/'};
  for (int o = 0; o < 4 && at == std::string::npos; ++o) {
    const std::size_t found = s.find(ops[o], 1);
    if (found != std::string::npos) {
      at = found;
      op = o;
    }
  }
  s = replaceAll(replaceAll(s, "eM", "e-"), "eP", "e+");
  if (at != std::string::npos) {
    c.kind = Cell::Tie;
    c.op = op;
    const double r = std::trunc(leadingNumber(s.substr(0, at)));
    c.row = (r > -1e6 && r < 1e6) ? static_cast<int>(r) : 0;
    c.value = leadingNumber(s.substr(at + 1));
    return c;
  }
  const std::size_t tilde = s.find('~');
  c.value = leadingNumber(s.substr(0, tilde));
  if (tilde == std::string::npos) {
    c.kind = Cell::Fixed;
    return c;
  }
  c.kind = Cell::Free;
  bool ok = false;
  const double r = leadingNumber(s.substr(tilde + 1), &ok);
  c.range = ok ? std::fabs(r) : -1.0;
  return c;
}

FitModel::FitModel()
    : ptab(1, kMaxParams), ptmin(1, kMaxParams), ptmax(1, kMaxParams), ptmm(1, kMaxParams),
      daj(1, kMaxParams), irel(1, kMaxParams), krel(1, kMaxParams), iirel(1, kMaxParams),
      prel(1, kMaxParams), mfit(1, kMaxParams), ifunc(1, kMaxPeaks), pkint(1, kMaxPeaks),
      pkwt(1, kMaxPeaks), pkper(1, kMaxPeaks), kind(kMaxParams + 1, Cell::Empty) {}

namespace {

// A Tougaard row's C of 0 stands for the universal constant. Left free at 0 it starts
// from that constant, which gives the same curve: at 0 itself a small change of C changes
// nothing and the fit would end singular. A range typed around 0 that excludes the
// constant is the user's bound and stays as typed.
void startFreeCrossSection(FitModel& m, int j) {
  const float universal = static_cast<float>(kUniversalC);
  if (m.kind[j] != Cell::Free || m.ptab[j] > 0.0f) return;
  if (m.ptmm[j] > 0.0f && !(m.ptmin[j] <= universal && universal <= m.ptmax[j])) return;
  m.ptab[j] = universal;
}

ReadOutcome readRows(const FitTable& table, FitModel& m,
                     const std::function<bool(int, const std::string&)>& userFunction) {
  m = FitModel();
  const int rows = std::min(static_cast<int>(table.size()), kMaxPeaks);
  m.ed.assign(rows, -1);
  for (int row = 0; row < rows; ++row) {
    const FitRow& r = table[row];
    PeakRow peak;
    peak.function = cellOf(r, FitCell::Function);
    if (!r.active() || peak.function.empty()) continue;
    const int k = ++m.npix;
    m.ed[row] = k - 1;
    peak.row = row;
    bool isShape = false;
    int code = shapeCode(peak.function, isShape);
    // "GL(30)", "SGL(30)": the percentage shape with D at the named percentage, unless
    // the D cell says otherwise.
    double percent = -1.0;
    if (!isShape) {
      const int named = shapes::percentShapeOfName(textscan::upper(textscan::trim(peak.function)), percent);
      isShape = named >= 0;
      if (isShape) code = named;
    }
    // "LA(1.5,2.5,50)": alpha and beta go to D and E unless those cells are typed. The
    // name is read before decimal commas turn into points, since commas part its numbers.
    double alpha = -1.0, beta = -1.0;
    if (!isShape) {
      std::string named = textscan::trim(r.get(FitCell::Function));
      std::erase_if(named, [](char c) { return c == ' ' || c == '\t' || c == '\r'; });
      const int la = shapes::laShapeOfName(textscan::upper(named), alpha, beta);
      isShape = la >= 0;
      if (isShape) {
        code = la;
        peak.function = named;
      }
    }
    if (!isShape) {
      code = backgroundCodeOfName(textscan::upper(textscan::trim(peak.function)));
      isShape = code >= 0;
    }
    if (!isShape) {
      code = -k;
      peak.userFunction = true;
      if (!userFunction || !userFunction(k, peak.function)) return {ReadOutcome::FunctionError, ""};
    }
    m.ifunc[k] = code;
    const Limits lim = defaultLimits(code);
    for (int slot = 1; slot <= 5; ++slot) {
      peak.cells[slot - 1] = cellOf(r, parameterCell(slot - 1));
      const std::string problem = storeCell(m, parseCell(peak.cells[slot - 1]), row, slot, 5 * (k - 1) + slot, lim);
      if (!problem.empty()) return {ReadOutcome::CellError, problem};
    }
    if (percent >= 0.0 && m.kind[5 * (k - 1) + 4] == Cell::Empty) m.ptab[5 * (k - 1) + 4] = static_cast<float>(percent);
    if (alpha > 0.0 && m.kind[5 * (k - 1) + 4] == Cell::Empty) m.ptab[5 * (k - 1) + 4] = static_cast<float>(alpha);
    if (beta > 0.0 && m.kind[5 * (k - 1) + 5] == Cell::Empty) m.ptab[5 * (k - 1) + 5] = static_cast<float>(beta);
    if (code == kTougaardBackground) startFreeCrossSection(m, 5 * (k - 1) + 3);
    peak.weight = cellOf(r, FitCell::Weight);
    // A background has no area to weigh.
    m.pkwt[k] = isBackgroundCode(code) ? 0.0f : toFloat(leadingNumber(peak.weight));
    // The percentage the last fit wrote stays known to exports that re-read the table.
    m.pkper[k] = toFloat(leadingNumber(cellOf(r, FitCell::Percent)));
    m.peaks.push_back(peak);
  }
  m.nptab = 5 * m.npix;
  if (m.nmfit == 0) return {ReadOutcome::NothingToFit, ""};
  return {};
}

}  // namespace

ReadOutcome readTable(const FitTable& table, FitModel& m,
                      const std::function<bool(int, const std::string&)>& userFunction) {
  const ReadOutcome outcome = readRows(table, m, userFunction);
  // A table that could not be read leaves no half-built peaks behind.
  if (outcome.status == ReadOutcome::CellError || outcome.status == ReadOutcome::FunctionError) m = FitModel();
  return outcome;
}

void resolvedParameters(const FitModel& m, int k, float* p) {
  for (int s = 1; s <= 5; ++s) {
    const int j = 5 * (k - 1) + s;
    float v = m.ptab[j];
    if (m.irel[j] != j) v = m.krel[j] != 0 ? v + m.ptab[m.irel[j]] : v * m.ptab[m.irel[j]];
    p[s] = v;
  }
}

std::vector<RowValue> writtenRows(FitModel& m, bool haveInt, const FitTable& table) {
  const double total = weightedTotal(m);
  std::vector<RowValue> rows;
  for (int k = 1; k <= m.npix; ++k) {
    const int r = m.peaks[k - 1].row;
    if (r >= static_cast<int>(table.size())) continue;
    rows.push_back({r, table[r]});
    writePeak(m, k, haveInt, total, rows.back().value);
  }
  return rows;
}

void writeTableCells(FitModel& m, bool haveInt, FitTable& table) {
  for (RowValue& r : writtenRows(m, haveInt, table)) table[r.row] = std::move(r.value);
}

}  // namespace xyla::fit
