// What reaches the terminal of the trace pieces the view appends.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "cli/terminal_printer.h"
#include "memory_file.h"

namespace {

using P = CTVRTerminalPrinter;
using Pieces = std::vector<std::pair<std::string, COLORREF>>;
constexpr COLORREF kPurple = RGB(128, 0, 128), kBlue = RGB(0, 0, 255), kBlack = RGB(0, 0, 0);

// What a printer writes of these pieces to a memory stream, finished.
std::string Printed(P::EColourMode mode, const Pieces& pieces) {
  tvr_test::CMemoryFile file;
  {
    P printer(file.Get(), mode);
    for (const auto& [text, colour] : pieces) printer.Print(text, colour);
  }
  return file.Close();
}

TEST(TerminalPrinter, LineEndsAndColourChanges) {
  const std::tuple<P::EColourMode, Pieces, std::string> cases[] = {
      // CR LF becomes LF; a CR in comment bytes stays.
      {P::COLOUR_NONE,
       {{"PC -> IFD : RESET\r\n", kBlack}, {"            40 00 \r\n", kPurple}, {"a\rb", kBlack}, {"\r\r\n", kBlack}},
       "PC -> IFD : RESET\n            40 00 \na\rb\r\n"},
      // A CR LF split over two pieces is still one line end; a CR before anything else stays.
      {P::COLOUR_NONE, {{"one\r", kBlack}, {"\ntwo\r", kBlack}, {"three\r", kBlack}}, "one\ntwo\rthree\r"},
      // The colour is switched only when it changes, and reset at the end.
      {P::COLOUR_TRUECOLOR,
       {{"a", kPurple}, {"b", kPurple}, {"c", kBlue}, {"", kBlack}},
       "\x1b[38;2;128;0;128mab\x1b[38;2;0;0;255mc\x1b[0m"},
  };
  for (const auto& [mode, pieces, expected] : cases) EXPECT_EQ(Printed(mode, pieces), expected);
}

// A run halted at a breakpoint says so on stderr: the trace before it must be out by then.
TEST(TerminalPrinter, FinishPutsTheTextOutWhileThePrinterLives) {
  tvr_test::CMemoryFile file;
  P printer(file.Get(), P::COLOUR_NONE);
  printer.Print("3B 02\r\n", 0);
  printer.Finish();
  EXPECT_EQ(file.Flushed(), "3B 02\n");
}

TEST(TerminalPrinter, BasicColoursAreTheNearestOfTheEight) {
  const std::pair<COLORREF, const char*> cases[] = {
      {kPurple, "\x1b[35m"},
      {kBlue, "\x1b[34m"},
      {RGB(0, 128, 0), "\x1b[32m"},
      {RGB(128, 0, 0), "\x1b[31m"},
      {RGB(255, 255, 255), "\x1b[37m"},
      {kBlack, "\x1b[39m"},  // the terminal's own text colour, readable on any background
  };
  for (const auto& [colour, sequence] : cases) EXPECT_EQ(P::ColourSequence(colour, P::COLOUR_BASIC), sequence);
  EXPECT_EQ(P::ColourSequence(kBlack, P::COLOUR_TRUECOLOR), "\x1b[39m");
}

TEST(TerminalPrinter, ColoursOnlyForATerminalThatWantsThem) {
  // A pseudo-terminal stands for the user's terminal.
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
  std::FILE* pTerminal = std::fopen(ptsname(master), "w");
  ASSERT_NE(pTerminal, nullptr);
  // TERM, COLORTERM, NO_COLOR, the --no-colour option, and the mode chosen.
  const std::tuple<const char*, const char*, const char*, bool, P::EColourMode> cases[] = {
      {"xterm", "truecolor", nullptr, false, P::COLOUR_TRUECOLOR},
      {"xterm", "truecolor", nullptr, true, P::COLOUR_NONE},
      {"xterm", "truecolor", "1", false, P::COLOUR_NONE},
      {"xterm", nullptr, nullptr, false, P::COLOUR_BASIC},
      {"dumb", nullptr, nullptr, false, P::COLOUR_NONE},
  };
  auto set = [](const char* name, const char* value) { value ? setenv(name, value, 1) : unsetenv(name); };
  for (const auto& [term, colorTerm, noColor, noColour, mode] : cases) {
    set("TERM", term);
    set("COLORTERM", colorTerm);
    set("NO_COLOR", noColor);
    EXPECT_EQ(P::ChooseMode(pTerminal, noColour), mode) << term << " " << (colorTerm ? colorTerm : "-");
  }
  std::fclose(pTerminal);
  close(master);
}

}  // namespace
