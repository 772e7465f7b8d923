// What one reader of a tavric-run came to, kept once its document is closed:
// for the verdict lines, the exit status and a report per reader (one JUnit
// test suite per reader document).
#pragma once

#include <string>

#include "document/verdict_counter.h"

struct CTVRReaderResult {
  std::string m_strName;   // the reader's name, or the document's title ("Sim2") when the board chose it
  std::string m_strTitle;  // the document's title
  int m_nStatus = 0;       // the reader's own exit status (CTVRRunOptions::EExitStatus)
  CTVRVerdictCounter m_Verdicts;
  double m_dSeconds = 0;     // from its run's start to its end; 0 when it never started
  std::string m_strLogPath;  // --save-log: its log; empty without
};
