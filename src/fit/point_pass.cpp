#include "fit/point_pass.h"

#include <algorithm>
#include <thread>

namespace xyla::fit {

namespace {

// A long pass asks whether to go on after about this many line-shape evaluations.
constexpr double kWorkBetweenQuestions = 1e6;
// Gathered rows of a block take about this many bytes: few enough that a block stays in
// the caches while its sums are added, enough that the steps (each ends when its slowest
// task does) are few.
constexpr std::size_t kBlockBytes = 512 * 1024;
constexpr int kMostBlockPoints = 16384;
// A chunk is evaluated this many points at a time into its thread's own rows of all
// derivatives, which stay in the first-level cache until they are gathered.
constexpr int kPiecePoints = 256;
// Chunks of points per block and alpha shares per thread: enough tasks that a thread
// held back leaves little undone, few enough that taking them costs nothing.
constexpr int kChunksPerBlock = 8;
constexpr int kSharesPerThread = 2;
// `opened_` once the pass is over.
constexpr int kEnd = -1;
// A thread that waits for the next step, or for the others to finish theirs, first looks
// again and again before it sleeps: a step takes a few hundred microseconds, and waking a
// sleeping thread costs about as much on a virtual machine, long enough for the other
// thread to do the whole step alone. The looking stops after at most kMostSpins pauses
// (about a tenth of a millisecond); each thread halves its own limit whenever it had to
// sleep all the same (the others are held back by a busy machine, and looking only takes
// time from them) and doubles it whenever the looking paid.
constexpr int kMostSpins = 4096, kLeastSpins = 16;

// Returns once busy(a) is false: spinning first (at most `spins` pauses, adapted as said
// above), then asleep until `a` changes.
template <class Busy>
void await(const std::atomic<int>& a, Busy busy, int& spins) {
  for (int spin = 0; spin < spins; ++spin) {
    if (!busy(a.load())) {
      spins = std::min(2 * spins, kMostSpins);
      return;
    }
#if defined(__x86_64__)
    __builtin_ia32_pause();
#endif
  }
  spins = std::max(spins / 2, kLeastSpins);
  for (int v = a.load(); busy(v); v = a.load()) a.wait(v);
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
  block_ = static_cast<int>(
      std::min<double>(std::clamp<std::size_t>(kBlockBytes / perPoint, 64, kMostBlockPoints), asked));
  block_ = std::min(block_, std::max(p.n(), 1));
  stepsBetweenQuestions_ = std::max(1, static_cast<int>(asked / block_));
  chunks_ = threads_ > 1 ? std::min(kChunksPerBlock, block_) : 1;
  chunk_ = (block_ + chunks_ - 1) / chunks_;
  sums_.emplace(list, nactive, block_);
  rows_ = sums_->shares(threads_ > 1 ? threads_ * kSharesPerThread : 1);
  scratch_.resize(threads_);
  for (Scratch& s : scratch_) {
    s.y.assign(kPiecePoints, 0.0f);
    s.dyda.assign(kPiecePoints * row_, 0.0f);
  }
}

int PointPass::tasksIn(int step) const {
  return (step < blocks_ ? chunks_ : 0) + (step > 0 ? static_cast<int>(rows_.size()) : 0);
}

void PointPass::runTask(int step, int task, int thread) {
  if (step < blocks_) {
    if (task < chunks_) return evaluate(step, task, scratch_[thread]);
    task -= chunks_;
  }
  addShare(step - 1, task);
}

void PointPass::evaluate(int block, int chunk, Scratch& scratch) {
  const int count = std::min(block_, p_.n() - block * block_);
  const int lo = chunk * chunk_, hi = std::min(count, lo + chunk_);
  const float w = static_cast<float>(1.0 / (p_.sigma * p_.sigma));
  for (int at = lo; at < hi; at += kPiecePoints) {
    const int first = 1 + block * block_ + at;
    ModelBlock b;
    b.x = p_.x.data() + first;
    b.count = std::min(kPiecePoints, hi - at);
    b.a = a_;
    b.needed = needed_.data();
    b.y = scratch.y.data();
    b.dyda = scratch.dyda.data();
    b.stride = row_;
    p_.model->evaluate(b);
    for (int i = 0; i < b.count; ++i) {
      const int point = first + i;
      sums_->gather(block & 1, at + i, b.dyda + i * row_, p_.y[point] - b.y[i],
                    p_.weight.empty() ? w : p_.weight[point]);
    }
  }
}

void PointPass::addShare(int block, int share) {
  const int count = std::min(block_, p_.n() - block * block_);
  const int shares = static_cast<int>(rows_.size()) - 1;
  if (share < shares)
    sums_->addRows(block & 1, rows_[share] + 1, rows_[share + 1], count);
  else
    sums_->addRest(block & 1, count);
}

void PointPass::takeTasks(int thread) {
  for (;;) {
    const unsigned long long claim = next_.fetch_add(1);
    const int step = static_cast<int>(claim >> 32), task = static_cast<int>(claim & 0xffffffffu);
    if (task >= tasksIn(step)) return;
    runTask(step, task, thread);
    done_.fetch_add(1);
    done_.notify_all();
  }
}

void PointPass::helper(int thread) {
  int seen = 0, spins = kMostSpins;
  for (;;) {
    await(opened_, [seen](int opened) { return opened == seen; }, spins);
    seen = opened_.load();
    if (seen == kEnd) return;
    takeTasks(thread);
  }
}

bool PointPass::run() {
  if (p_.keepGoing && !p_.keepGoing()) return false;
  p_.model->beginPass(a_, needed_.data());
  blocks_ = (p_.n() + block_ - 1) / block_;
  std::vector<std::thread> helpers;
  for (int t = 1; t < threads_; ++t) helpers.emplace_back(&PointPass::helper, this, t);
  bool stopped = false;
  int spins = kMostSpins;
  for (int step = 0; step <= blocks_ && !stopped; ++step) {
    // The buffers of this step were last used by the step before, which has ended.
    done_.store(0);
    next_.store(static_cast<unsigned long long>(step) << 32);
    opened_.store(step + 1);
    opened_.notify_all();
    takeTasks(0);
    const int tasks = tasksIn(step);
    await(done_, [tasks](int done) { return done < tasks; }, spins);
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
