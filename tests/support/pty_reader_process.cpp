#include "pty_reader_process.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include <QProcess>

CTVRPtyReaderProcess::CTVRPtyReaderProcess() = default;

CTVRPtyReaderProcess::~CTVRPtyReaderProcess() {
  if (m_pProcess && m_pProcess->state() != QProcess::NotRunning) {
    m_pProcess->terminate();
    if (!m_pProcess->waitForFinished(3000)) m_pProcess->kill();
    m_pProcess->waitForFinished(3000);
  }
}

std::string CTVRPtyReaderProcess::WhyNoPty() {
  const int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (fd < 0) return std::string("posix_openpt: ") + std::strerror(errno);
  const bool ready = ::grantpt(fd) == 0 && ::unlockpt(fd) == 0 && ::ptsname(fd) != nullptr;
  const std::string why = ready ? "" : std::string("grantpt, unlockpt or ptsname: ") + std::strerror(errno);
  ::close(fd);
  return why;
}

bool CTVRPtyReaderProcess::Start(const QStringList& options) {
  m_pProcess = std::make_unique<QProcess>();
  m_pProcess->setProcessChannelMode(QProcess::SeparateChannels);
  m_pProcess->start(QStringLiteral(TAVRIC_TEST_RUN_DIR "/tavric-ptyreader"), options);
  if (!m_pProcess->waitForStarted(5000)) return false;
  while (!m_pProcess->canReadLine())
    if (!m_pProcess->waitForReadyRead(5000)) return false;
  m_strPort = m_pProcess->readLine().trimmed().toStdString();
  return !m_strPort.empty();
}

int CTVRPtyReaderProcess::WaitForEnd(int ms) {
  if (!m_pProcess || !m_pProcess->waitForFinished(ms) || m_pProcess->exitStatus() != QProcess::NormalExit) return -1;
  return m_pProcess->exitCode();
}

CTVRPtyReaderProcess::CRun CTVRPtyReaderProcess::RunTavric(const QStringList& args) const {
  QProcess process;
  process.setWorkingDirectory(QStringLiteral(TAVRIC_TEST_RUN_DIR));
  const auto start = std::chrono::steady_clock::now();
  QStringList all{"--no-colour", "--board", "serial"};
  if (!m_strPort.empty()) all << "--port" << QString::fromStdString(m_strPort);
  process.start(QStringLiteral(TAVRIC_TEST_RUN_DIR "/tavric-run"), all + args);
  const bool ended = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
  if (!ended) process.kill();
  process.waitForFinished(3000);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  return {ended ? process.exitCode() : -1, process.readAllStandardOutput().toStdString(),
          process.readAllStandardError().toStdString(), took.count()};
}
