#include "cli/run_options.h"

#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <type_traits>
#include <utility>

#include <CLI/CLI.hpp>

namespace {

// A year is far beyond any reader test; the bound keeps the timers' range sane.
constexpr double kMaxSeconds = 86400.0 * 365;
// Documents of one run with --readers: a rack or two, and the one event loop
// still far from busy.
constexpr long long kMaxReaders = 256;

// Flags whose value is optional: "--save-log", "--save-log=PATH" or
// "--save-log PATH SCRIPT" (Normalise turns the last two into the flag and a
// hidden option).
struct COptionalValue {
  const char* m_pszFlag;
  const char* m_pszHidden;
  const char* m_pszNeed;  // what "--flag=" lacks
};
const std::array<COptionalValue, 2> kOptionalValues = {
    {{"--save-log", "--save-log-path", "a path"}, {"--all-readers", "--all-readers-glob", "a reader name pattern"}}};

const std::map<std::string, EScriptType> kScriptTypes = {
    {"raw", SCRIPT_RAWDATA}, {"commands", SCRIPT_COMMANDS}, {"apdu", SCRIPT_APDU}};

// A number written plainly, in decimal: all of the text, no sign, within the
// type's range and finite. It is rewritten exactly as CLI11 reads numbers back
// (which would take a leading 0 for octal and "0x" for hexadecimal, and hold
// a whole number too large at its maximum instead of refusing it).
template <typename T>
CLI::Validator PlainNumber() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        T value{};
        const char* end = text.data() + text.size();
        const auto [stop, ec] = std::from_chars(text.data(), end, value);
        if (text.empty() || text[0] == '-' || ec != std::errc() || stop != end) return "not a number";
        if constexpr (std::is_floating_point_v<T>) {
          if (!std::isfinite(value)) return "not a number";
          char exact[64];
          *std::to_chars(exact, exact + sizeof exact - 1, value, std::chars_format::hex).ptr = '\0';
          text = std::string("0x") + exact;
        } else {
          text = std::to_string(value);
        }
        return {};
      },
      "NUMBER");
}

// The library's checks with the run's own words when they refuse:
// "--type is raw, commands or apdu, not 'hex'" (see Explain).
CLI::Validator Saying(const CLI::Validator& check, const std::string& need) {
  return CLI::Validator(
      [check, need](std::string& value) {
        const std::string given = value;
        return check(value).empty() ? std::string() : need + ", not '" + given + "'";
      },
      check.get_description());
}

CLI::Validator PositiveCount(const std::string& need) {
  return Saying(PlainNumber<long long>() & CLI::Range(1LL, LLONG_MAX), need);
}

CLI::Validator Seconds() {
  return Saying(PlainNumber<double>() & CLI::Range(std::numeric_limits<double>::denorm_min(), kMaxSeconds),
                "needs a positive number of seconds");
}

// The serial line's settings, handed to the board under their names without "--".
const std::array<const char*, 5> kLineOptions = {"--port", "--speed", "--parity", "--flow", "--byte-timeout"};

bool IsWord(const std::string& arg) {
  return !arg.empty() && (arg[0] != '-' || arg == "-");
}

