// The trace of one reader of a run over several readers: whole lines, each
// begun with the reader's prefix ("[Sim2] "), so that the readers' lines
// interleave on the one terminal without cutting into each other. Without a
// prefix (a run over one reader) the pieces go through as they come.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <tavric/types.h>

class CTVRTerminalPrinter;

class CTVRReaderPrinter {
 public:
  CTVRReaderPrinter(CTVRTerminalPrinter& printer, std::string prefix)
      : m_Printer(printer), m_strPrefix(std::move(prefix)) {}

  void Print(const std::string& text, tvr::COLORREF colour);
  // Prints the line begun and not ended yet, with a line end.
  void EndLine();

 private:
  CTVRTerminalPrinter& m_Printer;
  std::string m_strPrefix;
  // The pieces of the line begun, each in its colour.
  std::vector<std::pair<std::string, tvr::COLORREF>> m_Line;
};
