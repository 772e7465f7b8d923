#include "decode/atr.h"

#include <tavric/hex_text.h>

namespace {

constexpr tvr::BYTE TS_INVERSE = 0x3F;
constexpr int HISTO_PER_LINE = 4;
constexpr char INDENT[] = "         ";
constexpr char HISTO_CONTINUATION[] = "                       ";

// Which interface byte of group i a bit of Y names, in the order they follow.
enum EInterfaceBit : tvr::BYTE { BIT_TA = 0x10, BIT_TB = 0x20, BIT_TC = 0x40, BIT_TD = 0x80 };

void AppendLine(std::string& text, const char* label, tvr::BYTE value) {
  text += label;
  text += "0x";
  CTVRHexText::AppendByte(text, value);
  text += "\r\n";
}

}  // namespace

void CAtr::Parse(const tvr::BYTE* bytes, tvr::DWORD count) {
  if (!bytes) count = 0;
  // Bytes the answer announces but does not hold are absent, and once one is
  // missing nothing after it can be placed: the fields read so far are kept
  // and the parse ends there.
  tvr::DWORD p = 0;
  auto next = [&](tvr::BYTE& value) {
    if (p >= count) return false;
    value = bytes[p++];
    return true;
  };

  if (!next(m_byTS)) return;
  m_bDirectConvention = m_byTS == TS_INVERSE ? 0 : 1;
  if (!next(m_byT0)) return;
  m_byY1 = m_byT0 >> 4;
  m_byK = m_byT0 & 0x0F;

  // Whether every interface byte the answer announces is there; the
  // historical bytes follow only then.
  auto readInterfaceBytes = [&]() {
    tvr::BYTE y = m_byT0;
    for (int i = 1;; ++i) {
      // Groups 1 to 3 are kept, except TD3; higher groups only steer the parse.
      CInterfaceByte none;
      CInterfaceByte* fields[4] = {&none, &none, &none, &none};
      if (i == 1) {
        fields[0] = &m_TA1, fields[1] = &m_TB1, fields[2] = &m_TC1, fields[3] = &m_TD1;
      } else if (i == 2) {
        fields[0] = &m_TA2, fields[1] = &m_TB2, fields[2] = &m_TC2, fields[3] = &m_TD2;
      } else if (i == 3) {
        fields[0] = &m_TA3, fields[1] = &m_TB3, fields[2] = &m_TC3;
      }
      const tvr::BYTE bits[4] = {BIT_TA, BIT_TB, BIT_TC, BIT_TD};
      tvr::BYTE td = 0;
      for (int k = 0; k < 4; ++k) {
        if (!(y & bits[k])) continue;
        if (!next(td)) return false;
        fields[k]->m_byValue = td;
        fields[k]->m_bPresent = 1;
      }
      if (!(y & BIT_TD)) return true;
      // The TDi just read announces the next group.
      y = td;
    }
  };
  const bool complete = readInterfaceBytes();

  if (m_TA1.m_bPresent) m_byFI = m_TA1.m_byValue >> 4, m_byDI = m_TA1.m_byValue & 0x0F;
  if (m_TB1.m_bPresent) m_byII = (m_TB1.m_byValue & 0x60) >> 5, m_byPI1 = m_TB1.m_byValue & 0x1F;
  if (m_TD1.m_bPresent) m_byTD1High = m_TD1.m_byValue >> 4, m_byTD1Protocol = m_TD1.m_byValue & 0x0F;
  if (m_TD2.m_bPresent) m_byTD2High = m_TD2.m_byValue >> 4, m_byTD2Protocol = m_TD2.m_byValue & 0x0F;
  if (m_TB3.m_bPresent) m_byBWI = m_TB3.m_byValue >> 4, m_byCWI = m_TB3.m_byValue & 0x0F;

  if (complete)
    while (m_nHistoCount < m_byK && next(m_byHisto[m_nHistoCount])) ++m_nHistoCount;
  m_byHisto[m_nHistoCount] = 0;
}

std::string CAtr::Format() const {
  std::string text;
  const std::string indent = INDENT;
  AppendLine(text, "TS  - ", m_byTS);
  text += indent + (m_bDirectConvention ? "Direct Conv.\r\n" : "Inverse Conv.\r\n");
  AppendLine(text, "T0   - ", m_byT0);
  AppendLine(text, (indent + "Nbr of histo bytes : ").c_str(), m_byK);
  if (m_TA1.m_bPresent) {
    AppendLine(text, "TA1 - ", m_TA1.m_byValue);
    AppendLine(text, (indent + "Fi = ").c_str(), m_byFI);
    AppendLine(text, (indent + "Di = ").c_str(), m_byDI);
  }
  if (m_TB1.m_bPresent) {
    AppendLine(text, "TB1 - ", m_TB1.m_byValue);
    AppendLine(text, (indent + "Max prog current : II = ").c_str(), m_byII);
    AppendLine(text, (indent + "Prog voltage : PI1 = ").c_str(), m_byPI1);
  }
  if (m_TC1.m_bPresent) AppendLine(text, "TC1 - Extra G.T. = ", m_TC1.m_byValue);
  if (m_TD1.m_bPresent) {
    AppendLine(text, "TD1 - ", m_TD1.m_byValue);
    AppendLine(text, (indent + "Protocol T = ").c_str(), m_byTD1Protocol);
  }
  if (m_TA2.m_bPresent) AppendLine(text, "TA2 - M. Specific - Value = ", m_TA2.m_byValue);
  if (m_TB2.m_bPresent) AppendLine(text, "TB2 - Vpp = ", m_TB2.m_byValue);
  if (m_TC2.m_bPresent) AppendLine(text, "TC2 - Wi = ", m_TC2.m_byValue);
  if (m_TD2.m_bPresent) {
    AppendLine(text, "TD2 - ", m_TD2.m_byValue);
    AppendLine(text, (indent + "Protocol T = ").c_str(), m_byTD2Protocol);
  }
  if (m_TA3.m_bPresent) AppendLine(text, "TA3 - IFSC = ", m_TA3.m_byValue);
  if (m_TB3.m_bPresent) {
    AppendLine(text, "TB3 - ", m_TB3.m_byValue);
    AppendLine(text, (indent + "BWI = ").c_str(), m_byBWI);
    AppendLine(text, (indent + "CWI = ").c_str(), m_byCWI);
  }
  if (m_TC3.m_bPresent) AppendLine(text, "TC3 - ErrorDetectCode = ", m_TC3.m_byValue);
  if (m_byK != 0) {
    text += "Histo bytes : = ";
    for (int i = 0; i < m_nHistoCount; ++i) {
      text += "0x";
      CTVRHexText::AppendByte(text, m_byHisto[i]);
      text += ' ';
      if ((i + 1) % HISTO_PER_LINE == 0) text += std::string("\r\n") + HISTO_CONTINUATION;
    }
    // The line ends after the last byte; an answer cut before its first
    // historical byte still ends the line it opened.
    text += "\r\n";
  }
  return text;
}
