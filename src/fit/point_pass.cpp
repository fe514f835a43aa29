#include "fit/point_pass.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace xyla::fit {

namespace {

// A long pass asks whether to go on after about this many line-shape evaluations.
constexpr double kWorkBetweenQuestions = 1e6;
// Gathered rows of a block take about this many bytes: few enough that a block stays in
// the caches while its sums are added, enough that the steps are few.
constexpr std::size_t kBlockBytes = 512 * 1024;
constexpr int kMostBlockPoints = 16384;
// Points of a chunk: its rows of all derivatives stay in the first-level cache until they
// are gathered.
constexpr int kChunkPoints = 256;
// Chunks per thread in a block at least, so that the threads share each block evenly.
constexpr int kChunksPerThread = 4;
// `opened_` once the pass is over.
constexpr int kEnd = -1;
// The states of a chunk, in the low two bits of its state word.
constexpr long long kOpen = 0, kTaken = 1, kGathering = 2, kGathered = 3;

long long stateOf(int step, long long phase) { return static_cast<long long>(step) << 2 | phase; }

// A helper that waits for the next step first looks again and again: a step takes a few
// hundred microseconds, and waking a sleeping thread costs about as much on a virtual
// machine. The looking stops after at most kMostSpins pauses (about a tenth of a
// millisecond); each helper halves its own limit whenever the looking did not pay (the
// calling thread is held back by a busy machine, and looking only takes time from it)
// and doubles it whenever it did.
constexpr int kMostSpins = 4096, kLeastSpins = 16;
// The calling thread gives a chunk that another thread has taken as long as one and a half
// of its own chunks took, at least kLeastChunkWait: a thread that runs finishes within
// that, so one that has not is held back, and the calling thread evaluates the chunk
// itself.
constexpr auto kLeastChunkWait = std::chrono::microseconds(20);

// Tells the processor that this thread only waits, `times` times over.
void pause(int times) {
  for (int i = 0; i < times; ++i) {
#if defined(__x86_64__)
    __builtin_ia32_pause();
#endif
  }
}
// Pauses between two looks at the clock while the calling thread waits for a chunk.
constexpr int kPausesBetweenClocks = 32;

// Spins (at most `spins` pauses, adapted as said above) until busy(a) is false; answers
// whether it is.
template <class T, class Busy>
bool spinWhile(const std::atomic<T>& a, Busy busy, int& spins) {
  for (int spin = 0; spin < spins; ++spin) {
    if (!busy(a.load())) {
      spins = std::min(2 * spins, kMostSpins);
      return true;
    }
    pause(1);
  }
  spins = std::max(spins / 2, kLeastSpins);
  return !busy(a.load());
}

}  // namespace

PointPass::PointPass(const MrqProblem& p, const float* a, const int* list, int nactive, int threads)
    : p_(p), a_(a), threads_(threads) {
  needed_.assign(p.ma() + 1, 0);
  for (int j = 1; j <= nactive; ++j) needed_[list[j]] = 1;
  row_ = static_cast<std::size_t>(p.ma()) + 1;
  // As many points as fit the cache, but no more than go between two questions.
  const std::size_t perPoint = 4 * ((nactive + 7) / 8 * 8);
  const double cost = std::max(p.model->costPerPoint(nactive), 1.0);
  const double asked = std::max(kWorkBetweenQuestions / cost, 1.0);
  block_ =
      static_cast<int>(std::min<double>(std::clamp<std::size_t>(kBlockBytes / perPoint, 64, kMostBlockPoints), asked));
  block_ = std::min(block_, std::max(p.n(), 1));
  stepsBetweenQuestions_ = std::max(1, static_cast<int>(asked / block_));
  // Small blocks (of a costly model) still go in several chunks per thread.
  chunk_ = std::min(kChunkPoints, threads_ > 1 ? std::max(1, block_ / (kChunksPerThread * threads_)) : block_);
  chunks_ = (block_ + chunk_ - 1) / chunk_;
  sums_.emplace(list, nactive, block_);
  state_ = std::make_unique<std::atomic<long long>[]>(chunks_);
  scratch_.resize(threads_);
  for (Scratch& s : scratch_) {
    s.y.assign(chunk_, 0.0f);
    s.dyda.assign(chunk_ * row_, 0.0f);
  }
}

int PointPass::pointsIn(int step) const { return std::min(block_, p_.n() - step * block_); }

int PointPass::chunksIn(int step) const { return step < blocks_ ? (pointsIn(step) + chunk_ - 1) / chunk_ : 0; }

int PointPass::pointsIn(int step, int chunk) const { return std::min(chunk_, pointsIn(step) - chunk * chunk_); }

