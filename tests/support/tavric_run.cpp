#include "tavric_run.h"

#include <signal.h>

#include <QProcess>

namespace tvr_test {

QString RunFolder() {
  return qEnvironmentVariable("TAVRIC_RUN_DIR");
}

CRun RunTool(const QStringList& args, const QString& workDir) {
  QProcess process;
  process.setWorkingDirectory(workDir);
  process.start(RunFolder() + "/tavric-run", args);
  return Finish(process);
}

CRun Finish(QProcess& process, const std::string& before) {
  // One that does not end within the minute fails (and is killed with its QProcess).
  const bool ended = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
  return {ended ? process.exitCode() : -1, before + process.readAllStandardOutput().toStdString(),
          process.readAllStandardError().toStdString()};
}

void Signal(QProcess& process, int signal) {
  const auto pid = pid_t(process.processId());
  if (pid > 0) ::kill(pid, signal);
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

bool Contains(const std::string& text, const std::string& what) {
  return text.find(what) != std::string::npos;
}

}  // namespace tvr_test
