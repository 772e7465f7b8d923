// The simulated reader on a pseudo-terminal (tavric-ptyreader of the run
// folder), started for a test and stopped by its process id when the test
// ends, and tavric-run pointed at it with the serial board.
#pragma once

#include <memory>
#include <string>

#include <QStringList>

class QProcess;

class CTVRPtyReaderProcess {
 public:
  CTVRPtyReaderProcess();
  ~CTVRPtyReaderProcess();

  // Empty when this machine can open a pseudo-terminal; otherwise why not.
  static std::string WhyNoPty();

  // Starts the reader with these options; FALSE when it did not name its line.
  bool Start(const QStringList& options);
  // The line's terminal end, the serial board's port.
  const std::string& GetPort() const { return m_strPort; }
  // Waits for the reader to end by itself; its exit status, -1 if it did not.
  int WaitForEnd(int ms);

  // What tavric-run printed and its exit status (-1: it did not end in time).
  struct CRun {
    int m_nStatus;
    std::string m_strOut;
    std::string m_strErr;
    double m_dSeconds;
  };
  // tavric-run --no-colour --board serial --port <the line, once started> + args.
  CRun RunTavric(const QStringList& args) const;

 private:
  std::unique_ptr<QProcess> m_pProcess;
  std::string m_strPort;
};
