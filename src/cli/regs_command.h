// tavric-run regs FILE.par: checks a register parameter file without the
// desktop program. A file the register tool reads as written is printed as
// the tool sees it (registers, bits, commands, bit fields with their value
// tables), after a note for each thing the files' own rules ignore (register
// lines past the count, a count above 255); otherwise the first thing the
// tool could not take as written is reported with its line. An index file
// (List.par) is printed as its entries.
#pragma once

#include <cstdio>
#include <string>

class CTVRHostContext;

class CTVRRegsCommand {
 public:
  // Exit statuses, also listed by --help.
  enum EExitStatus : int {
    EXIT_VALID = 0,
    EXIT_UNREADABLE = 2,  // the file cannot be read (as a script that cannot be read)
    EXIT_INVALID = 6,     // the file has an error: the first is reported
  };

  static int Run(CTVRHostContext& context, const std::string& path, std::FILE* out, std::FILE* err);
};
