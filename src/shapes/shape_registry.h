#pragma once

#include <array>
#include <span>
#include <string_view>

// Every line shape the program knows, described once: the fit table, the fit's model
// evaluation and its cost estimate, and the expression language all read this list.
namespace xyla::shapes {

// Evaluates a shape at x with parameters p[1..arity-1] (p[0] is not read, so an
// expression's argument list x, x0, h, ... can be passed as it stands).
using ShapeFunction = double (*)(double x, const double* p);

struct LineShape {
  int code;                   // fit code (a ShapeCode below 100), or -1 when the fit has no such shape
  std::string_view fitName;   // name in the fit table's function column; empty when not fittable
  std::string_view exprName;  // name of the expression function; empty when expressions lack it
  int arity;                  // arguments of the expression function: x and the parameters
  ShapeFunction function;
  bool convolvable;  // the fit table also offers it convolved with a Gaussian (name + "*")
};

// All shapes, in a fixed order.
std::span<const LineShape> lineShapes();

inline constexpr int kFitCodes = 13;  // fit codes below this may have a shape (0, 1, 2, 10, 11, 12)
extern const std::array<const LineShape*, kFitCodes> kShapeOfCode;

// The shape of a fit code (without the convolution offset), or null.
inline const LineShape* shapeByCode(int code) {
  return code >= 0 && code < kFitCodes ? kShapeOfCode[static_cast<std::size_t>(code)] : nullptr;
}
// The shape named `name` in expressions (exact spelling), or null.
const LineShape* shapeByExprName(std::string_view name);

// The fit code of a fit-table function name, upper case and trimmed ("GL", "DS*"), or -1
// when no shape has that name (a user function).
int fitCodeOfName(std::string_view name);

// A fit-table name with its Lorentzian percentage, "GL(30)" or "SGL(30)" (upper case,
// trimmed): the code of the percentage shape, with `percent` set; -1 for other names.
int percentShapeOfName(std::string_view name, double& percent);

// A fit-table name "LA(alpha,beta,m)" (upper case, blanks removed; the three numbers
// apart by "," or ";"): the LA code for m, with alpha and beta set; -1 for other names
// and for exponents of 1/2 or less (no finite area) or an m that is not a whole number
// from 0 to kMaxLaPercent.
int laShapeOfName(std::string_view name, double& alpha, double& beta);

// Relative cost of one evaluation of a fit code: 1 for a plain shape, the number of
// points a Gaussian convolution sums over for a convolved one.
double evaluationCost(int code);

}  // namespace xyla::shapes
