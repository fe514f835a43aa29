#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "fit/levenberg_marquardt.h"
#include "fit/normal_sums.h"

namespace xyla::fit {

// One pass of the solver over the points: the model's values and wanted derivatives at
// every point, summed into the normal equations. The points go in blocks, one step per
// block: in step k the calling thread adds the sums of block k - 1 while every thread
// evaluates chunks of block k, taken one at a time from a common counter (two blocks are
// in flight, in two buffers). A chunk is evaluated into its thread's own rows and only
// then gathered into the block's buffer by whoever claims it first, so when a thread that
// the system holds back has kept a chunk longer than the calling thread takes for one,
// the calling thread evaluates that chunk itself instead of waiting, and the late copy is
// dropped. Every sum still takes the points in order, so the results do not depend on
// the threads. The calling thread asks whether to go on between steps.
class PointPass {
 public:
  PointPass(const MrqProblem& p, const float* a, const int* list, int nactive, int threads);

  // Runs the pass; false when keepGoing stopped it.
  bool run();
  // The finished sums.
  const NormalSums& sums() const { return *sums_; }

 private:
  // A thread's own model values and rows of all derivatives for one chunk.
  struct Scratch {
    std::vector<float> y, dyda;
  };

  // Points of the block of `step`, chunks of it, and points of one of its chunks.
  int pointsIn(int step) const;
  int chunksIn(int step) const;
  int pointsIn(int step, int chunk) const;
  // The model at chunk `chunk` of the block of step `step`, into `scratch`.
  void compute(int step, int chunk, Scratch& scratch);
  // Copies a computed chunk into the block's buffer and marks it gathered.
  void gather(int step, int chunk, const Scratch& scratch);
  // Takes chunks of the open step on thread `thread` (0: the caller's) until none is
  // left, and gathers each unless the calling thread has evaluated it first.
  void takeChunks(int thread);
  // compute() on the calling thread, timed.
  void computeHere(int step, int chunk);
  // Returns once every chunk of the block of `step` is gathered, evaluating those whose
  // thread is late.
  void collect(int step);
  void helper(int thread);
  bool ask(int step) const;

  const MrqProblem& p_;
  const float* a_;
  int threads_;
  std::vector<char> needed_;
  std::size_t row_ = 0;
  int block_ = 1, blocks_ = 0, chunk_ = 1, chunks_ = 1, stepsBetweenQuestions_ = 1;
  std::optional<NormalSums> sums_;
  std::vector<Scratch> scratch_;  // one per thread
  // How long the calling thread took for its last whole chunk.
  std::chrono::steady_clock::duration chunkTime_{};
  // The open step's chunks: step << 32 | next chunk index.
  std::atomic<unsigned long long> next_{0};
  // Per chunk of the open step: step << 2 | its state (taken, being gathered, gathered).
  std::unique_ptr<std::atomic<long long>[]> state_;
  std::atomic<int> opened_{0};  // steps opened so far (kEnd: the pass is over)
};

}  // namespace xyla::fit
