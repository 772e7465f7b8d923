// A decoded text in a fixed buffer: every answer of a loop test builds one, so
// the common path allocates nothing, and only the characters appended are
// written (the text is its first GetLength characters, with no terminating
// zero). Appends beyond the capacity are cut.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>

#include <tavric/hex_text.h>
#include <tavric/trace_record.h>

#include "decode/answer_sink.h"

template <std::size_t CAPACITY>
class CTVRDecodedText {
 public:
  void Append(const char* text, std::size_t count) {
    if (!text) return;
    count = std::min(count, CAPACITY - 1 - m_nLength);
    std::memcpy(m_text + m_nLength, text, count);
    m_nLength += count;
  }
  template <std::size_t N>
  void Append(const char (&text)[N]) {
    Append(text, N - 1);
  }
  // " ERROR 0x%02X :"
  void AppendErrorPrefix(tvr::BYTE code) {
    char prefix[] = " ERROR 0x.. :";
    prefix[9] = CTVRHexText::Digit(code >> 4);
    prefix[10] = CTVRHexText::Digit(code);
    Append(prefix);
  }
  bool IsEmpty() const { return m_nLength == 0; }
  const char* GetText() const { return m_text; }
  std::size_t GetLength() const { return m_nLength; }
  // A decoded answer record ("IFD -> PC :").
  void Trace(CTVRAnswerSink& doc) const {
    doc.NotifyMessage(reinterpret_cast<const tvr::BYTE*>(m_text), tvr::DWORD(m_nLength), TRACE_ANSWER_TEXT);
  }

 private:
  char m_text[CAPACITY];
  std::size_t m_nLength = 0;
};
