#include "outside/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "model/ui.h"

extern char** environ;

namespace xyla::outside {

namespace {

double g_batchTimeLimit = 0.0;

// A file descriptor closed when it goes out of scope.
class Fd {
 public:
  Fd() = default;
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { reset(); }
  int get() const { return fd_; }
  int* slot() { return &fd_; }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

// The pipe ends the program keeps, and the ends the child gets.
struct Pipes {
  Fd toChild, childIn, fromChild, childOut;
  bool open() {
    int a[2], b[2];
    if (::pipe2(a, O_CLOEXEC) != 0) return false;
    *childIn.slot() = a[0], *toChild.slot() = a[1];
    if (::pipe2(b, O_CLOEXEC) != 0) return false;
    *fromChild.slot() = b[0], *childOut.slot() = b[1];
    // Larger pipes move hundreds of megabytes with fewer wake-ups on either side; the
    // system may refuse, and the default size still works.
    ::fcntl(toChild.get(), F_SETPIPE_SZ, 1 << 20);
    ::fcntl(fromChild.get(), F_SETPIPE_SZ, 1 << 20);
    return ::fcntl(toChild.get(), F_SETFL, O_NONBLOCK) == 0 && ::fcntl(fromChild.get(), F_SETFL, O_NONBLOCK) == 0;
  }
};

// The child's environment: ours, with the run's own entries in place of ours.
std::vector<std::string> environmentFor(const ChildRun& run) {
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    bool replaced = false;
    for (const auto& [key, value] : run.environment) replaced = replaced || key == name;
    if (!replaced) env.push_back(entry);
  }
  for (const auto& [key, value] : run.environment) env.push_back(key + "=" + value);
  return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (std::string& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

// Starts the child in a process group of its own, its standard input and its merged
// standard output and error on the pipes. Answers its process id, or -1.
pid_t spawn(const ChildRun& run, Pipes& p) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  posix_spawn_file_actions_adddup2(&actions, p.childIn.get(), 0);
  posix_spawn_file_actions_adddup2(&actions, p.childOut.get(), 1);
  posix_spawn_file_actions_adddup2(&actions, p.childOut.get(), 2);
  if (!run.workingDirectory.empty()) posix_spawn_file_actions_addchdir_np(&actions, run.workingDirectory.c_str());
  // A group of its own: stopping the child reaches everything it started. The child
  // starts with the default signal handling and mask, whatever the program set.
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  std::vector<std::string> args = {run.program};
  args.insert(args.end(), run.arguments.begin(), run.arguments.end());
  std::vector<std::string> env = environmentFor(run);
  std::vector<char*> argv = pointers(args), envp = pointers(env);
  pid_t pid = -1;
  if (posix_spawn(&pid, run.program.c_str(), &actions, &attributes, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  return pid;
}

void killGroup(pid_t pid) {
  ::kill(-pid, SIGKILL);
  ::kill(pid, SIGKILL);
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

// Reads what the pipe holds now into `out`. Answers false at the end of the stream.
// `tooMuch` is set when the output passes `limit`.
bool readAvailable(int fd, std::string& out, std::size_t& used, std::size_t limit, bool& tooMuch) {
  for (;;) {
    if (out.size() - used < (std::size_t(1) << 16)) out.resize(std::max(out.size() * 2, std::size_t(1) << 20));
    const ssize_t n = ::read(fd, out.data() + used, out.size() - used);
    if (n > 0) {
      used += static_cast<std::size_t>(n);
      if (used > limit) return tooMuch = true, true;
      continue;
    }
    if (n == 0) return false;
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK;
  }
}

// Writes as much of the input as the pipe takes now. Answers false when the child no
// longer reads (it closed its end or ended).
bool writeAvailable(int fd, const std::string& input, std::size_t& written) {
  while (written < input.size()) {
    const ssize_t n = ::write(fd, input.data() + written, std::min<std::size_t>(input.size() - written, 1 << 20));
    if (n > 0) {
      written += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
  }
  return true;
}

// SIGPIPE is held back while the program writes to a child that may have ended: the
// write then fails with EPIPE instead of ending the program. A signal that came
// meanwhile is taken off again.
class SigpipeBlock {
 public:
  SigpipeBlock() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
  }
  ~SigpipeBlock() {
    const timespec zero = {0, 0};
    while (sigtimedwait(&pipe_, nullptr, &zero) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
  }

 private:
  sigset_t pipe_, old_;
};

}  // namespace

double batchTimeLimit() { return g_batchTimeLimit; }
void setBatchTimeLimit(double seconds) { g_batchTimeLimit = seconds > 0 ? seconds : 0.0; }

ChildResult runChild(const ChildRun& run) {
  using Clock = std::chrono::steady_clock;
  ChildResult r;
  Pipes p;
  if (!p.open()) return r;
  SigpipeBlock sigpipe;
  const pid_t pid = spawn(run, p);
  if (pid < 0) return r;
  p.childIn.reset();
  p.childOut.reset();
  if (run.input.empty()) p.toChild.reset();

  const Clock::time_point start = Clock::now();
  Clock::time_point lastAsked = start;
  std::size_t written = 0, used = 0;
  bool tooMuch = false;
  int status = 0;
  bool exited = false;
  auto stop = [&](ChildEnding why) {
    killGroup(pid);
    r.ending = why;
    r.output.clear();
    return r;
  };
  while (p.fromChild.get() >= 0 || !exited) {
    pollfd fds[2];
    nfds_t count = 0;
    if (p.fromChild.get() >= 0) fds[count++] = {p.fromChild.get(), POLLIN, 0};
    if (p.toChild.get() >= 0) fds[count++] = {p.toChild.get(), POLLOUT, 0};
    if (count > 0)
      ::poll(fds, count, 100);
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (p.toChild.get() >= 0 && (!writeAvailable(p.toChild.get(), run.input, written) || written == run.input.size()))
      p.toChild.reset();
    if (p.fromChild.get() >= 0 && !readAvailable(p.fromChild.get(), r.output, used, run.outputLimit, tooMuch))
      p.fromChild.reset();
    if (tooMuch) return stop(ChildEnding::OutputTooLarge);
    if (!exited) {
      const pid_t done = ::waitpid(pid, &status, WNOHANG);
      exited = done == pid;
      // The child ended: what it wrote is in the pipe now; a helper it left behind may
      // keep the pipe open, so the rest is not waited for.
      if (exited && p.fromChild.get() >= 0) {
        if (readAvailable(p.fromChild.get(), r.output, used, run.outputLimit, tooMuch)) p.fromChild.reset();
        if (tooMuch) return stop(ChildEnding::OutputTooLarge);
        p.fromChild.reset();
      }
    }
    if (exited) break;
    const Clock::time_point now = Clock::now();
    if (run.host && now - lastAsked >= std::chrono::milliseconds(100)) {
      lastAsked = now;
      if (!run.host->progress(-1)) return stop(ChildEnding::Cancelled);
    }
    if (run.timeLimit > 0 && std::chrono::duration<double>(now - start).count() > run.timeLimit)
      return stop(ChildEnding::TimedOut);
  }
  r.output.resize(used);
  if (WIFSIGNALED(status)) {
    r.ending = ChildEnding::Crashed;
    return r;
  }
  r.ending = ChildEnding::Exited;
  r.exitStatus = WEXITSTATUS(status);
  return r;
}

std::string describeEnding(const ChildResult& r) {
  switch (r.ending) {
    case ChildEnding::Exited: return "exit code: " + std::to_string(r.exitStatus);
    case ChildEnding::NotStarted: return "could not be started";
    case ChildEnding::Crashed: return "crashed";
    case ChildEnding::Cancelled: return "cancelled";
    case ChildEnding::TimedOut: return "stopped after the time limit";
    case ChildEnding::OutputTooLarge: return "stopped: too much output";
  }
  return "";
}

}  // namespace xyla::outside
