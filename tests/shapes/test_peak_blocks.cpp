// The peak model over blocks of points against fnumdf one point at a time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "shapes/peak_blocks.h"
#include "shapes/shape_blocks.h"

namespace xyla::shapes {
namespace {

// A whole model: parameters, ties, codes and the wanted derivatives (indexed from 1).
struct Model {
  const char* name;
  std::vector<float> a;
  std::vector<int> irel, krel, ifunc;
  std::vector<char> needed;  // empty: every derivative
  bool allBlockShapes;       // only Gauss-Lorentz peaks: the four-lane exponential takes part
};

std::vector<int> untied(int n) {
  std::vector<int> v(n + 1);
  for (int j = 0; j <= n; ++j) v[j] = j;
  return v;
}

std::vector<Model> models() {
  std::vector<Model> m;
  m.push_back({"three GL, every derivative",
               {0, 284.5f, 1000, 1.2f, 0.3f, 0, 285.9f, 600, 1.0f, 0.3f, 0, 288.2f, 300, 1.5f, 0.3f, 0},
               untied(15),
               std::vector<int>(16, 1),
               {0, 0, 0, 0},
               {},
               true});
  // Peak 2: position +1.5 from peak 1, height x 0.5 of peak 1 (its step scales), width
  // shared; mixings outside 0..1 clamp; E and one mixing not wanted.
  Model tied{"GL with ties and clamped mixings",
             {0, 284.0f, 900, 1.1f, -0.4f, 0, 1.5f, 0.5f, 0, 1.7f, 0},
             untied(10),
             std::vector<int>(11, 1),
             {0, 0, 0},
             {0, 1, 1, 1, 0, 0, 1, 1, 1, 1, 0},
             true};
  tied.irel[6] = 1, tied.irel[7] = 2, tied.irel[8] = 3;
  tied.krel[7] = 0;
  m.push_back(tied);
  // Shapes that go one point at a time beside a block one, with prepared convolutions.
  m.push_back({"ET, DS, GL* and GL",
               {0,      284.0f, 800,  1.2f, 0.3f, 0.4f,   285.5f, 500,  1.0f, 0.1f, 0,
                287.0f, 300,    1.3f, 0.3f, 0.5f, 288.6f, 200,    0.9f, 0.5f, 0},
               untied(20),
               std::vector<int>(21, 1),
               {0, 2, 1, 100, 0},
               {},
               false});
  return m;
}

std::vector<float> points(int n) {
  std::vector<float> x(n);
  for (int i = 0; i < n; ++i) x[i] = 279.0f + 13.0f * static_cast<float>(i) / static_cast<float>(n);
  return x;
}

struct Evaluated {
  std::vector<float> y, dyda;  // dyda: one row of npar + 1 per point
};

const float kSteps[21] = {0,     1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f,
                          1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f, 1e-5f};

const char* neededOf(const Model& m) { return m.needed.empty() ? nullptr : m.needed.data(); }

Evaluated onePointAtATime(const Model& m, const std::vector<float>& x) {
  const int npar = static_cast<int>(m.a.size()) - 1;
  Evaluated e{std::vector<float>(x.size()), std::vector<float>(x.size() * (npar + 1), -1.0f)};
  PeakCaches caches;
  prepareConvolutions(m.a.data(), kSteps, m.irel.data(), m.krel.data(), m.ifunc.data(), npar, neededOf(m), caches);
  for (std::size_t i = 0; i < x.size(); ++i)
    fnumdf(x[i], m.a.data(), e.y[i], kSteps, m.irel.data(), m.krel.data(), m.ifunc.data(),
           e.dyda.data() + i * (npar + 1), npar, 1, neededOf(m), caches);
  return e;
}

// The points in consecutive blocks of the given sizes (repeated until all are done).
Evaluated inBlocks(const Model& m, const std::vector<float>& x, const std::vector<int>& sizes) {
  const int npar = static_cast<int>(m.a.size()) - 1;
  const std::size_t row = npar + 1;
  Evaluated e{std::vector<float>(x.size()), std::vector<float>(x.size() * row, -1.0f)};
  PeakCaches caches;
  prepareConvolutions(m.a.data(), kSteps, m.irel.data(), m.krel.data(), m.ifunc.data(), npar, neededOf(m), caches);
  int first = 0;
  for (std::size_t s = 0; first < static_cast<int>(x.size()); ++s) {
    const int count = std::min(sizes[s % sizes.size()], static_cast<int>(x.size()) - first);
    fnumdfBlock(x.data() + first, count, m.a.data(), e.y.data() + first, kSteps, m.irel.data(), m.krel.data(),
                m.ifunc.data(), e.dyda.data() + first * row, row, npar, neededOf(m), caches);
    first += count;
  }
  return e;
}

// Every value of `got` against `want`: equal to the bit when `exact`, otherwise within a
// millionth of the largest magnitude of its column (the exponential's last bits, scaled
// up by the difference quotients, then rounded to single precision).
void compare(const Evaluated& got, const Evaluated& want, std::size_t row, bool exact) {
  const std::size_t n = got.y.size();
  for (std::size_t c = 0; c <= row; ++c) {
    float scale = 0.0f;
    for (std::size_t i = 0; i < n; ++i)
      scale = std::max(scale, std::fabs(c == row ? want.y[i] : want.dyda[i * row + c]));
    for (std::size_t i = 0; i < n; ++i) {
      const float g = c == row ? got.y[i] : got.dyda[i * row + c];
      const float w = c == row ? want.y[i] : want.dyda[i * row + c];
      if (exact)
        ASSERT_EQ(g, w) << (c == row ? "sum" : "derivative " + std::to_string(c)) << " at point " << i;
      else
        ASSERT_NEAR(g, w, 1e-6f * scale) << (c == row ? "sum" : "derivative " + std::to_string(c)) << " at point " << i;
    }
  }
}

TEST(PeakBlocks, FollowTheOnePointModel) {
  const std::vector<float> x = points(1003);  // several chunks, a partial quad at the end
  for (const Model& m : models())
    for (const bool vectors : {false, true}) {
      SCOPED_TRACE(std::string(m.name) + (vectors ? ", four lanes" : ", one lane"));
      allowVectorisedShapeBlocks(vectors);
      const Evaluated want = onePointAtATime(m, x);
      const Evaluated got = inBlocks(m, x, {1003});
      compare(got, want, m.a.size(), !vectors || !m.allBlockShapes || !shapeBlocksVectorised());
    }
  allowVectorisedShapeBlocks(true);
}

// Each point gets the same instructions wherever the blocks begin and end, so the
// results do not depend on how a pass is cut into blocks or threads.
TEST(PeakBlocks, BlockBoundariesChangeNothing) {
  const std::vector<float> x = points(611);
  for (const Model& m : models()) {
    SCOPED_TRACE(m.name);
    const Evaluated whole = inBlocks(m, x, {611});
    for (const std::vector<int>& sizes : {std::vector<int>{1}, {3, 5}, {7, 2, 300}, {257}}) {
      const Evaluated cut = inBlocks(m, x, sizes);
      compare(cut, whole, m.a.size(), true);
    }
  }
}

}  // namespace
}  // namespace xyla::shapes