void PointPass::compute(int step, int chunk, Scratch& scratch) {
  const int lo = chunk * chunk_;
  ModelBlock b;
  b.x = p_.x.data() + 1 + step * block_ + lo;
  b.count = pointsIn(step, chunk);
  b.a = a_;
  b.needed = needed_.data();
  b.y = scratch.y.data();
  b.dyda = scratch.dyda.data();
  b.stride = row_;
  p_.model->evaluate(b);
}

void PointPass::gather(int step, int chunk, const Scratch& scratch) {
  const int lo = chunk * chunk_, first = 1 + step * block_ + lo;
  const int count = pointsIn(step, chunk);
  const float w = static_cast<float>(1.0 / (p_.sigma * p_.sigma));
  for (int i = 0; i < count; ++i) {
    const int point = first + i;
    sums_->gather(step & 1, lo + i, scratch.dyda.data() + i * row_, p_.y[point] - scratch.y[i],
                  p_.weight.empty() ? w : p_.weight[point]);
  }
  state_[chunk].store(stateOf(step, kGathered));
}

void PointPass::computeHere(int step, int chunk) {
  const auto start = std::chrono::steady_clock::now();
  compute(step, chunk, scratch_[0]);
  if (pointsIn(step, chunk) == chunk_) chunkTime_ = std::chrono::steady_clock::now() - start;
}

void PointPass::takeChunks(int thread) {
  for (;;) {
    const unsigned long long claim = next_.fetch_add(1);
    const int step = static_cast<int>(claim >> 32), chunk = static_cast<int>(claim & 0xffffffffu);
    if (chunk >= chunksIn(step)) return;
    long long open = stateOf(step, kOpen);
    // The calling thread may have evaluated it already, because this thread was late.
    if (!state_[chunk].compare_exchange_strong(open, stateOf(step, kTaken))) continue;
    if (thread == 0)
      computeHere(step, chunk);
    else
      compute(step, chunk, scratch_[thread]);
    long long taken = stateOf(step, kTaken);
    if (state_[chunk].compare_exchange_strong(taken, stateOf(step, kGathering))) gather(step, chunk, scratch_[thread]);
  }
}

void PointPass::collect(int step) {
  auto waiting = [step](long long s) { return s == stateOf(step, kOpen) || s == stateOf(step, kTaken); };
  const auto patience = std::max<std::chrono::steady_clock::duration>(kLeastChunkWait, chunkTime_ * 3 / 2);
  for (int chunk = 0; chunk < chunksIn(step); ++chunk) {
    std::atomic<long long>& state = state_[chunk];
    for (auto until = std::chrono::steady_clock::now() + patience;
         waiting(state.load()) && std::chrono::steady_clock::now() < until;)
      pause(kPausesBetweenClocks);
    if (waiting(state.load())) {
      // The thread that took it is late: evaluate it here, and gather it unless that
      // thread has begun to meanwhile.
      computeHere(step, chunk);
      for (long long s = state.load(); waiting(s);)
        if (state.compare_exchange_weak(s, stateOf(step, kGathering))) gather(step, chunk, scratch_[0]);
    }
    while (state.load() != stateOf(step, kGathered)) std::this_thread::yield();
  }
}

void PointPass::helper(int thread) {
  int seen = 0, spins = kMostSpins;
  for (;;) {
    if (!spinWhile(
            opened_, [seen](int opened) { return opened == seen; }, spins))
      opened_.wait(seen);
    seen = opened_.load();
    if (seen == kEnd) return;
    takeChunks(thread);
  }
}

bool PointPass::run() {
  if (p_.keepGoing && !p_.keepGoing()) return false;
  p_.model->beginPass(a_, needed_.data());
  blocks_ = (p_.n() + block_ - 1) / block_;
  std::vector<std::thread> helpers;
  for (int t = 1; t < threads_; ++t) helpers.emplace_back(&PointPass::helper, this, t);
  bool stopped = false;
  for (int step = 0; step <= blocks_ && !stopped; ++step) {
    // Chunks of this step go into the buffer that the sums of the step before last read.
    if (step < blocks_) {
      for (int c = 0; c < chunksIn(step); ++c) state_[c].store(stateOf(step, kOpen));
      next_.store(static_cast<unsigned long long>(step) << 32);
      opened_.store(step + 1);
      opened_.notify_all();
    }
    if (step > 0) {
      const int count = pointsIn(step - 1);
      sums_->addRows((step - 1) & 1, 1, sums_->size(), count);
      sums_->addRest((step - 1) & 1, count);
    }
    if (step < blocks_) {
      takeChunks(0);
      collect(step);
    }
    stopped = !ask(step);
  }
  opened_.store(kEnd);
  opened_.notify_all();
  for (auto& h : helpers) h.join();
  return !stopped;
}

bool PointPass::ask(int step) const {
  if (!p_.keepGoing || step == blocks_ || (step + 1) % stepsBetweenQuestions_ != 0) return true;
  return p_.keepGoing();
}

}  // namespace xyla::fit
