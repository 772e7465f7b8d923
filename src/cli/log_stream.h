// The log file of a headless run, written as the trace grows instead of from
// a copy of the whole trace at the end: a run of any length costs the same
// memory, and an interrupted run still leaves its log. The file holds exactly
// what the trace view's text would (CR LF line ends), so it reads like a log
// saved from the desktop program. What is written waits in a buffer that
// Flush (on the runner's short timer) empties and that a dying process still
// writes out (CTVRPendingOutput), so the log keeps the trace up to a fault.
#pragma once

#include <string>

#include "cli/pending_output.h"

class CTVRLogStream {
 public:
  CTVRLogStream() = default;
  ~CTVRLogStream() { Close(); }
  CTVRLogStream(const CTVRLogStream&) = delete;
  CTVRLogStream& operator=(const CTVRLogStream&) = delete;

  // Creates the file, or empties it; on failure says so the way saving a log
  // does and writes nothing after.
  bool Open(const std::string& path);
  bool IsOpen() const { return m_fd >= 0; }
  void Write(const std::string& text);
  // Writes what is pending to the file.
  void Flush();
  // The view was cleared: so is the log.
  void Restart();
  // Flushes and closes; says so when anything could not be written.
  bool Close();

 private:
  void Report();

  int m_fd = -1;
  CTVRPendingOutput m_Pending;
  std::string m_strPath;
  bool m_bFailed = false;
};
