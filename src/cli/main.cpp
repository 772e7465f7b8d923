// tavric-run: runs a script against a reader with no window, or lists the
// board types and protocols the plug-ins provide.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include <QCoreApplication>

#include "cli/atr_command.h"
#include "cli/fatal_signals.h"
#include "cli/plugin_list.h"
#include "cli/regs_command.h"
#include "cli/run_driver.h"
#include "cli/run_options.h"
#include "cli/run_plugins.h"
#include "cli/terminal_printer.h"
#include "contract/host_context.h"
#include "contract/plugin_search.h"
#include "platform/pending_output.h"
#include "tavric_version.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  CTVRRunOptions options;
  std::string error;
  if (!options.Parse(args, error)) {
    std::fprintf(stderr, "tavric-run: %s\nTry 'tavric-run --help'.\n", error.c_str());
    return CTVRRunOptions::EXIT_USAGE;
  }
  if (options.m_bHelp) {
    std::fputs(CTVRRunOptions::HelpText().c_str(), stdout);
    return CTVRRunOptions::EXIT_DONE;
  }
  if (options.m_bVersion) {
    std::puts("tavric-run " TAVRIC_VERSION_TEXT);
    return CTVRRunOptions::EXIT_DONE;
  }

  // An answer to reset is decoded without plug-ins, settings or event loop.
  if (options.m_eCommand == CTVRRunOptions::COMMAND_ATR) return CTVRAtrCommand::Run(options.m_AtrBytes, stdout, stderr);

  // The named messages run on this thread's event loop.
  QCoreApplication app(argc, argv);
  // The program's one context, with headless prompts; the plug-ins' free
  // functions reach it until it goes, after the driver and its documents.
  CTVRHostContext context;
  context.Install();

  int status;
  if (options.m_eCommand == CTVRRunOptions::COMMAND_REGS) {
    // A register file needs no plug-in and no reader.
    return CTVRRegsCommand::Run(context, options.m_strRegsFile, stdout, stderr);
  }
  const auto folders = CTVRPluginSearch::Folders(options.m_strPluginFolder, context.GetProgramFolder());
  const auto found = CTVRRunPlugins::Load(context, folders, options);
  if (options.m_eCommand == CTVRRunOptions::COMMAND_LIST) {
    status = CTVRPluginList::Print(context.Host(), folders, found, stdout, stderr);
  } else if (CTVRPluginList::ReportNoneFound(context.Host(), folders, stderr)) {
    status = CTVRRunOptions::EXIT_NOT_FOUND;
  } else {
    for (const std::string& line : CTVRPluginSearch::Replacements(found))
      std::fprintf(stderr, "tavric-run: %s\n", line.c_str());
    // A plug-in that crashes the process leaves the trace so far on the
    // terminal and in the log.
    CTVRFatalSignals::Install();
    std::fflush(stdout);
    CTVRPendingOutput terminal(STDOUT_FILENO);
    CTVRTerminalPrinter printer(stdout, CTVRTerminalPrinter::ChooseMode(stdout, options.m_bNoColour), &terminal);
    CTVRRunDriver driver(context, options, printer);
    status = driver.Run();
  }
  context.Host().Shutdown();
  return status;
}
