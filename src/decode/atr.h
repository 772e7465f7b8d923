// An answer to reset split into the fields of ISO/IEC 7816-3 that the card
// parameters bar and `tavric-run atr` show, and written back as text.
#pragma once

#include <string>

#include <tavric/types.h>

class CAtr {
 public:
  // One interface byte of the answer; m_bPresent is 1 when the answer holds it.
  struct CInterfaceByte {
    tvr::BYTE m_byValue = 0;
    int m_bPresent = 0;
  };

  static constexpr int MAX_HISTO_BYTES = 15;

  CAtr() = default;
  virtual ~CAtr() = default;

  // Fills the record from an answer to reset. A record is meant to be parsed
  // once; each answer gets a fresh one. Bytes the answer announces but does
  // not hold leave their fields absent: nothing is read past count.
  void Parse(const tvr::BYTE* bytes, tvr::DWORD count);
  // The decoded text, one field per line, each line ended by CR LF.
  std::string Format() const;

  int m_bDirectConvention = 1;
  tvr::BYTE m_byTS = 0;
  tvr::BYTE m_byT0 = 0;
  tvr::BYTE m_byY1 = 0;
  tvr::BYTE m_byK = 0;
  // The historical bytes the answer holds (fewer than K when it is cut short),
  // followed by a terminating zero.
  tvr::BYTE m_byHisto[MAX_HISTO_BYTES + 1] = {};
  int m_nHistoCount = 0;

  CInterfaceByte m_TA1, m_TB1, m_TC1, m_TD1;
  CInterfaceByte m_TA2, m_TB2, m_TC2, m_TD2;
  CInterfaceByte m_TA3, m_TB3, m_TC3;

  tvr::BYTE m_byFI = 0, m_byDI = 0;
  tvr::BYTE m_byII = 0, m_byPI1 = 0;
  tvr::BYTE m_byTD1High = 0, m_byTD1Protocol = 0;
  tvr::BYTE m_byTD2High = 0, m_byTD2Protocol = 0;
  tvr::BYTE m_byBWI = 0, m_byCWI = 0;
};
