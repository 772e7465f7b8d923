// What reaches the terminal of the trace pieces the view appends.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "cli/terminal_printer.h"

namespace {

// A printer over a memory stream; Text() finishes it and returns the bytes.
class CCapture {
 public:
  explicit CCapture(CTVRTerminalPrinter::EColourMode mode) {
    m_pFile = open_memstream(&m_pBuffer, &m_nSize);
    m_pPrinter = new CTVRTerminalPrinter(m_pFile, mode);
  }
  ~CCapture() {
    delete m_pPrinter;
    std::fclose(m_pFile);
    std::free(m_pBuffer);
  }
  CTVRTerminalPrinter& Printer() { return *m_pPrinter; }
  std::string Text() {
    m_pPrinter->Finish();
    return std::string(m_pBuffer, m_nSize);
  }

 private:
  std::FILE* m_pFile = nullptr;
  char* m_pBuffer = nullptr;
  std::size_t m_nSize = 0;
  CTVRTerminalPrinter* m_pPrinter = nullptr;
};

// Sets (or, with null, removes) an environment variable for a scope.
class CScopedEnv {
 public:
  CScopedEnv(const char* name, const char* value) : m_strName(name) {
    const char* old = std::getenv(name);
    m_bHad = old != nullptr;
    if (m_bHad) m_strOld = old;
    if (value != nullptr)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~CScopedEnv() {
    if (m_bHad)
      setenv(m_strName.c_str(), m_strOld.c_str(), 1);
    else
      unsetenv(m_strName.c_str());
  }

 private:
  std::string m_strName;
  std::string m_strOld;
  bool m_bHad = false;
};

constexpr COLORREF kPurple = RGB(128, 0, 128);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

}  // namespace

TEST(TerminalPrinter, PlainTextTurnsCrLfIntoLfAndKeepsLoneCr) {
  CCapture capture(CTVRTerminalPrinter::COLOUR_NONE);
  capture.Printer().Print("PC -> IFD : RESET\r\n", kBlack);
  capture.Printer().Print("            40 00 \r\n", kPurple);
  capture.Printer().Print("a\rb", kBlack);  // a CR in comment bytes stays
  capture.Printer().Print("\r\r\n", kBlack);
  EXPECT_EQ(capture.Text(), "PC -> IFD : RESET\n            40 00 \na\rb\r\n");
}

TEST(TerminalPrinter, ACrLfSplitOverTwoPiecesIsStillOneLineEnd) {
  CCapture capture(CTVRTerminalPrinter::COLOUR_NONE);
  capture.Printer().Print("one\r", kBlack);
  capture.Printer().Print("\ntwo\r", kBlack);
  capture.Printer().Print("three\r", kBlack);  // a CR before anything but LF stays
  EXPECT_EQ(capture.Text(), "one\ntwo\rthree\r");
}

TEST(TerminalPrinter, ColoursChangeOnlyWhenTheColourDoes) {
  CCapture capture(CTVRTerminalPrinter::COLOUR_TRUECOLOR);
  capture.Printer().Print("a", kPurple);
  capture.Printer().Print("b", kPurple);
  capture.Printer().Print("c", kBlue);
  capture.Printer().Print("", kBlack);  // nothing printed, nothing switched
  EXPECT_EQ(capture.Text(), "\x1b[38;2;128;0;128mab\x1b[38;2;0;0;255mc\x1b[0m");
}

TEST(TerminalPrinter, BasicColoursAreTheNearestOfTheEight) {
  using P = CTVRTerminalPrinter;
  EXPECT_EQ(P::ColourSequence(kPurple, P::COLOUR_BASIC), "\x1b[35m");
  EXPECT_EQ(P::ColourSequence(kBlue, P::COLOUR_BASIC), "\x1b[34m");
  EXPECT_EQ(P::ColourSequence(RGB(0, 128, 0), P::COLOUR_BASIC), "\x1b[32m");
  EXPECT_EQ(P::ColourSequence(RGB(128, 0, 0), P::COLOUR_BASIC), "\x1b[31m");
  EXPECT_EQ(P::ColourSequence(RGB(255, 255, 255), P::COLOUR_BASIC), "\x1b[37m");
  // The view's black is the terminal's own text colour, readable on any background.
  EXPECT_EQ(P::ColourSequence(kBlack, P::COLOUR_BASIC), "\x1b[39m");
  EXPECT_EQ(P::ColourSequence(kBlack, P::COLOUR_TRUECOLOR), "\x1b[39m");
  EXPECT_EQ(P::ColourSequence(kPurple, P::COLOUR_NONE), "");
}

TEST(TerminalPrinter, ColoursOnlyForATerminalThatWantsThem) {
  std::FILE* pFile = std::tmpfile();
  ASSERT_NE(pFile, nullptr);
  EXPECT_EQ(CTVRTerminalPrinter::ChooseMode(pFile, false), CTVRTerminalPrinter::COLOUR_NONE);
  std::fclose(pFile);

  // A pseudo-terminal stands for the user's terminal.
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  std::FILE* pTerminal = std::fopen(ptsname(master), "w");
  ASSERT_NE(pTerminal, nullptr);

  CScopedEnv term("TERM", "xterm");
  CScopedEnv noColor("NO_COLOR", nullptr);
  {
    CScopedEnv colorTerm("COLORTERM", "truecolor");
    EXPECT_EQ(CTVRTerminalPrinter::ChooseMode(pTerminal, false), CTVRTerminalPrinter::COLOUR_TRUECOLOR);
    EXPECT_EQ(CTVRTerminalPrinter::ChooseMode(pTerminal, true), CTVRTerminalPrinter::COLOUR_NONE);
    CScopedEnv noColorSet("NO_COLOR", "1");
    EXPECT_EQ(CTVRTerminalPrinter::ChooseMode(pTerminal, false), CTVRTerminalPrinter::COLOUR_NONE);
  }
  {
    CScopedEnv colorTerm("COLORTERM", nullptr);
    EXPECT_EQ(CTVRTerminalPrinter::ChooseMode(pTerminal, false), CTVRTerminalPrinter::COLOUR_BASIC);
    CScopedEnv dumb("TERM", "dumb");
    EXPECT_EQ(CTVRTerminalPrinter::ChooseMode(pTerminal, false), CTVRTerminalPrinter::COLOUR_NONE);
  }
  std::fclose(pTerminal);
  close(master);
}
