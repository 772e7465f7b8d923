// The command line of tavric-run.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <tavric/board_doc.h>

class CTVRRunOptions {
 public:
  // Exit statuses, also listed by --help.
  enum EExitStatus : int {
    EXIT_DONE = 0,          // the run ended: end of script, bound reached, step done
    EXIT_USAGE = 1,         // usage error
    EXIT_SCRIPT = 2,        // the script file cannot be read
    EXIT_NOT_FOUND = 3,     // no plug-ins, or the board type or protocol not found
    EXIT_CONNECT = 4,       // the reader could not be connected, or was disconnected
    EXIT_STALLED = 5,       // nothing sent and nothing ended, or no answer in time
    EXIT_READER_ERROR = 6,  // the run ended early on a reader error
    EXIT_WRITE = 7,         // a file the run must write (log, settings, report...) could not be written
    EXIT_PLUGIN_FAULT = 8,  // a plug-in threw, or hung past the watchdog
    EXIT_EXPECTATIONS = 9,  // the run ended, and an expectation of the script failed
    EXIT_COMPARE = 10,      // --compare: the trace differs from the golden log
    EXIT_SIGNAL = 128,      // + the signal that ended the run cleanly: SIGHUP 129, SIGINT 130, SIGTERM 143
    EXIT_INTERRUPTED = 130  // Ctrl+C
  };

  // What the command line asks for.
  enum ECommand {
    COMMAND_RUN,   // run a script
    COMMAND_LIST,  // --list
    COMMAND_ATR,   // atr HEX...
    COMMAND_REGS,  // regs FILE.par
  };

  static constexpr const char* DEFAULT_BOARD = "CTVRSimDoc";
  // Trace records kept in memory by a run that streams its trace.
  static constexpr long long DEFAULT_KEEP_RECORDS = 10000;
  static constexpr const char* DEFAULT_PROTOCOL = "Verta";

  // The status of a run over several readers: the more serious of two
  // readers' statuses (see the order in docs/tavric-run.md).
  static int Worst(int a, int b);

  // FALSE with `error` set for a command line that cannot be run.
  bool Parse(const std::vector<std::string>& args, std::string& error);
  static std::string HelpText();

  ECommand m_eCommand = COMMAND_RUN;
  bool m_bHelp = false;
  bool m_bVersion = false;
  bool m_bList = false;
  bool m_bAllReaders = false;     // --all-readers (below, with the other readers' options)
  std::string m_strPluginFolder;  // --plugins; empty: the current folder when it holds plug-ins
  std::string m_strBoard = DEFAULT_BOARD;
  std::string m_strProtocol = DEFAULT_PROTOCOL;
  // --reader, once per reader (none: the board's own choice); --all-readers:
  // every reader the board lists whose name matches the glob; --readers: that
  // many documents of the board, each with the board's own choice.
  std::vector<std::string> m_Readers;
  std::string m_strReaderGlob = "*";
  long long m_nReaders = 1;
  // Board options given for the run (serial line settings), by option name;
  // the board checks them, and they win over what the document stored.
  std::vector<std::pair<std::string, std::string>> m_BoardOptions;
  EScriptType m_eScriptType = SCRIPT_COMMANDS;
  bool m_bLoop = false;
  bool m_bPluginsNamed = false;    // --board and --protocol both given: their plug-ins are loaded first
  long long m_nMaxStatements = 0;  // 0: no bound
  double m_dMaxSeconds = 0;        // 0: no bound
  bool m_bStep = false;
  bool m_bStopAtBreakpoint = false;
  bool m_bSaveLog = false;
  std::string m_strLogPath;   // empty: the log file name rule
  std::string m_strPcapPath;  // --pcap: the capture file, empty for none
  double m_dTimeout = 10;
  bool m_bNoColour = false;
  bool m_bCardParams = false;   // print the card parameters at the end
  bool m_bGetResponse = false;  // turn the document's response-chain switch on
  long long m_nKeepRecords = DEFAULT_KEEP_RECORDS;
  std::string m_strScript;    // with --restore, may be empty: the document's own script
  bool m_bTypeGiven = false;  // --type given: it wins over a restored document's type
  // The workspace: the documents saved by the last exit, and saving them at the end.
  bool m_bRestore = false;
  bool m_bSave = false;
  long long m_nDocument = 1;            // --document: which restored document runs, from 1
  int m_nQuick = 0;                     // --quick: the quick command sent instead of the script, 0 none
  std::vector<std::string> m_AtrBytes;  // atr: the arguments as given
  std::string m_strRegsFile;            // regs: the parameter file
  // Round-trip times: the time column, the statistics per script line.
  bool m_bTiming = false;
  bool m_bStats = false;
  std::string m_strStatsCsv;  // empty: no CSV
  std::string m_strCompare;   // --compare: the golden log, empty for none
  std::string m_strJUnit;     // --junit: the JUnit XML report, empty for none
};