// The options of the run, declared once: the parser, the optional log path's
// rule and the help text all come from here.
class CCommandLine {
 public:
  explicit CCommandLine(CTVRRunOptions& o) : m_app("tavric-run"), m_o(o) {
    // Help is an ordinary flag, so that a wrong option next to it is still reported.
    m_app.set_help_flag();
    m_app.add_flag("-h,--help", o.m_bHelp)->disable_flag_override();
    m_app.add_flag("--version", o.m_bVersion)->disable_flag_override();
    m_app.add_flag("--list", o.m_bList)->disable_flag_override();
    m_app.add_option("--plugins", o.m_strPluginFolder);
    m_pBoard = m_app.add_option("--board", o.m_strBoard);
    m_pProtocol = m_app.add_option("--protocol", o.m_strProtocol);
    // Once per reader, one value each time: "--reader A SCRIPT" keeps its script.
    m_app.add_option("--reader", o.m_Readers)
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    m_app.add_flag("--all-readers", o.m_bAllReaders)->disable_flag_override();
    m_app.add_option("--all-readers-glob", o.m_strReaderGlob)->group("");
    m_pReaders = m_app.add_option("--readers", o.m_nReaders)
                     ->transform(Saying(PlainNumber<long long>() & CLI::Range(1LL, kMaxReaders),
                                        "needs a number of readers from 1 to " + std::to_string(kMaxReaders)));
    m_app.add_flag("--get-response", o.m_bGetResponse)->disable_flag_override();
    for (std::size_t i = 0; i < kLineOptions.size(); ++i) m_app.add_option(kLineOptions[i], m_LineValues[i]);
    // One fault per occurrence; the simulated reader reads and checks them.
    m_app.add_option("--sim-fault", m_SimFaults)
        ->allow_extra_args(false)
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    m_pType = m_app.add_option("--type", o.m_eScriptType)
                  ->transform(
                      Saying(CLI::IsMember(kScriptTypes) & CLI::Transformer(kScriptTypes), "is raw, commands or apdu"));
    m_app.add_flag("--loop", o.m_bLoop)->disable_flag_override();
    m_app.add_option("--max-statements", o.m_nMaxStatements)->transform(PositiveCount("needs a positive whole number"));
    m_app.add_option("--max-seconds", o.m_dMaxSeconds)->transform(Seconds());
    m_app.add_flag("--step", o.m_bStep)->disable_flag_override();
    m_app.add_flag("--stop-at-breakpoint", o.m_bStopAtBreakpoint)->disable_flag_override();
    m_app.add_option("--timeout", o.m_dTimeout)->transform(Seconds());
    m_app.add_option("--keep", o.m_nKeepRecords)->transform(PositiveCount("needs a positive whole number of records"));
    // "--save-log" alone, "--save-log=PATH", or "--save-log PATH" where the
    // word is no script: Normalise() turns the last two into this hidden pair.
    m_app.add_flag("--save-log", o.m_bSaveLog)->disable_flag_override();
    m_app.add_option("--save-log-path", o.m_strLogPath)->group("");
    m_app.add_option("--pcap", o.m_strPcapPath);
    m_app.add_flag("--no-colour,--no-color", o.m_bNoColour)->disable_flag_override();
    m_app.add_flag("--card-params", o.m_bCardParams)->disable_flag_override();
    m_app.add_flag("--restore", o.m_bRestore)->disable_flag_override();
    m_app.add_flag("--save", o.m_bSave)->disable_flag_override();
    m_pDocument =
        m_app.add_option("--document", o.m_nDocument)->transform(PositiveCount("needs a positive whole number"));
    m_app.add_option("--quick", o.m_nQuick)
        ->transform(Saying(PlainNumber<int>() & CLI::Range(1, 5), "is a quick command from 1 to 5"));
    m_app.add_flag("--timing", o.m_bTiming)->disable_flag_override();
    m_app.add_flag("--stats", o.m_bStats)->disable_flag_override();
    m_app.add_option("--stats-csv", o.m_strStatsCsv);
    m_app.add_option("--compare", o.m_strCompare);
    m_app.add_option("--junit", o.m_strJUnit);
    m_app.add_option("script", m_scripts);

    m_pAtr = m_app.add_subcommand("atr", "decode an answer to reset");
    m_pAtr->add_option("bytes", o.m_AtrBytes);
    m_pRegs = m_app.add_subcommand("regs", "check a register parameter file");
    m_pRegs->add_option("file", o.m_strRegsFile);
    for (CLI::App* pSub : {m_pAtr, m_pRegs}) pSub->set_help_flag();
  }

