#pragma once

#include <vector>

// The model of a curve fit: one peak per five parameters (A position, B height, C width,
// D shape, E tail length or Gaussian width), the sum of all peaks at one X, numerical
// derivatives with respect to the parameters, and the numerical area of a peak.
//
// Parameter arrays are indexed from 1 (slot 0 unused), as the fit table numbers them.
namespace xyla::shapes {

// Shape codes of a peak.
enum ShapeCode : int {
  kGaussLorentz = 0,
  kDoniachSunjic = 1,
  kTailed = 2,
  // The shapes in the conventions of XPS programs keep clear of the classic codes, of
  // which any other than 0, 1, 2 evaluates to 0.
  kGaussLorentzPercent = 10,  // GL(p), product form with p the Lorentzian percentage
  kSumGaussLorentz = 11,      // SGL(p), sum form
  kVoigt = 12,                // Gaussian FWHM C convolved with a Lorentzian of FWHM D
  kConvolved = 100,           // added to one of the three above: convolved with a Gaussian
  // LA(alpha, beta, m): this plus m, the Gaussian's FWHM in percent of C (a whole number
  // up to kMaxLaPercent); alpha in D, beta in E.
  kAsymmetricLorentzian = 1000,
};
inline constexpr int kMaxLaPercent = 5000;

// Codes that gconvl convolves with a Gaussian of width E.
inline bool isConvolvedCode(int code) { return code > 50 && code < kAsymmetricLorentzian; }
// Codes of LA(alpha, beta, m).
inline bool isLaCode(int code) {
  return code >= kAsymmetricLorentzian && code <= kAsymmetricLorentzian + kMaxLaPercent;
}

// Evaluates user-defined peaks (negative codes: -k is the user function of peak k).
class UserFunctions {
 public:
  virtual ~UserFunctions() = default;
  virtual double calcVal(double x, double A, double B, double C, double D, double E, int k) = 0;
};

// Makes `fit` the evaluator of negative codes (null: negative codes give 0).
void setTheFit(UserFunctions* fit);

// One peak of a shape code below 50, an LA code or a negative code; p[1..5] are its
// parameters. Any other code gives 0.
double dgslor(double x, const double* p, int code);

// What the Gaussian convolution keeps between points of one model evaluation: the
// integration half range and step, the shift that puts the maximum at the position, the
// normalisation and the Gaussian weights of the offsets.
struct ConvolutionCache {
  double range = 0.0;
  double step = 0.05;
  double shift = 0.0;
  double norm = 1.0;
  double best = 0.0;
  double kappa = 0.0;           // 4/g^2 of the peak the weights belong to
  std::vector<double> weights;  // exp(-kappa t^2) for t = -range, -range + step, ...

  // How many offsets a convolution sums over.
  int offsets() const;
  // Whether `weights` are those of `kappa` for every offset, as after a rebuild for it.
  bool holdsWeightsOf(double kappa) const;
};

// One peak; codes of 50 and above are code - 100 convolved with a Gaussian of full
// width p[5]. `reuse` 0 rebuilds the normalisation cache, any other value reuses it.
double gconvl(double x, const double* p, int code, int reuse, ConvolutionCache& cache);

// The convolution caches of a whole model, six per peak: one for the peak's own value
// and one for each of its five parameters perturbed, so the numerical derivatives are
// those of the normalised lines. Once built for a set of parameters, evaluations at
// any number of points only read them, also on several threads at once.
class PeakCaches {
 public:
  // Cache of peak k (from 1) for its value (slot 0) or parameter slot 1..5 perturbed.
  ConvolutionCache& of(int k, int slot);
  // Makes room for `peaks` peaks.
  void reserve(int peaks);

 private:
  std::vector<ConvolutionCache> caches_;
};

// Peak k's (from 1) parameters p[1..5] from the model's parameters a, with the ties
// resolved one level deep (irel/krel as below).
void peakParameters(int k, const float* a, const int* irel, const int* krel, double* p);

// The difference step of slot i (1..5) of peak k: the step of the parameter it feeds,
// which a multiplicative tie scales by the slot's own factor.
double differenceStep(int k, int i, const float* a, const float* da, const int* irel, const int* krel);

// One peak k at x from its parameters p[1..5]: convolved shapes through cache `slot` of
// the peak (passing `reuse` on), all others by dgslor.
double peakValue(double x, const double* p, int code, int reuse, PeakCaches& caches, int k, int slot);

// The model at x: y[0] = sum of all peaks, y[k] = peak k. `a` holds npar parameters
// (five per peak, from index 1), `irel`/`krel` the ties (irel[j] = j when free of ties;
// krel[j] != 0 adds the tied parameter's value, 0 multiplies by it), `ifunc` the code of
// each peak (from index 1). `reuse` is passed on to the convolution (0 rebuilds).
void yfunx(double x, float* y, const float* a, const int* irel, const int* krel, const int* ifunc, int npar, int reuse,
           PeakCaches& caches);

// The model sum at x and its derivatives with respect to every parameter (dyda[1..npar]);
// the derivative of a tied parameter goes to the parameter it is tied to. With `reuse`
// 0 every convolved value, perturbed or not, rebuilds its own normalisation (as
// prepareConvolutions does); other values reuse them. `da` holds the difference step of
// each parameter. When `needed` is not null, only parameters j with needed[j] != 0
// receive derivatives (the others are left at 0), which saves evaluations.
void fnumdf(double x, const float* a, float& y, const float* da, const int* irel, const int* krel, const int* ifunc,
            float* dyda, int npar, int reuse, const char* needed, PeakCaches& caches);

// Rebuilds every convolution cache that fnumdf with `reuse` 0 would rebuild for these
// parameters, without evaluating any point: afterwards fnumdf with any other `reuse`
// gives what the first point of a pass would have built.
void prepareConvolutions(const float* a, const float* da, const int* irel, const int* krel, const int* ifunc, int npar,
                         const char* needed, PeakCaches& caches);

// The numerical area of one peak by rectangle sums of step h around its position p[1]
// (p indexed from 1). `sigma` is not used.
float fintgl(const float* p, double h, double sigma, int code);

}  // namespace xyla::shapes
