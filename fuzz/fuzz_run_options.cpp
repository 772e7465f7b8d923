// tavric-run's command line from any bytes: the input cut at zero bytes is
// the argument list (as a shell hands it over), parsed as the runner parses
// it. The parser must neither throw nor leave a refusal unexplained; an
// accepted command line keeps its promises (one command, positive bounds).
// The words of an atr command, and the words themselves, go through the
// atr subcommand's hexadecimal reading and, when they are an answer to
// reset, its printing.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/atr_command.h"
#include "cli/run_options.h"
#include "fuzz_support.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckAtrWords(const std::vector<std::string>& words) {
  std::vector<tvr::BYTE> bytes;
  std::string error;
  if (CTVRAtrCommand::ParseBytes(words, bytes, error)) {
    Require(bytes.size() >= 2);
    // Two hex digits at most per byte: never more bytes than half the digits, rounded up per word.
    std::size_t characters = 0;
    for (const std::string& word : words) characters += word.size();
    Require(bytes.size() <= characters);
  } else {
    Require(!error.empty());
  }
  static std::FILE* sink = std::fopen("/dev/null", "w");
  const int status = CTVRAtrCommand::Run(words, sink, sink);
  Require(status == (error.empty() ? 0 : 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvr_fuzz::InitOnce();
  std::vector<std::string> args;
  const std::string input(reinterpret_cast<const char*>(data), size);
  for (std::size_t start = 0; start < input.size();) {
    std::size_t end = input.find('\0', start);
    if (end == std::string::npos) end = input.size();
    args.emplace_back(input, start, end - start);
    start = end + 1;
  }

  CTVRRunOptions options;
  std::string error;
  if (!options.Parse(args, error)) {
    Require(!error.empty());
  } else {
    Require(error.empty());
    Require(options.m_nKeepRecords > 0 && options.m_nDocument > 0 && options.m_nMaxStatements >= 0);
    Require(options.m_dTimeout > 0 && options.m_dMaxSeconds >= 0);
    Require(options.m_nQuick >= 0 && options.m_nQuick <= 5);
    if (options.m_eCommand == CTVRRunOptions::COMMAND_REGS) Require(!options.m_strRegsFile.empty());
    if (options.m_eCommand == CTVRRunOptions::COMMAND_ATR) CheckAtrWords(options.m_AtrBytes);
  }
  CheckAtrWords(args);
  return 0;
}
