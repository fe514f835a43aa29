// The sums of the normal equations, split over blocks, threads and lanes, against the
// plain loop over the points.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "fit/levenberg_marquardt.h"
#include "fit/normal_sums.h"

namespace xyla::fit {
namespace {

// Derivative rows, residuals and weights of n points for ma parameters (row i holds
// entries 1..ma), from a fixed generator, with values of many magnitudes so that the
// order of every addition shows in the result.
struct Points {
  int n, ma;
  std::vector<float> dyda, dy, wi;

  Points(int points, int params) : n(points), ma(params) {
    std::uint64_t s = 99;
    auto next = [&s] {
      s = s * 6364136223846793005ull + 1442695040888963407ull;
      return static_cast<float>(static_cast<double>(s >> 11) / 9007199254740992.0 - 0.5);
    };
    dyda.resize(static_cast<std::size_t>(n) * (ma + 1));
    for (float& v : dyda) v = next() * std::exp2(static_cast<float>(static_cast<int>(next() * 40)));
    for (int i = 0; i < n; ++i) dy.push_back(next() * 100), wi.push_back(0.01f + std::fabs(next()));
  }
  const float* row(int i) const { return dyda.data() + static_cast<std::size_t>(i) * (ma + 1); }
};

struct Sums {
  std::vector<float> alpha, beta;  // alpha: lower triangle row by row
  float chisq = 0, sumsq = 0;
  bool operator==(const Sums&) const = default;
};

// The textbook loop: every point in turn adds to every sum.
Sums plainLoop(const Points& p, const std::vector<int>& list, int nactive) {
  Sums s;
  s.beta.assign(nactive, 0.0f);
  s.alpha.assign(nactive * (nactive + 1) / 2, 0.0f);
  for (int i = 0; i < p.n; ++i) {
    const float* d = p.row(i);
    for (int j = 1, at = 0; j <= nactive; ++j) {
      const float wt = p.wi[i] * d[list[j]];
      for (int k = 1; k <= j; ++k) s.alpha[at++] += wt * d[list[k]];
      s.beta[j - 1] += p.dy[i] * wt;
    }
    s.chisq += p.dy[i] * p.dy[i] * p.wi[i];
    s.sumsq += p.dy[i] * p.dy[i];
  }
  return s;
}

// The same through NormalSums: blocks of `block` points alternating between the two
// buffers, the rows added in `parts` shares, the last share first.
Sums inShares(const Points& p, const std::vector<int>& list, int nactive, int block, int parts, bool vectors) {
  NormalSums sums(list.data(), nactive, block, vectors);
  std::vector<int> bounds;
  for (int t = 0; t <= parts; ++t) bounds.push_back(nactive * t / parts);
  for (int first = 0, b = 0; first < p.n; first += block, ++b) {
    const int count = std::min(block, p.n - first);
    for (int i = 0; i < count; ++i) sums.gather(b & 1, i, p.row(first + i), p.dy[first + i], p.wi[first + i]);
    for (int t = parts - 1; t >= 0; --t) sums.addRows(b & 1, bounds[t] + 1, bounds[t + 1], count);
    sums.addRest(b & 1, count);
  }
  std::vector<std::vector<float>> alpha(nactive + 1, std::vector<float>(nactive + 1, 0.0f));
  Sums s;
  s.beta.assign(nactive + 1, 0.0f);
  sums.result(alpha, s.beta.data(), s.chisq, s.sumsq);
  s.beta.erase(s.beta.begin());
  for (int j = 1; j <= nactive; ++j)
    for (int k = 1; k <= j; ++k) s.alpha.push_back(alpha[j][k]);
  return s;
}

TEST(NormalSums, EqualThePlainLoopHoweverTheWorkIsSplit) {
  // Active counts around the eight-lane boundaries, in a scrambled order among more
  // parameters.
  for (const int nactive : {1, 7, 8, 9, 17, 30}) {
    const int ma = nactive + 4;
    const Points p(301, ma);
    std::vector<int> list{0};
    for (int j = 0; j < nactive; ++j) list.push_back(1 + (j * 7) % ma);
    const Sums want = plainLoop(p, list, nactive);
    for (const int block : {1, 64, 301})
      for (const int parts : {1, 2, 3})
        for (const bool vectors : {false, true}) {
          SCOPED_TRACE(std::to_string(nactive) + " active, blocks of " + std::to_string(block) + ", " +
                       std::to_string(parts) + " shares" + (vectors ? ", AVX2 allowed" : ""));
          EXPECT_EQ(inShares(p, list, nactive, block, parts, vectors), want);
        }
  }
}

// A model whose rows come straight from a table of points, cheap to check but declared
// costly, so that a pass spreads it over threads. With `lateHelpers`, every evaluation
// first sleeps: ten times as long on a thread other than the one that made the model, as
// if the system held it back, so that the calling thread takes over its chunks and the
// late thread comes back with a chunk of a block long done while the pass goes on.
struct TableModel : ModelFunction {
  const Points& p;
  bool lateHelpers;
  std::thread::id caller = std::this_thread::get_id();
  TableModel(const Points& points, bool late) : p(points), lateHelpers(late) {}
  void evaluate(const ModelBlock& b) override {
    if (lateHelpers)
      std::this_thread::sleep_for(std::chrono::microseconds(std::this_thread::get_id() == caller ? 100 : 1000));
    for (int i = 0; i < b.count; ++i) {
      const int point = static_cast<int>(b.x[i]);
      b.y[i] = 0.5f * static_cast<float>(point);
      for (int j = 1; j <= p.ma; ++j) b.dyda[i * b.stride + j] = p.row(point)[j];
    }
  }
  bool concurrent() const override { return true; }
  double costPerPoint(int) const override { return 1000.0; }
};

TEST(NormalSums, PassesGiveTheSameSumsOnAnyNumberOfThreadsHoweverLate) {
  const int n = 5000, nactive = 12;
  Points pts(n, nactive + 2);
  std::vector<float> x{0}, y{0}, weight{0};
  for (int i = 0; i < n; ++i) {
    x.push_back(static_cast<float>(i));
    y.push_back(0.5f * static_cast<float>(i) + pts.dy[i]);
    pts.dy[i] = y.back() - 0.5f * static_cast<float>(i);  // the residual as the pass sees it
    weight.push_back(pts.wi[i]);
  }
  std::vector<int> list{0};
  for (int j = 1; j <= nactive; ++j) list.push_back(nactive + 3 - j);
  const Sums want = plainLoop(pts, list, nactive);
  for (const bool late : {false, true})
    for (const int threads : {1, 2, 3}) {
      SCOPED_TRACE(std::to_string(threads) + " threads" + (late ? ", the helpers late" : ""));
      TableModel model(pts, late);
      MrqProblem p;
      p.x = x, p.y = y, p.weight = weight, p.model = &model, p.threads = threads;
      p.a.assign(nactive + 3, 1.0f);
      Matrix1<float> alpha = allocM(1, nactive, 1, nactive);
      std::vector<float> beta(nactive + 1);
      float chisq = 0, rms = 0;
      ASSERT_TRUE(mrqcof(p, p.a.data(), list.data(), nactive, alpha, beta.data(), chisq, rms));
      Sums got;
      got.beta.assign(beta.begin() + 1, beta.end());
      for (int j = 1; j <= nactive; ++j)
        for (int k = 1; k <= j; ++k) {
          got.alpha.push_back(alpha[j][k]);
          EXPECT_EQ(alpha[k][j], alpha[j][k]);  // mirrored
        }
      got.chisq = chisq;
      got.sumsq = want.sumsq;
      EXPECT_EQ(got, want);
      EXPECT_EQ(rms, std::sqrt(want.sumsq / n));
    }
}

}  // namespace
}  // namespace xyla::fit
