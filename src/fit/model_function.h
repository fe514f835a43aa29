#pragma once

#include <cstddef>

namespace xyla::fit {

// A block of points at which a model is evaluated, and where its answers go.
struct ModelBlock {
  const float* x = nullptr;  // x[0 .. count-1]
  int count = 0;
  const float* a = nullptr;      // parameters a[1..ma] of this pass
  const char* needed = nullptr;  // needed[j] != 0: the derivative by parameter j is wanted
  float* y = nullptr;            // out: the model at x[i]
  float* dyda = nullptr;         // out: row i at dyda + i * stride holds d model / d a[j] at j = 1..ma
  std::size_t stride = 0;        // (entries of derivatives not needed are not read)
};

// What the solver fits: a model of parameters a[1..ma] that gives its values and its
// derivatives by every parameter at whole blocks of points. A sum of peaks is one such
// model; others (backgrounds, reference problems) plug in the same way.
class ModelFunction {
 public:
  virtual ~ModelFunction() = default;

  // Called on the solver's thread before each pass over the points, with the pass's
  // parameters and the derivatives it wants, so a model can prepare what all points of
  // the pass share.
  virtual void beginPass(const float* /*a*/, const char* /*needed*/) {}
  // Values and the wanted derivatives at the points of `block`.
  virtual void evaluate(const ModelBlock& block) = 0;
  // Blocks of one pass may be evaluated on several threads at once.
  virtual bool concurrent() const { return false; }
  // Rough cost of one point with `nactive` derivatives, in evaluations of a plain line
  // shape: it decides whether threads pay and how often a long pass looks for a stop.
  virtual double costPerPoint(int nactive) const { return 1.0 + nactive; }
};

}  // namespace xyla::fit
