#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "shapes/line_shapes.h"
#include "shapes/peak_model.h"
#include "shapes/shape_blocks.h"

namespace xyla::shapes {
namespace {

// Distance in units in the last place between two doubles of the same sign (or zero);
// equal special values are 0 apart.
std::uint64_t ulps(double a, double b) {
  if (a == b || (std::isnan(a) && std::isnan(b))) return 0;
  if (std::isnan(a) || std::isnan(b) || std::signbit(a) != std::signbit(b)) return ~std::uint64_t{0};
  const auto i = std::bit_cast<std::int64_t>(std::fabs(a)), j = std::bit_cast<std::int64_t>(std::fabs(b));
  return static_cast<std::uint64_t>(i > j ? i - j : j - i);
}

std::vector<double> spread(double from, double to, std::size_t n) {
  std::vector<double> v(n);
  std::uint64_t s = 11;
  for (double& x : v) {
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    x = from + (to - from) * static_cast<double>(s >> 11) / 9007199254740992.0;
  }
  return v;
}

// The block exponential against the standard one: within 2 units in the last place over
// the whole range, exact at the ends, through subnormal results, and for every length of
// a tail that does not fill four lanes.
TEST(ShapeBlocks, ExponentialFollowsTheStandardOne) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* what;
    std::vector<double> in;
    std::uint64_t allowed;
  };
  const Case cases[] = {
      {"ordinary range", spread(-700, 700, 20001), 2},
      {"near zero", spread(-1e-3, 1e-3, 999), 2},
      {"subnormal results", spread(-745.1, -708.5, 4001), 2},
      {"ends and specials", {0.0, -0.0, 1.0, -1.0, 709.78, 709.8, -745.2, -746.5, -kInf, kInf, 1e300, -1e300}, 0},
  };
  for (const Case& c : cases)
    for (std::size_t n : {c.in.size(), std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{6}}) {
      SCOPED_TRACE(std::string(c.what) + ", " + std::to_string(n) + " values");
      n = std::min(n, c.in.size());
      std::vector<double> out(n, -1.0);
      expBlock(c.in.data(), n, out.data());
      for (std::size_t i = 0; i < n; ++i)
        EXPECT_LE(ulps(out[i], std::exp(c.in[i])), c.allowed)
            << "exp(" << c.in[i] << ") = " << out[i] << ", standard " << std::exp(c.in[i]);
    }
  double nan = std::numeric_limits<double>::quiet_NaN();
  expBlock(&nan, 1, &nan);
  EXPECT_TRUE(std::isnan(nan));
}

// The block Gauss-Lorentz peak against the one-point shape, for mixings inside and
// beyond [0, 1], narrow and wide peaks: within 4 units in the last place (the
// exponential's 2 and the rest's roundings, which are the same operations), and equal
// where the blocks go one point at a time.
TEST(ShapeBlocks, GaussLorentzPeakFollowsTheOnePointShape) {
  struct Params {
    double x0, h, w, m;
  };
  const Params params[] = {{284.8, 900, 1.2, 0.3},
                           {282.1, 150, 0.05, 0.0},
                           {286.2, 60, 3.0, 1.0},
                           {290.0, -20, 0.7, -0.4},
                           {279.5, 1e5, 12.0, 1.7}};
  const std::vector<double> x = spread(270, 300, 1203);
  for (const Params& p : params) {
    SCOPED_TRACE("x0 " + std::to_string(p.x0) + ", w " + std::to_string(p.w) + ", m " + std::to_string(p.m));
    std::vector<double> out(x.size());
    galoBlock(x.data(), x.size(), p.x0, p.h, p.w, p.m, out.data());
    for (std::size_t i = 0; i < x.size(); ++i) {
      const double want = galo(x[i], p.x0, p.h, p.w, p.m);
      EXPECT_LE(ulps(out[i], want), shapeBlocksVectorised() ? 4u : 0u)
          << "at " << x[i] << ": " << out[i] << " " << want;
    }
  }
}

// The block convolution of a Gauss-Lorentz peak against the one-point convolution that
// reads the same cache: equal where the blocks go one point at a time, within a few units
// in the last place of the sum otherwise.
TEST(ShapeBlocks, ConvolvedGaussLorentzFollowsTheOnePointConvolution) {
  const double params[][6] = {
      {0, 284.8, 900, 1.2, 0.3, 0.4}, {0, 282.1, 150, 0.3, 0.0, 1.7}, {0, 286.2, 60, 2.0, 1.2, 0.05}};
  const std::vector<double> x = spread(278, 292, 203);
  for (const bool vectors : {false, true}) {
    allowVectorisedShapeBlocks(vectors);
    for (const auto& p : params) {
      SCOPED_TRACE("w " + std::to_string(p[3]) + ", g " + std::to_string(p[5]) + (vectors ? ", vectors" : ""));
      ConvolutionCache cache;
      gconvl(p[1], p, kConvolved + kGaussLorentz, 0, cache);
      std::vector<double> shifted(x.size()), out(x.size());
      for (std::size_t i = 0; i < x.size(); ++i) shifted[i] = x[i] + cache.shift;
      galoConvolvedBlock(shifted.data(), x.size(), p[1], p[2], p[3], p[4], cache.range, cache.step,
                         cache.weights.data(), cache.weights.size(), out.data());
      for (std::size_t i = 0; i < x.size(); ++i) {
        const double want = gconvl(x[i], p, kConvolved + kGaussLorentz, 1, cache);
        EXPECT_LE(ulps(cache.step * cache.norm * out[i], want), shapeBlocksVectorised() ? 16u : 0u) << "at " << x[i];
      }
    }
  }
  allowVectorisedShapeBlocks(true);
}

}  // namespace
}  // namespace xyla::shapes
