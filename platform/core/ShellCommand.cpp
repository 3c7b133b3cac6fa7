#include "platform/core/ShellCommand.h"

#include <QElapsedTimer>
#include <QProcess>

#include "platform/core/EventLoop.h"

namespace platform {

namespace {

constexpr qint64 kMaxStreamBytes = 1 << 20;

void Collect(std::string& into, const QByteArray& bytes) {
  const qint64 room = kMaxStreamBytes - static_cast<qint64>(into.size());
  if (room > 0) into.append(bytes.constData(), static_cast<std::size_t>(std::min<qint64>(room, bytes.size())));
}

}  // namespace

ShellCommandResult RunShellCommand(const std::string& command, int timeoutMs, const std::function<bool()>& stop) {
  ShellCommandResult result;
  QProcess process;
  process.setStandardInputFile(QProcess::nullDevice());
  process.start("/bin/sh", {"-c", QString::fromLocal8Bit(command.data(), static_cast<qsizetype>(command.size()))});
  if (!process.waitForStarted(5000)) return result;
  result.started = true;
  QElapsedTimer clock;
  clock.start();
  while (process.state() != QProcess::NotRunning) {
    process.waitForFinished(20);
    Collect(result.output, process.readAllStandardOutput());
    Collect(result.errors, process.readAllStandardError());
    PumpEvents();
    if ((timeoutMs > 0 && clock.elapsed() > timeoutMs) || (stop && stop())) {
      result.timedOut = true;
      process.kill();
      process.waitForFinished(2000);
      return result;
    }
  }
  Collect(result.output, process.readAllStandardOutput());
  Collect(result.errors, process.readAllStandardError());
  if (process.exitStatus() == QProcess::NormalExit) result.exitStatus = process.exitCode();
  return result;
}

}  // namespace platform
