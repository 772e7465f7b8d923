#include "pcsc_stack.h"

#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// Runs a command, its standard output returned, its status in status.
std::string Capture(const std::string& command, int& status) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) {
    status = -1;
    return out;
  }
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
  const int raw = ::pclose(pipe);
  status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

}  // namespace

CTVRPcscStack::CTVRPcscStack() = default;

CTVRPcscStack::~CTVRPcscStack() {
  if (m_bStarted) {
    int status = 0;
    Capture(Script("stop '" + m_strDir + "'"), status);
  }
  if (!m_strDir.empty()) QDir(QString::fromStdString(m_strDir)).removeRecursively();
}

std::string CTVRPcscStack::Script(const std::string& args) const {
  return std::string("TAVRIC_VCARD='") + TAVRIC_TEST_RUN_DIR + "/tavric-vcard' sh '" + TAVRIC_TEST_SOURCE_DIR +
         "/tools/pcsc-stack.sh' " + args + " 2>&1";
}

std::string CTVRPcscStack::Start() {
  int status = 0;
  const std::string why = Capture(Script("available"), status);
  if (status != 0) return why.empty() ? "the PC/SC stack cannot run here" : why;
  QTemporaryDir dir(QDir::tempPath() + "/tavric-pcsc-XXXXXX");
  dir.setAutoRemove(false);
  if (!dir.isValid()) return "no temporary folder";
  m_strDir = dir.path().toStdString();
  const std::string out = Capture(Script("start '" + m_strDir + "'"), status);
  if (status != 0) return out;
  m_bStarted = true;
  m_strSocket = m_strDir + "/run/pcscd.comm";
  return std::string();
}

bool CTVRPcscStack::InsertCard(int port, const std::string& options) {
  int status = 0;
  Capture(Script("card '" + m_strDir + "' " + std::to_string(port) + " " + options), status);
  if (status != 0) return false;
  return WaitForCard(port == READER0_PORT ? "Virtual PCD 00 00" : "Virtual PCD 00 01");
}

bool CTVRPcscStack::WaitForCard(const std::string& reader) const {
  int status = 0;
  // Until the daemon reports the card in its reader (vpcd looks for a card
  // about every 0.5 s, pcscd polls the reader after that).
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    const std::string list = Capture("PCSCLITE_CSOCK_NAME='" + m_strSocket + "' pcsc_scan -c -n 2>&1", status);
    if (status == 127) return false;  // no pcsc_scan (pcsc-tools)
    const std::size_t at = list.find(": " + reader + "\n");
    const std::size_t state = list.find("Card state: ", at);
    if (at != std::string::npos && state != std::string::npos && list.compare(state + 12, 13, "Card inserted") == 0)
      return true;
  }
  return false;
}

void CTVRPcscStack::StopDaemon() {
  int status = 0;
  Capture(Script("stop-daemon '" + m_strDir + "'"), status);
}

bool CTVRPcscStack::RestartDaemon(const std::string& channels) {
  int status = 0;
  Capture(Script("restart-daemon '" + m_strDir + "' " + channels), status);
  return status == 0;
}

void CTVRPcscStack::UseInThisProcess() const {
  ::setenv("PCSCLITE_CSOCK_NAME", m_strSocket.c_str(), 1);
}

std::string CTVRPcscStack::GetCardLog() const {
  QFile file(QString::fromStdString(m_strDir + "/cards.log"));
  if (!file.open(QIODevice::ReadOnly)) return std::string();
  return file.readAll().toStdString();
}
