#include "cli/run_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

bool ParseCount(const std::string& text, long long& value) {
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  errno = 0;
  char* end = nullptr;
  long long n = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end == text.c_str() || *end != '\0' || n <= 0) return false;
  value = n;
  return true;
}

bool ParseSeconds(const std::string& text, double& value) {
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  errno = 0;
  char* end = nullptr;
  double s = std::strtod(text.c_str(), &end);
  // A day is far beyond any reader test; the bound keeps the timers' range sane.
  if (errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(s) || s <= 0 || s > 86400.0 * 365)
    return false;
  value = s;
  return true;
}

bool IsWord(const std::string& arg) {
  return !arg.empty() && (arg[0] != '-' || arg == "-");
}

bool TakesValue(const std::string& option) {
  for (const char* name :
       {"--plugins", "--board", "--protocol", "--type", "--max-statements", "--max-seconds", "--timeout"})
    if (option == name) return true;
  return false;
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

}  // namespace

bool CTVRRunOptions::Parse(const std::vector<std::string>& args, std::string& error) {
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    std::string value;
    bool hasValue = false;
    if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      std::size_t eq = arg.find('=');
      if (eq != std::string::npos) {
        value = arg.substr(eq + 1);
        arg.erase(eq);
        hasValue = true;
      }
    }
    // Options with a required value take the next argument unless given with '='.
    auto takeValue = [&](std::string& out) -> bool {
      if (hasValue) {
        out = value;
        return true;
      }
      if (i + 1 >= args.size()) {
        error = "option " + arg + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    auto noValue = [&]() -> bool {
      if (hasValue) error = "option " + arg + " takes no value";
      return !hasValue;
    };

    if (arg == "-h" || arg == "--help") {
      if (!noValue()) return false;
      m_bHelp = true;
    } else if (arg == "--list") {
      if (!noValue()) return false;
      m_bList = true;
    } else if (arg == "--plugins") {
      if (!takeValue(m_strPluginFolder)) return false;
      if (m_strPluginFolder.empty()) m_strPluginFolder = ".";
    } else if (arg == "--board") {
      if (!takeValue(m_strBoard)) return false;
    } else if (arg == "--protocol") {
      if (!takeValue(m_strProtocol)) return false;
    } else if (arg == "--type") {
      std::string type;
      if (!takeValue(type)) return false;
      if (type == "raw")
        m_eScriptType = SCRIPT_RAWDATA;
      else if (type == "commands")
        m_eScriptType = SCRIPT_COMMANDS;
      else if (type == "apdu")
        m_eScriptType = SCRIPT_APDU;
      else {
        error = "--type is raw, commands or apdu, not '" + type + "'";
        return false;
      }
    } else if (arg == "--loop") {
      if (!noValue()) return false;
      m_bLoop = true;
    } else if (arg == "--max-statements") {
      std::string text;
      if (!takeValue(text)) return false;
      if (!ParseCount(text, m_nMaxStatements)) {
        error = "--max-statements needs a positive whole number, not '" + text + "'";
        return false;
      }
    } else if (arg == "--max-seconds" || arg == "--timeout") {
      std::string text;
      if (!takeValue(text)) return false;
      if (!ParseSeconds(text, arg == "--timeout" ? m_dTimeout : m_dMaxSeconds)) {
        error = arg + " needs a positive number of seconds, not '" + text + "'";
        return false;
      }
    } else if (arg == "--step") {
      if (!noValue()) return false;
      m_bStep = true;
    } else if (arg == "--stop-at-breakpoint") {
      if (!noValue()) return false;
      m_bStopAtBreakpoint = true;
    } else if (arg == "--save-log") {
      m_bSaveLog = true;
      if (hasValue) {
        if (value.empty()) {
          error = "--save-log= needs a path";
          return false;
        }
        m_strLogPath = value;
      } else if (i + 1 < args.size() && IsWord(args[i + 1]) && (!positional.empty() || WordFollows(args, i + 2))) {
        // The path is optional, so the next word is the path only when the
        // script came before it or still comes after it.
        m_strLogPath = args[++i];
      }
    } else if (arg == "--no-colour" || arg == "--no-color") {
      if (!noValue()) return false;
      m_bNoColour = true;
    } else if (arg == "--") {
      positional.insert(positional.end(), args.begin() + std::ptrdiff_t(i) + 1, args.end());
      break;
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      error = "unknown option " + arg;
      return false;
    } else {
      positional.push_back(arg);
    }
  }

  if (m_bHelp) return true;
  if (m_bList) {
    if (!positional.empty()) {
      error = "--list takes no script";
      return false;
    }
    return true;
  }
  if (positional.empty()) {
    error = "no script file given";
    return false;
  }
  if (positional.size() > 1) {
    error = "one script file at a time ('" + positional[1] + "' is one too many)";
    return false;
  }
  m_strScript = positional[0];
  return true;
}

std::string CTVRRunOptions::HelpText() {
  return R"(Usage: tavric-run [options] SCRIPT.cmd
       tavric-run --list [--plugins DIR]

Runs a script against a reader with no window and prints the trace as the
trace view shows it (in colour on a terminal).

Options:
  --list                  list the board types and protocols found, then exit
  --plugins DIR           load the plug-ins of DIR (default: the current folder)
  --board NAME            board type, by class name or by the name New offers,
                          letter case ignored (default: CTVRSimDoc, the
                          simulated reader)
  --protocol NAME         protocol, by its exact name (default: Verta)
  --type TYPE             script type: raw, commands or apdu (default: commands);
                          the script's own directives may switch it
  --loop                  loop mode: at the end the script starts over; without
                          a bound it runs until Ctrl+C
  --max-statements N      stop after N statements
  --max-seconds S         stop after S seconds
  --step                  execute one statement only
  --stop-at-breakpoint    end at the first breakpoint instead of going on
  --timeout S             give up when an answer takes longer (default: 10)
  --save-log[=PATH]       at the end, save the trace as a log file: PATH, or
                          the script path with its first '.' and the three
                          characters after it replaced by ".log"
                          ("--save-log PATH SCRIPT" works too)
  --no-colour             plain text even on a terminal (also: NO_COLOR set)
  -h, --help              this text

A breakpoint halts a free run: tavric-run says so on stderr and goes on,
unless --stop-at-breakpoint is given. Message boxes of the program are
written to stderr as "tavric: " and their text.

Exit statuses:
  0    the run ended: end of the script, bound reached, or the single step done
  1    usage error
  2    the script file cannot be read
  3    no plug-in found, or the board type or protocol asked for is not there
  4    the reader could not be connected
  5    the run stalled: a statement that sends nothing and ends nothing, or no
       answer within the timeout
  130  interrupted by Ctrl+C (the run is stopped cleanly, the log still written)
)";
}
