#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <vector>

#include "fit/levenberg_marquardt.h"
#include "fit/normal_sums.h"

namespace xyla::fit {

// One pass of the solver over the points: the model's values and wanted derivatives at
// every point, summed into the normal equations. The points go in blocks, one step per
// block: a step evaluates block k in chunks of points and adds the sums of block k - 1 in
// shares of the alpha rows (two blocks are in flight, in two buffers). The tasks of a step
// are independent, so the threads take them one at a time from a common counter; a
// thread that the system holds back delays a step by at most the task it has taken, and
// the others take the rest. Every sum still takes the points in order, so the results do
// not depend on the threads. The calling thread asks whether to go on between steps.
class PointPass {
 public:
  PointPass(const MrqProblem& p, const float* a, const int* list, int nactive, int threads);

  // Runs the pass; false when keepGoing stopped it.
  bool run();
  // The finished sums.
  const NormalSums& sums() const { return *sums_; }

 private:
  // A thread's own model values and rows of all derivatives for a piece of a chunk.
  struct Scratch {
    std::vector<float> y, dyda;
  };

  int tasksIn(int step) const;
  void runTask(int step, int task, int thread);
  void evaluate(int block, int chunk, Scratch& scratch);
  void addShare(int block, int share);
  // Takes and runs tasks of the open step on thread `thread` (0: the caller's) until none
  // is left.
  void takeTasks(int thread);
  void helper(int thread);
  bool ask(int step) const;

  const MrqProblem& p_;
  const float* a_;
  int threads_;
  std::vector<char> needed_;
  std::size_t row_ = 0;
  int block_ = 1, blocks_ = 0, chunk_ = 1, chunks_ = 1, stepsBetweenQuestions_ = 1;
  std::optional<NormalSums> sums_;
  std::vector<int> rows_;  // row bounds of the alpha shares; one share more adds the rest
  std::vector<Scratch> scratch_;  // one per thread
  // The open step's tasks: step << 32 | next task index.
  std::atomic<unsigned long long> next_{0};
  std::atomic<int> done_{0};    // tasks of the open step finished
  std::atomic<int> opened_{0};  // steps opened so far (kEnd: the pass is over)
};

}  // namespace xyla::fit
