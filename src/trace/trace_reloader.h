// Turns a kept trace text (the view text a kind 6 record copied) back into
// the records that rebuild it: command names and decoded answers lose their
// prefix (the view adds it again), comment lines and byte lines keep their
// characters and get back their colour from their kind.
#pragma once

#include <string>
#include <vector>

class CTVRTraceReloader {
 public:
  struct Record {
    int m_nKind;
    std::string m_strData;
  };

  // The records NotifyMessageForReload appends, in order.
  static std::vector<Record> Parse(const std::string& text);
  // The same, with every line of bytes (kinds 7 and 8) converted between the
  // two dump forms: to hexadecimal digits when hexDisplay is TRUE, from
  // hexadecimal digits to characters when it is FALSE.
  static std::vector<Record> ParseSwitchingHexToChar(const std::string& text, bool hexDisplay);

 private:
  enum EConversion { CONVERT_NONE, CONVERT_TO_HEX, CONVERT_TO_CHAR };
  static std::vector<Record> Parse(const std::string& text, EConversion conversion);
  static std::string Convert(const std::string& line, EConversion conversion);
};
