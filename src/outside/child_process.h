#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace xyla {
class Ui;
}

namespace xyla::outside {

// One run of an outside program: what to start, what to feed it and how long to let it go.
struct ChildRun {
  std::string program;
  std::vector<std::string> arguments;
  std::string workingDirectory;  // "" keeps the program's own
  // Environment entries set for the child (name, value); the rest is the program's own.
  std::vector<std::pair<std::string, std::string>> environment;
  std::string input;             // written to standard input, which is then closed
  // Standard output and error together may not exceed this many bytes; a child that
  // writes more is stopped.
  std::size_t outputLimit = std::size_t(1) << 30;
  // Seconds the child may run; 0 or less: no limit.
  double timeLimit = 0.0;
  // The host whose progress is asked about ten times a second while the child runs
  // (`Ui::progress` with an unknown fraction); a Cancel there stops the child. None: the
  // child runs until it ends or a limit stops it.
  Ui* host = nullptr;
};

// How a run ended.
enum class ChildEnding {
  Exited,          // the child ended by itself; `exitStatus` holds its status
  NotStarted,      // the program could not be started
  Crashed,         // the child died from a signal
  Cancelled,       // the person cancelled in the host's progress window
  TimedOut,        // the time limit ran out
  OutputTooLarge,  // the child wrote more than the output limit
};

struct ChildResult {
  ChildEnding ending = ChildEnding::NotStarted;
  int exitStatus = -1;
  std::string output;  // standard output and standard error as they came, in one stream
};

// Starts the program in a process group of its own, feeds it the input while reading
// its output (so neither side waits for the other on a full pipe), and waits for it.
// Output is read until the child ends; a helper it left running is not waited for. A
// child that is stopped (cancel, time limit, output limit) is killed together with
// everything it started; its output is dropped.
ChildResult runChild(const ChildRun& run);

// The time limit batch runs give user scripts and helper programs (seconds; 0: none).
// Interactive runs have none: there the progress window's Cancel stops a child.
double batchTimeLimit();
void setBatchTimeLimit(double seconds);

// A short English description of a run that did not end normally, for the console.
std::string describeEnding(const ChildResult& r);

}  // namespace xyla::outside