  bool Parse(const std::vector<std::string>& args, std::string& error) {
    std::vector<std::string> normalised;
    if (!Normalise(args, normalised, error)) return false;
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(normalised.rbegin(), normalised.rend());
    try {
      m_app.parse(reversed);
    } catch (const CLI::ParseError& e) {
      error = Explain(e);
      return false;
    }
    return Check(error);
  }

 private:
  bool TakesValue(const std::string& arg) {
    const CLI::Option* pOption = m_app.get_option_no_throw(arg);
    return pOption != nullptr && !pOption->get_positional() && pOption->get_expected_min() > 0;
  }

  // A positional word among args[from...], the values of options skipped.
  bool WordFollows(const std::vector<std::string>& args, std::size_t from) {
    for (std::size_t j = from; j < args.size(); ++j) {
      if (args[j] == "--") return j + 1 < args.size();
      if (IsWord(args[j])) return true;
      if (TakesValue(args[j])) ++j;
    }
    return false;
  }

  bool Normalise(const std::vector<std::string>& args, std::vector<std::string>& out, std::string& error) {
    bool scriptSeen = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
      const std::string& arg = args[i];
      if (arg == "--") {
        out.insert(out.end(), args.begin() + std::ptrdiff_t(i), args.end());
        break;
      }
      const COptionalValue* pOptional = nullptr;
      for (const COptionalValue& optional : kOptionalValues) {
        const std::string flag = optional.m_pszFlag;
        if (arg == flag || arg.rfind(flag + "=", 0) == 0) pOptional = &optional;
      }
      if (pOptional != nullptr && arg != pOptional->m_pszFlag) {
        const std::string value = arg.substr(std::strlen(pOptional->m_pszFlag) + 1);
        if (value.empty()) {
          error = arg + " needs " + pOptional->m_pszNeed;
          return false;
        }
        out.insert(out.end(), {pOptional->m_pszFlag, pOptional->m_pszHidden, value});
        continue;
      }
      if (pOptional != nullptr) {
        out.push_back(arg);
        // The value is optional, so the next word is the value only when the
        // script came before it or still comes after it.
        if (i + 1 < args.size() && IsWord(args[i + 1]) && (scriptSeen || WordFollows(args, i + 2)))
          out.insert(out.end(), {pOptional->m_pszHidden, args[++i]});
        continue;
      }
      if (IsWord(arg)) scriptSeen = true;
      if (TakesValue(arg) && arg.find('=') == std::string::npos && i + 1 < args.size()) {
        out.push_back(arg);
        out.push_back(args[++i]);
        continue;
      }
      out.push_back(arg);
    }
    return true;
  }

  static std::string Explain(const CLI::ParseError& e) {
    std::string what = e.what();
    // "--keep: needs a positive whole number of records, not '0'" from Saying.
    if (dynamic_cast<const CLI::ValidationError*>(&e) != nullptr) {
      const std::size_t colon = what.find(": ");
      if (colon != std::string::npos) return what.substr(0, colon) + ' ' + what.substr(colon + 2);
    }
    if (const auto* pExtras = dynamic_cast<const CLI::ExtrasError*>(&e)) {
      (void)pExtras;
      // "The following argument(s) were not expected: X Y"
      const std::size_t colon = what.find(": ");
      std::string first = colon == std::string::npos ? what : what.substr(colon + 2);
      first = first.substr(0, first.find(' '));
      if (!first.empty() && first[0] == '-') return "unknown option " + first;
      return "unexpected argument '" + first + "'";
    }
    if (what.find("disallowed flag override") != std::string::npos ||
        what.find("does not allow") != std::string::npos) {
      const std::size_t space = what.find(' ');
      return "option --" + what.substr(0, space) + " takes no value";
    }
    const std::size_t missing = what.find(": 1 required");
    if (missing != std::string::npos) return "option " + what.substr(0, missing) + " needs a value";
    return what;
  }

  bool Check(std::string& error) {
    CTVRRunOptions& o = m_o;
    o.m_bTypeGiven = m_pType->count() > 0;
    o.m_bPluginsNamed = m_pBoard->count() > 0 && m_pProtocol->count() > 0;
    for (std::size_t i = 0; i < kLineOptions.size(); ++i)
      if (!m_LineValues[i].empty()) o.m_BoardOptions.emplace_back(kLineOptions[i] + 2, m_LineValues[i]);
    if (!m_SimFaults.empty()) {
      std::string faults;
      for (const std::string& fault : m_SimFaults) faults += (faults.empty() ? "" : " ") + fault;
      o.m_BoardOptions.emplace_back("sim-fault", faults);
    }

    if (m_pAtr->parsed()) {
      o.m_eCommand = CTVRRunOptions::COMMAND_ATR;
      return true;
    }
    if (m_pRegs->parsed()) {
      o.m_eCommand = CTVRRunOptions::COMMAND_REGS;
      if (o.m_strRegsFile.empty()) {
        error = "regs needs a parameter file";
        return false;
      }
      return true;
    }
    if (o.m_bHelp || o.m_bVersion) return true;
    if (o.m_bList) {
      o.m_eCommand = CTVRRunOptions::COMMAND_LIST;
      if (!m_scripts.empty()) {
        error = "--list takes no script";
        return false;
      }
      return true;
    }
    for (const auto& [pPath, name] :
         {std::pair{&o.m_strStatsCsv, "--stats-csv"}, {&o.m_strCompare, "--compare"}, {&o.m_strJUnit, "--junit"}}) {
      if (m_app.count(name) > 0 && pPath->empty()) {
        error = std::string(name) + " needs a file";
        return false;
      }
    }
    const bool readersGiven = m_pReaders->count() > 0;
    if ((!o.m_Readers.empty() ? 1 : 0) + (o.m_bAllReaders ? 1 : 0) + (readersGiven ? 1 : 0) > 1) {
      error = "--reader, --all-readers and --readers choose the readers in different ways: give one";
      return false;
    }
    if (o.m_bRestore && (o.m_Readers.size() > 1 || o.m_bAllReaders || readersGiven)) {
      error = "--restore runs one saved document: it takes one --reader at most, no --all-readers or --readers";
      return false;
    }
    if (!o.m_bRestore && (o.m_nQuick != 0 || m_pDocument->count() > 0)) {
      error = std::string(o.m_nQuick != 0 ? "--quick" : "--document") + " works on the saved documents: add --restore";
      return false;
    }
    if (m_scripts.empty() && !o.m_bRestore) {
      error = "no script file given";
      return false;
    }
    if (m_scripts.empty()) return true;
    if (m_scripts.size() > 1) {
      error = "one script file at a time ('" + m_scripts[1] + "' is one too many)";
      return false;
    }
    o.m_strScript = m_scripts[0];
    return true;
  }

  CLI::App m_app;
  CTVRRunOptions& m_o;
  CLI::App* m_pAtr = nullptr;
  CLI::App* m_pRegs = nullptr;
  CLI::Option* m_pType = nullptr;
  CLI::Option* m_pBoard = nullptr;
  CLI::Option* m_pProtocol = nullptr;
  CLI::Option* m_pDocument = nullptr;
  CLI::Option* m_pReaders = nullptr;
  std::vector<std::string> m_scripts;
  std::array<std::string, kLineOptions.size()> m_LineValues;
  std::vector<std::string> m_SimFaults;
};

}  // namespace

