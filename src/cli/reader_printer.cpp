#include "cli/reader_printer.h"

#include "cli/terminal_printer.h"

void CTVRReaderPrinter::Print(const std::string& text, tvr::COLORREF colour) {
  if (m_strPrefix.empty()) {
    m_Printer.Print(text, colour);
    return;
  }
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t end = text.find('\n', from);
    const std::size_t stop = end == std::string::npos ? text.size() : end + 1;
    m_Line.emplace_back(text.substr(from, stop - from), colour);
    if (end != std::string::npos) {
      m_Printer.Print(m_strPrefix, 0);
      for (const auto& [piece, pieceColour] : m_Line) m_Printer.Print(piece, pieceColour);
      m_Line.clear();
    }
    from = stop;
  }
}

void CTVRReaderPrinter::EndLine() {
  if (!m_Line.empty()) Print("\n", 0);
}
