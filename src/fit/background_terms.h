#pragma once

#include <string_view>
#include <vector>

// Backgrounds that are fitted with the peaks: rows of the fit table whose function names
// a background instead of a line shape. Each row keeps the table's five parameter cells:
//
//   SHIRLEY   A level at the low-X end, B level at the high-X end. The step between them
//             follows the integral of the fitted peaks: background(x) = A + (B - A) F(x)/F,
//             F(x) the peaks' integral from the low-X end to x. The same formula serves
//             binding and kinetic energy scales (the higher level lies where the losses go).
//   TOUGAARD  A the scale B (eV^2), B the level at the low-loss end, C the constant C of
//             the universal cross-section K(T) = T / (C + T^2)^2 (0 or empty: 1643 eV^2),
//             D the side: 0 losses towards larger X (binding energy), 1 towards smaller X.
//             background(x) = level + B * sum over the peaks' points on the low-loss side
//             of K integrated over their bins, times the peaks there.
//   POLY      A + B t + C t^2 + D t^3 + E t^4 with t = x - (middle of the spectrum's X
//             range); LINEAR is the same with C to E left empty.
//
// The whole-curve terms (Shirley, Tougaard) are computed over the points of the spectrum
// that is fitted, so they are the same in the fit, its preview, its export and its residual.
namespace xyla::fit {

struct FitModel;

// Codes of the background rows, beside the line shapes' codes (which evaluate them to 0).
enum BackgroundCode : int {
  kShirleyBackground = 20,
  kTougaardBackground = 21,
  kPolynomialBackground = 22,
};

// The code of a background name of the function column (upper case, trimmed), or -1.
int backgroundCodeOfName(std::string_view name);
// True for the code of a background row.
bool isBackgroundCode(int code);
// True when peak k (from 1) of a read table is a background row.
bool isBackgroundPeak(const FitModel& m, int k);
// True when the table has at least one background row.
bool hasBackgroundRows(const FitModel& m);
// True for the backgrounds that depend on the peaks over the whole spectrum.
inline bool isWholeCurveCode(int code) { return code == kShirleyBackground || code == kTougaardBackground; }

// The constant C of the universal cross-section when a row leaves it at 0, in eV^2.
inline constexpr double kUniversalC = 1643.0;

// One background row: its peak index in the model (from 1) and its code.
struct BackgroundRow {
  int k = 0;
  int code = 0;
};

// The background rows of a read table over the points of one spectrum.
class BackgroundTerms {
 public:
  // `x`: the spectrum's points, in any order (the order every array below uses).
  BackgroundTerms(const FitModel& model, std::vector<double> x);

  const std::vector<BackgroundRow>& rows() const { return rows_; }
  bool wholeCurve() const { return wholeCurve_; }
  // The middle of the points' X range: t = x - centre() in the polynomial.
  double centre() const { return centre_; }
  int points() const { return static_cast<int>(x_.size()); }

  // The integral of `f` (given at the points) from the lowest X to every point, by
  // trapezoids in ascending X; answers the integral over the whole range.
  double cumulative(const double* f, double* out) const;
  // The Tougaard loss sum of `f` at every point for the constant C (losses towards larger
  // X when `largerX`), and its derivative by C when `dC` is not null.
  void lossSum(const double* f, double C, bool largerX, double* out, double* dC = nullptr) const;
  // The loss sums of `columns` functions at once (`f` and `out` point by point, each point
  // holding its columns side by side), with the kernel or, when `byC`, its derivative by C.
  void lossSums(const double* f, int columns, double C, bool largerX, double* out, bool byC = false) const;

  // `part` (given at the points) at x by linear interpolation, held at the ends.
  double interpolate(const double* part, double x) const;

  // The value at x of a pointwise row (the polynomial) with parameters p[1..5], and its
  // derivatives by p[1..5] into d[1..5] when d is not null.
  double polynomial(double x, const double* p, double* d = nullptr) const;

 private:
  void evenLossSums(const double* f, int columns, const std::vector<double>& lag, bool largerX, double* out) const;

  std::vector<BackgroundRow> rows_;
  bool wholeCurve_ = false;
  std::vector<double> x_;       // the points as given
  std::vector<int> order_;      // indexes of the points in ascending X
  std::vector<double> sorted_;  // X in ascending order
  double centre_ = 0.0;
  double spacing_ = 0.0;  // the step of equidistant points, else 0
};

// The kernel of the universal cross-section integrated from loss a to loss b (0 <= a <= b).
double lossKernelIntegral(double a, double b, double C);

// Parameters of a Tougaard row as used: C (0 or less: the universal 1643) and the side.
double tougaardC(const double* p);
bool tougaardLargerX(const double* p);

// Adds the background rows of `model` to the model values of a spectrum: `values[0]` the
// sum, `values[k]` the curve of row k (from 1), each at the points `xs`, where the peaks'
// sum (values[0] before) is already in. The whole-curve terms are computed on the
// spectrum's own points `spectrum` and read at `xs` by linear interpolation.
void addBackgroundCurves(const FitModel& model, const std::vector<double>& spectrum, const std::vector<double>& xs,
                         std::vector<std::vector<double>>& values);

}  // namespace xyla::fit
