#include "cli/terminal_printer.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/pending_output.h"

CTVRTerminalPrinter::EColourMode CTVRTerminalPrinter::ChooseMode(std::FILE* pOut, bool bNoColour) {
  if (bNoColour || !isatty(fileno(pOut))) return COLOUR_NONE;
  const char* noColor = std::getenv("NO_COLOR");
  if (noColor != nullptr && *noColor != '\0') return COLOUR_NONE;
  const char* term = std::getenv("TERM");
  if (term != nullptr && std::strcmp(term, "dumb") == 0) return COLOUR_NONE;
  const char* colorTerm = std::getenv("COLORTERM");
  if (colorTerm != nullptr && (std::strcmp(colorTerm, "truecolor") == 0 || std::strcmp(colorTerm, "24bit") == 0))
    return COLOUR_TRUECOLOR;
  return COLOUR_BASIC;
}

std::string CTVRTerminalPrinter::ColourSequence(tvr::COLORREF colour, EColourMode eMode) {
  if (eMode == COLOUR_NONE) return {};
  const int r = tvr::GetRValue(colour), g = tvr::GetGValue(colour), b = tvr::GetBValue(colour);
  if (r == 0 && g == 0 && b == 0) return "\x1b[39m";
  if (eMode == COLOUR_TRUECOLOR) {
    char text[32];
    std::snprintf(text, sizeof(text), "\x1b[38;2;%d;%d;%dm", r, g, b);
    return text;
  }
  // Terminals draw the basic colours at about half intensity, so a component
  // counts as on from a quarter up: purple (128, 0, 128) is magenta, dark red
  // (128, 0, 0) is red.
  const int index = (r >= 64 ? 1 : 0) | (g >= 64 ? 2 : 0) | (b >= 64 ? 4 : 0);
  char text[16];
  std::snprintf(text, sizeof(text), "\x1b[%dm", 30 + index);
  return text;
}

void CTVRTerminalPrinter::Write(const char* data, std::size_t size) {
  if (size == 0) return;
  if (m_pPending != nullptr)
    m_pPending->Append(data, size);
  else
    std::fwrite(data, 1, size, m_pOut);
}

void CTVRTerminalPrinter::Flush() {
  if (m_pPending != nullptr)
    m_pPending->Flush();
  else
    std::fflush(m_pOut);
}

void CTVRTerminalPrinter::Print(const std::string& text, tvr::COLORREF colour) {
  if (text.empty()) return;
  const char* p = text.data();
  const char* end = p + text.size();
  if (m_bPendingCR) {
    m_bPendingCR = false;
    if (*p != '\n') Write("\r", 1);
  }
  if (m_eMode != COLOUR_NONE && (!m_bColourSet || colour != m_crCurrent)) {
    const std::string sequence = ColourSequence(colour, m_eMode);
    Write(sequence.data(), sequence.size());
    m_bColourSet = true;
    m_crCurrent = colour;
  }
  // Copy run by run, dropping each CR that comes right before an LF.
  while (p < end) {
    const void* found = std::memchr(p, '\r', std::size_t(end - p));
    const char* cr = found != nullptr ? static_cast<const char*>(found) : end;
    Write(p, std::size_t(cr - p));
    if (cr == end) break;
    if (cr + 1 == end) {
      m_bPendingCR = true;
      break;
    }
    if (cr[1] != '\n') Write("\r", 1);
    p = cr + 1;
  }
}

void CTVRTerminalPrinter::Finish() {
  if (m_bPendingCR) {
    Write("\r", 1);
    m_bPendingCR = false;
  }
  if (m_bColourSet) {
    Write("\x1b[0m", 4);
    m_bColourSet = false;
  }
  Flush();
}
