// The peak model over blocks of points against the same model one point at a time, on
// models (Gauss-Lorentz, tailed, Doniach-Sunjic, convolved, user and unknown codes), ties,
// wanted derivatives and points cut from the input; its seeds are the cases of the tests. Without the four-lane
// exponential every value must be the same to the bit; with it, peaks of other shapes
// still are, and Gauss-Lorentz values (plain or convolved) stay within a millionth of their column's largest
// magnitude. Cutting the points into other blocks changes nothing.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "shapes/peak_blocks.h"
#include "shapes/shape_blocks.h"

namespace {

using xyla::shapes::PeakCaches;

struct Reader {
  const std::uint8_t* data;
  std::size_t size, at = 0;
  std::uint8_t byte() { return at < size ? data[at++] : 0; }
  float number() {
    float f = 0;
    if (at + 4 <= size) std::memcpy(&f, data + at, 4);
    at += 4;
    return f;
  }
};

struct Model {
  std::vector<float> a, da;
  std::vector<int> irel, krel, ifunc;
  std::vector<char> needed;
  std::vector<float> x;
  bool blockShapes = false;  // a Gauss-Lorentz peak, plain or convolved, takes part
};

Model modelFrom(Reader& r) {
  Model m;
  const int peaks = 1 + r.byte() % 4;
  const int npar = 5 * peaks;
  m.a.assign(npar + 1, 0.0f);
  m.da.assign(npar + 1, 1e-5f);
  m.irel.assign(npar + 1, 0);
  m.krel.assign(npar + 1, 1);
  m.needed.assign(npar + 1, 1);
  m.ifunc.assign(peaks + 1, 0);
  static const int kCodes[] = {0, 0, 0, 1, 2, 3, -1, 100};
  for (int k = 1; k <= peaks; ++k) {
    m.ifunc[k] = kCodes[r.byte() % 8];
    m.blockShapes |= m.ifunc[k] == 0 || m.ifunc[k] == 100;
  }
  for (int j = 1; j <= npar; ++j) {
    m.a[j] = r.number();
    // A convolved peak's Gaussian width stays below 3, which bounds its offsets.
    if (j % 5 == 0 && m.ifunc[(j + 4) / 5] == 100)
      m.a[j] = std::isfinite(m.a[j]) ? std::fmod(std::fabs(m.a[j]), 3.0f) : 0.5f;
    m.irel[j] = j;
    const std::uint8_t how = r.byte();
    const bool width = j % 5 == 0 && m.ifunc[(j + 4) / 5] == 100;              // a convolution's width is never tied
    if (how % 5 == 0 && j > 5 && !width) m.irel[j] = 1 + (how / 5) % (j - 1);  // tied to an earlier parameter
    m.krel[j] = how % 2;
    m.needed[j] = (how / 2) % 4 != 0;
  }
  const int n = r.byte() % 40;
  for (int i = 0; i < n; ++i) m.x.push_back(r.number());
  return m;
}

struct Values {
  std::vector<float> y, dyda;
};

// In blocks of `size` points, or one point at a time by fnumdf with `size` 0.
Values evaluate(const Model& m, PeakCaches& caches, int size) {
  const int npar = static_cast<int>(m.a.size()) - 1;
  const std::size_t row = npar + 1;
  Values v{std::vector<float>(m.x.size()), std::vector<float>(m.x.size() * row, 0.0f)};
  for (int first = 0; first < static_cast<int>(m.x.size()); first += std::max(size, 1)) {
    const int count = std::min(size, static_cast<int>(m.x.size()) - first);
    if (size == 0) {
      xyla::shapes::fnumdf(m.x[first], m.a.data(), v.y[first], m.da.data(), m.irel.data(), m.krel.data(),
                           m.ifunc.data(), v.dyda.data() + first * row, npar, 1, m.needed.data(), caches);
      continue;
    }
    xyla::shapes::fnumdfBlock(m.x.data() + first, count, m.a.data(), v.y.data() + first, m.da.data(), m.irel.data(),
                              m.krel.data(), m.ifunc.data(), v.dyda.data() + first * row, row, npar, m.needed.data(),
                              caches);
  }
  return v;
}

// The same value, or (when not exact) within a millionth of the largest finite magnitude
// of the column.
bool matches(float a, float b, float scale, bool exact) {
  if (a == b || (std::isnan(a) && std::isnan(b))) return true;
  return !exact && std::isfinite(a) && std::isfinite(b) && std::fabs(a - b) <= 1e-6f * scale;
}

void compare(const Values& got, const Values& want, std::size_t row, bool exact) {
  const std::size_t n = want.y.size();
  for (std::size_t c = 0; c <= row; ++c) {
    auto at = [&](const Values& v, std::size_t i) { return c == row ? v.y[i] : v.dyda[i * row + c]; };
    float scale = 0.0f;
    for (std::size_t i = 0; i < n; ++i)
      if (std::isfinite(at(want, i))) scale = std::max(scale, std::fabs(at(want, i)));
    for (std::size_t i = 0; i < n; ++i)
      FUZZ_CHECK(matches(at(got, i), at(want, i), scale, exact),
                 "value " + std::to_string(c) + " at " + std::to_string(i));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader r{data, size};
  const Model m = modelFrom(r);
  const std::size_t row = m.a.size();
  const int cut = 1 + r.byte() % 9;
  PeakCaches caches;
  xyla::shapes::prepareConvolutions(m.a.data(), m.da.data(), m.irel.data(), m.krel.data(), m.ifunc.data(),
                                    static_cast<int>(row) - 1, m.needed.data(), caches);
  for (const bool vectors : {false, true}) {
    xyla::shapes::allowVectorisedShapeBlocks(vectors);
    const Values want = evaluate(m, caches, 0);
    const Values whole = evaluate(m, caches, std::max<int>(1, static_cast<int>(m.x.size())));
    compare(whole, want, row, !vectors || !m.blockShapes || !xyla::shapes::shapeBlocksVectorised());
    compare(evaluate(m, caches, cut), whole, row, true);
  }
  return 0;
}
