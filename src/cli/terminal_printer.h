// Prints the pieces of trace text the trace view appends, in the view's
// colours when the output is a terminal. The trace's CR LF line ends become LF.
#pragma once

#include <cstdio>
#include <string>

#include <tavric/types.h>

class CTVRPendingOutput;

class CTVRTerminalPrinter {
 public:
  enum EColourMode {
    COLOUR_NONE,       // plain text
    COLOUR_BASIC,      // the eight basic ANSI colours, nearest match
    COLOUR_TRUECOLOR,  // ANSI 24-bit colours
  };

  // With pPending, the text goes there (the same output as pOut) instead of
  // through the C library's buffer, so a dying process still writes it.
  CTVRTerminalPrinter(std::FILE* pOut, EColourMode eMode, CTVRPendingOutput* pPending = nullptr)
      : m_pOut(pOut), m_pPending(pPending), m_eMode(eMode) {}
  ~CTVRTerminalPrinter() { Finish(); }
  CTVRTerminalPrinter(const CTVRTerminalPrinter&) = delete;
  CTVRTerminalPrinter& operator=(const CTVRTerminalPrinter&) = delete;

  // Colours for a terminal unless asked not to (or NO_COLOR is set); 24-bit
  // when the terminal says it has them (COLORTERM).
  static EColourMode ChooseMode(std::FILE* pOut, bool bNoColour);

  void Print(const std::string& text, tvr::COLORREF colour);
  // Ends any colour and flushes; also writes a CR that ended the last piece.
  void Finish();
  // Writes what is printed so far, the colour kept.
  void Flush();

  // The escape sequence that selects the colour (empty in plain mode).
  // Black, the view's text colour, is the terminal's own foreground, so the
  // text stays readable on a dark background.
  static std::string ColourSequence(tvr::COLORREF colour, EColourMode eMode);

 private:
  void Write(const char* data, std::size_t size);

  std::FILE* m_pOut;
  CTVRPendingOutput* m_pPending;
  EColourMode m_eMode;
  bool m_bColourSet = false;
  tvr::COLORREF m_crCurrent = 0;
  bool m_bPendingCR = false;  // a piece ended with CR: LF may open the next one
};
