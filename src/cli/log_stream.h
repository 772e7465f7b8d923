// The log file of a headless run, written as the trace grows instead of from
// a copy of the whole trace at the end: a run of any length costs the same
// memory, and an interrupted run still leaves its log. The file holds exactly
// what the trace view's text would (CR LF line ends), so it reads like a log
// saved from the desktop program: the trace view spools its text into it.
// What is written waits in the spool's buffer, which Flush (on the runner's
// short timer) empties and a dying process still writes out, so the log keeps
// the trace up to a fault.
#pragma once

#include <string>

#include "trace/trace_spool.h"

class CTVRLogStream {
 public:
  CTVRLogStream() = default;
  ~CTVRLogStream() { Close(); }
  CTVRLogStream(const CTVRLogStream&) = delete;
  CTVRLogStream& operator=(const CTVRLogStream&) = delete;

  // Creates the file, or empties it; on failure says so the way saving a log
  // does and writes nothing after.
  bool Open(const std::string& path);
  bool IsOpen() const { return m_Spool.IsOpen(); }
  // The trace view's spool: what the view appends is written to the file, a
  // clear of the view empties it.
  CTVRTraceSpool& GetSpool() { return m_Spool; }
  // Writes what is pending to the file.
  void Flush() { m_Spool.Flush(); }
  // Flushes and closes; says so when anything could not be written.
  bool Close();

 private:
  void Report();

  CTVRTraceSpool m_Spool;
  std::string m_strPath;
};