bool CTVRRunOptions::Parse(const std::vector<std::string>& args, std::string& error) {
  return CCommandLine(*this).Parse(args, error);
}
std::string CTVRRunOptions::HelpText() {
  return R"(Usage: tavric-run [options] SCRIPT.cmd
       tavric-run --restore [--document N] [--quick N] [--save] [options] [SCRIPT.cmd]
       tavric-run --list [--plugins DIR]
       tavric-run atr HEX...
       tavric-run regs FILE.par

Runs a script against a reader with no window and prints the trace as the
trace view shows it (in colour on a terminal).

Options:
  --list                  list the board types and protocols found, and where
                          each plug-in came from, then exit
  --plugins DIR           load the plug-ins of DIR first (default: the current
                          folder when it holds any), then those of
                          $TAVRIC_PLUGIN_PATH, ~/.local/lib/tavric/plugins and
                          the installed folder
  --board NAME            board type, by class name, by the name New offers or
                          by its short name (sim, pcsc, serial), letter case
                          ignored
                          (default: CTVRSimDoc, the simulated reader)
  --protocol NAME         protocol, by its exact name (default: Verta)
  --reader NAME           the reader a board for real readers opens, by its
                          exact name (PC/SC: default the first reader listed);
                          given again, one more reader of the same run
  --all-readers[=GLOB]    one document per reader the board lists (PC/SC),
                          those whose name matches GLOB (default: all)
  --readers N             N documents of the board at once (1 to 256), as
                          simulated readers: --board sim --readers 8
  --get-response          response chains on for this run, as .getresponse(on):
                          the PC/SC board follows 61xx with GET RESPONSE and
                          sends a 6Cxx command again with Le = xx (default: the
                          document's switch, off for a new one)
  --port PATH             the serial board's line (default: the document's, else
                          /dev/ttyUSB0)
  --speed N               its speed in bit/s (default 115200)
  --parity P              none, even or odd (default none)
  --flow F                flow control: none, hardware or software (default none)
  --byte-timeout MS       silence that ends an answer on the line (default 50)
                          (the serial settings win over the document's stored
                          ones for this run)
  --sim-fault FAULT       the simulated reader misbehaves on cue: FAULT is
                          NAME[:N][@FRAME], the fault NAME (garble, mute,
                          truncate, checksum, late, error, remove, disconnect,
                          burst) with its argument N, at the FRAME-th frame
                          sent from the connection on (default: the first);
                          repeat it for several (docs/boards/sim.md); in a
                          rack, READER=FAULT hits that reader only (Sim3=mute)
  --type TYPE             script type: raw, commands or apdu (default: commands);
                          the script's own directives may switch it
  --loop                  loop mode: at the end the script starts over; without
                          a bound it runs until Ctrl+C
  --max-statements N      stop after N statements
  --max-seconds S         stop after S seconds
  --step                  execute one statement only
  --stop-at-breakpoint    end at the first breakpoint instead of going on
  --timeout S             give up when an answer takes longer (default: 10),
                          or when a plug-in call has not returned by then
  --save-log[=PATH]       write the trace to a log file as the run goes: PATH,
                          or the script path with its first '.' and the three
                          characters after it replaced by ".log"
                          ("--save-log PATH SCRIPT" works too)
  --pcap FILE             write every frame sent and received, with its
                          direction and time, to FILE as pcapng for Wireshark
                          (APDUs decoded as ISO 7816, reader frames as data)
  --keep N                trace records kept in memory while the trace is
                          streamed (default: 10000); the terminal and the log
                          file get every record, so a loop can run all night
  --no-colour             plain text even on a terminal (also: NO_COLOR set)
  --card-params           at the end, print the card parameters: the answer to
                          reset of the slot shown, decoded, and the mask
  --restore               open the documents saved by the last exit (of this
                          program or the desktop one), each with its script,
                          protocol, switches and quick commands, reconnected;
                          run the first one's script, or SCRIPT.cmd in it
  --document N            with --restore: run the N-th restored document
  --quick N               with --restore: send quick command N (1 to 5) of the
                          document once instead of running a script
  --save                  at the end, save the open documents for the next
                          --restore or the desktop program (settings file:
                          TAVRIC_SETTINGS, or the user's Tavric settings)
  --timing                show each answer's round-trip time, measured by the
                          board, in the time column: the first line of the
                          answer's bytes begins with it ("   1.234 ms ")
                          instead of its indent
  --stats                 at the end, print the round-trip times per script
                          line over all rounds: count, min, mean, 95th
                          percentile (within 1.6 %) and max, in ms
  --stats-csv FILE        write the same as CSV (times in microseconds)
  --compare GOLDEN.log    compare the trace with a saved log (of .save or
                          --save-log), line by line, ignoring the .info date,
                          durations and the time column; print the first
                          differences with their line numbers on stderr and
                          exit with 10 when they differ; the bytes an .expect
                          pattern leaves open on an answer may differ too
  --junit FILE            write the verdicts as a JUnit XML report for CI: a
                          test suite per reader, a test case per expectation
                          (script:line), its failure with what was expected
                          and received; also when the run ends early
  -h, --help              this text
  --version               the version (and the commit it was built from)

Commands:
  atr HEX...              decode an answer to reset given as hexadecimal bytes
                          ("3B 02 14 50" or "3B021450") and print its fields
  regs FILE.par           check a register parameter file and print its model

A breakpoint halts a free run: tavric-run says so on stderr and goes on,
unless --stop-at-breakpoint is given; so does a mismatch under
.on_mismatch(pause). A script that checks expectations ends the output with
a verdict line ("14 expectations: 13 met, 1 failed"). Message boxes of the program are
written to stderr as "tavric: " and their text.

With several readers (--reader more than once, --all-readers, --readers N)
the script runs on all of them at once: each line of the trace begins with
"[READER] ", each log is named after the script and the reader, each reader
ends with its own verdict line, and the exit status is the most serious of
the readers' (in the order 128+, 8, 4, 6, 5, 3, 2, 7, 9, 10, 0).

Exit statuses:
  0    the run ended: end of the script, bound reached, or the single step done
  1    usage error
  2    the script file, or the file given to regs, cannot be read
  3    no plug-in found, or the board type or protocol asked for is not there
  4    the reader could not be connected, or was disconnected during the run
  5    the run stalled: a statement that sends nothing and ends nothing, or no
       answer within the timeout
  6    the run ended early on a reader error (a garbled or truncated frame, an
       error the reader reported) that stopped it (auto pause)
       regs: the register file has an error (the first is printed with its line)
  7    a file the run must write could not be written: the --save-log log
       (or it names the script), the --pcap capture, the --junit report, the
       --stats-csv file, or the settings of --save
  8    a plug-in fault: a plug-in threw (the reader is disconnected), or a call
       into it did not return within --timeout or past --max-seconds
  9    the run ended, and at least one expectation of the script failed
       (.expect..., see the verdict line that ends the output)
  10   --compare: the trace differs from the golden log (or it cannot be read)
  129  ended by SIGHUP, 143 by SIGTERM, as by Ctrl+C
  130  interrupted by Ctrl+C (the run is stopped cleanly, the log still written;
       a second Ctrl+C ends the program at once, what is pending written)
)";
}

int CTVRRunOptions::Worst(int a, int b) {
  // From the most serious: a signal, a plug-in fault, a reader lost, a reader
  // error, a stall, something missing, a file not written, failed
  // expectations, a trace that differs; then a run that ended well.
  static constexpr std::array<int, 10> kOrder = {EXIT_PLUGIN_FAULT, EXIT_CONNECT, EXIT_READER_ERROR, EXIT_STALLED,
                                                 EXIT_NOT_FOUND,    EXIT_SCRIPT,  EXIT_WRITE,        EXIT_EXPECTATIONS,
                                                 EXIT_COMPARE,      EXIT_USAGE};
  const auto rank = [](int status) -> int {
    if (status >= EXIT_SIGNAL) return -1;
    for (std::size_t i = 0; i < kOrder.size(); ++i)
      if (kOrder[i] == status) return int(i);
    return int(kOrder.size());
  };
  return rank(b) < rank(a) ? b : a;
}
