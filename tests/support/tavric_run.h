// tavric-run of the build's run folder started as a user starts it, what it
// printed and how it ended; and the two searches the runs' tests make in it.
#pragma once

#include <cstddef>
#include <string>

#include <QString>
#include <QStringList>

class QProcess;

namespace tvr_test {

struct CRun {
  int status;  // -1: did not end normally within the minute
  std::string out;
  std::string err;
};

// The build's run folder: tavric-run, the examples and every plug-in.
QString RunFolder();
// tavric-run with these arguments, run in workDir, to its end.
CRun RunTool(const QStringList& args, const QString& workDir = RunFolder());
// Waits up to a minute for a started run to end; what it printed, `before`
// (read from it already) first.
CRun Finish(QProcess& process, const std::string& before = std::string());
// Sends the signal to the started run, as Ctrl+C or kill do; nothing when it
// has ended already (its process id is then 0, which would signal the whole
// process group, the test runner included).
void Signal(QProcess& process, int signal);

std::size_t Count(const std::string& text, const std::string& what);
bool Contains(const std::string& text, const std::string& what);

}  // namespace tvr_test
