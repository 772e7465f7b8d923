// Lines of a text read piece by piece from a source of bytes (a file, a
// spool), at a flat memory cost: a line ends at LF, a CR before the LF is
// dropped (logs end their lines with CR LF, the terminal with LF), and only
// the first MAX_KEPT bytes of a line are kept, its whole length and a hash of
// all of it beside them, so two lines still compare exactly however long.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class CTVRTextLineReader {
 public:
  static constexpr std::size_t MAX_KEPT = std::size_t(64) * 1024;

  // Fills the buffer with up to `capacity` bytes; 0 at the end of the text.
  using Source = std::function<std::size_t(char* buffer, std::size_t capacity)>;

  struct CLine {
    std::string m_strText;        // the line without its end, at most MAX_KEPT bytes of it
    std::uint64_t m_nLength = 0;  // the whole line's length
    std::uint64_t m_nHash = 0;    // of the whole line (FNV-1a)

    bool operator==(const CLine& other) const {
      return m_nLength == other.m_nLength && m_nHash == other.m_nHash && m_strText == other.m_strText;
    }
  };

  explicit CTVRTextLineReader(Source source) : m_Source(std::move(source)) {}

  // The next line; false at the end of the text. A last line without its
  // end counts; an empty text has no line.
  bool Next(CLine& line);

 private:
  bool Fill();

  Source m_Source;
  char m_Buffer[16 * 1024];
  std::size_t m_nUsed = 0;
  std::size_t m_nAt = 0;
  bool m_bEnd = false;
};
