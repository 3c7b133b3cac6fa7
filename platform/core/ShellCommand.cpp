#include "platform/core/ShellCommand.h"

#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>

#include "platform/core/EventLoop.h"

namespace platform {

namespace {

constexpr qint64 kMaxStreamBytes = 1 << 20;
// Starting /bin/sh takes milliseconds; a start still pending after this
// counts as a failure to start, whatever the command's own time-out.
constexpr qint64 kStartBoundMs = 5000;
// A killed command is gone at once; this only bounds the wait for the
// notice of its end.
constexpr qint64 kReapBoundMs = 2000;
// The longest one wait for an event lasts before the time-out and the
// cancel check are looked at again; the process's output and end are
// events themselves and end the wait at once.
constexpr int kTurnMs = 20;

void Collect(std::string& into, const QByteArray& bytes) {
  const qint64 room = kMaxStreamBytes - static_cast<qint64>(into.size());
  if (room > 0) into.append(bytes.constData(), static_cast<std::size_t>(std::min<qint64>(room, bytes.size())));
}

void CollectOutput(QProcess& process, ShellCommandResult& result) {
  Collect(result.output, process.readAllStandardOutput());
  Collect(result.errors, process.readAllStandardError());
}

// Every wait here is a turn of the event loop: QProcess reports the shell's
// start, its output and its end through the loop, so waiting there keeps
// the window responsive and its cancel live, where QProcess's own waitFor*
// calls would block the thread.
class CommandRun {
 public:
  CommandRun(int timeoutMs, const std::function<bool()>& stop) : timeoutMs_(timeoutMs), stop_(stop) {
    clock_.start();
  }

  bool GivenUp() const { return (timeoutMs_ > 0 && clock_.elapsed() > timeoutMs_) || (stop_ && stop_()); }

  // Waits while the process is in state, at most boundMs (0: no bound of
  // its own) and until the command is given up; false when given up.
  bool WaitWhile(QProcess& process, QProcess::ProcessState state, qint64 boundMs, ShellCommandResult& result) {
    QElapsedTimer waited;
    waited.start();
    while (process.state() == state && (boundMs == 0 || waited.elapsed() < boundMs)) {
      WaitForEvents(kTurnMs);
      CollectOutput(process, result);
      if (GivenUp()) return false;
    }
    return true;
  }

  // Kills the command and waits for the notice of its end, so that the
  // QProcess goes without waiting in its destructor.
  void Kill(QProcess& process) {
    process.kill();
    QElapsedTimer waited;
    waited.start();
    while (process.state() != QProcess::NotRunning && waited.elapsed() < kReapBoundMs) WaitForEvents(kTurnMs);
  }

 private:
  const int timeoutMs_;
  const std::function<bool()>& stop_;
  QElapsedTimer clock_;
};

}  // namespace

ShellCommandResult RunShellCommand(const std::string& command, int timeoutMs, const std::function<bool()>& stop) {
  ShellCommandResult result;
  CommandRun run(timeoutMs, stop);
  QProcess process;
  process.setStandardInputFile(QProcess::nullDevice());
  process.start("/bin/sh", {"-c", QString::fromLocal8Bit(command.data(), static_cast<qsizetype>(command.size()))});
  const bool waited = run.WaitWhile(process, QProcess::Starting, kStartBoundMs, result);
  if (!waited || process.state() == QProcess::Starting) {
    result.timedOut = !waited;
    run.Kill(process);
    return result;
  }
  // A shell that could not be run ends its start in NotRunning with the
  // FailedToStart error; one that ran and ended already has its exit code.
  result.started = process.error() != QProcess::FailedToStart;
  if (!result.started) return result;
  if (!run.WaitWhile(process, QProcess::Running, 0, result)) {
    result.timedOut = true;
    run.Kill(process);
    return result;
  }
  CollectOutput(process, result);
  if (process.exitStatus() == QProcess::NormalExit) result.exitStatus = process.exitCode();
  return result;
}

}  // namespace platform
