#include "outside/child_process.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

#include <signal.h>
#include <unistd.h>

namespace xyla::outside {

namespace {

double g_batchTimeLimit = 0.0;

// Kills the child's whole process group, so helpers a script started go too.
void killGroup(QProcess& p) {
  const qint64 pid = p.processId();
  if (pid > 0) ::kill(-static_cast<pid_t>(pid), SIGKILL);
  p.kill();
  p.waitForFinished(5000);
}

QStringList toQt(const std::vector<std::string>& args) {
  QStringList out;
  out.reserve(static_cast<qsizetype>(args.size()));
  for (const std::string& a : args) out << QString::fromStdString(a);
  return out;
}

// Moves what the child has written so far into `out`; false when that passes `limit`.
bool drain(QProcess& p, std::string& out, std::size_t limit) {
  const qint64 available = p.bytesAvailable();
  if (available <= 0) return true;
  if (out.size() + static_cast<std::size_t>(available) > limit) return false;
  const QByteArray chunk = p.read(available);
  out.append(chunk.constData(), static_cast<std::size_t>(chunk.size()));
  return true;
}

}  // namespace

double batchTimeLimit() { return g_batchTimeLimit; }
void setBatchTimeLimit(double seconds) { g_batchTimeLimit = seconds > 0 ? seconds : 0.0; }

ChildResult runChild(const ChildRun& run) {
  ChildResult r;
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  if (!run.workingDirectory.empty()) p.setWorkingDirectory(QString::fromStdString(run.workingDirectory));
  // A group of its own: stopping the child reaches everything it started.
  p.setChildProcessModifier([] { ::setpgid(0, 0); });
  p.start(QString::fromStdString(run.program), toQt(run.arguments));
  if (!p.waitForStarted(10000)) return r;
  if (!run.input.empty()) p.write(run.input.data(), static_cast<qint64>(run.input.size()));
  p.closeWriteChannel();

  QElapsedTimer clock;
  clock.start();
  while (p.state() != QProcess::NotRunning) {
    p.waitForReadyRead(100);
    if (!drain(p, r.output, run.outputLimit)) r.ending = ChildEnding::OutputTooLarge;
    else if (run.keepGoing && !run.keepGoing()) r.ending = ChildEnding::Cancelled;
    else if (run.timeLimit > 0 && clock.elapsed() > run.timeLimit * 1000.0) r.ending = ChildEnding::TimedOut;
    else continue;
    killGroup(p);
    r.output.clear();
    return r;
  }
  p.waitForFinished(-1);
  if (!drain(p, r.output, run.outputLimit)) {
    r.ending = ChildEnding::OutputTooLarge;
    r.output.clear();
    return r;
  }
  if (p.exitStatus() == QProcess::CrashExit) {
    r.ending = ChildEnding::Crashed;
    return r;
  }
  r.ending = ChildEnding::Exited;
  r.exitStatus = p.exitCode();
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
