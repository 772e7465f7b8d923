// The serial board's settings, in one table: each row names the value in the
// document's section of the settings, the board option that a command line
// gives for one run (tavric-run --port, --speed, ...), what a settings window
// calls it, its default and its choices. A value given for the run wins over
// the stored one; the stored one over the default.
#pragma once

#include <array>
#include <string>
#include <vector>

#include <tavric/board_setting.h>

class CTVRRegistry;

class CTVRSerialSettings {
 public:
  enum ESetting { SET_PORT, SET_SPEED, SET_PARITY, SET_FLOW, SET_BYTE_TIMEOUT, SET_COUNT };
  enum EParity { PARITY_NONE, PARITY_EVEN, PARITY_ODD };
  enum EFlow { FLOW_NONE, FLOW_HARDWARE, FLOW_SOFTWARE };

  struct CRow {
    const char* m_pszValue;    // value name in the document's section
    const char* m_pszOption;   // board option (tavric-run's --<option>)
    const char* m_pszLabel;    // the setting's name for people
    const char* m_pszDefault;  // text of the default value
    const char* m_pszChoices;  // "a|b|c" for a choice, "" for a number, null for free text
  };
  static const std::array<CRow, SET_COUNT>& GetRows();

  // The line as the board opens it.
  struct CLine {
    std::string m_strPort;
    long m_lSpeed = 0;
    EParity m_eParity = PARITY_NONE;
    EFlow m_eFlow = FLOW_NONE;
    unsigned m_uByteTimeoutMs = 0;
  };
  static constexpr long MAX_SPEED = 4000000;
  static constexpr unsigned MAX_BYTE_TIMEOUT_MS = 10000;

  CTVRSerialSettings();

  const std::string& Get(ESetting setting) const { return m_Values[setting]; }
  void Set(ESetting setting, const std::string& text) { m_Values[setting] = text; }

  // Stored values that exist replace the current ones; missing ones are left.
  void Load(CTVRRegistry& reg);
  bool Save(CTVRRegistry& reg) const;
  // The line of the current values, each replaced by the board option given
  // for the run. FALSE, with a message naming the setting, for a value that
  // is no speed, choice or timeout.
  bool Resolve(CLine& line, std::string& error) const;

  // The settings as the settings window shows them, the ports found now as
  // the port's hint.
  void Describe(std::vector<CTVRBoardSetting>& settings, const std::vector<std::string>& ports) const;
  // A value chosen in the settings window, checked as Resolve checks it;
  // FALSE, with the message, and the value left, when it is refused.
  bool Take(const std::string& name, const std::string& value, std::string& error);

 private:
  // One value against its row: its number or choice, or the message.
  static bool Check(ESetting setting, const std::string& text, long& number, int& choice, std::string& error);

  std::array<std::string, SET_COUNT> m_Values;
};
