#include "serial_settings.h"

#include <cerrno>
#include <cstdlib>

#include <tavric/board_options.h>
#include <tavric/registry.h>

namespace {

// A whole decimal number from 1 to max; FALSE for anything else.
bool ParseNumber(const std::string& text, long max, long& value) {
  if (text.empty() || text.size() > 10 || text[0] < '0' || text[0] > '9') return false;
  errno = 0;
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || n < 1 || n > max) return false;
  value = n;
  return true;
}

// The position of text among the choices "a|b|c", -1 when it is none of them.
int ParseChoice(const std::string& text, const std::string& choices) {
  int index = 0;
  std::size_t from = 0;
  for (;;) {
    const std::size_t bar = choices.find('|', from);
    if (choices.compare(from, bar == std::string::npos ? std::string::npos : bar - from, text) == 0) return index;
    if (bar == std::string::npos) return -1;
    from = bar + 1;
    ++index;
  }
}

}  // namespace

const std::array<CTVRSerialSettings::CRow, CTVRSerialSettings::SET_COUNT>& CTVRSerialSettings::GetRows() {
  static const std::array<CRow, SET_COUNT> rows{{
      {"Port", "port", "Port", "/dev/ttyUSB0", nullptr},
      {"Speed", "speed", "Speed (bit/s)", "115200", ""},
      {"Parity", "parity", "Parity", "none", "none|even|odd"},
      {"FlowControl", "flow", "Flow control", "none", "none|hardware|software"},
      {"ByteTimeout", "byte-timeout", "Inter-byte timeout (ms)", "50", ""},
  }};
  return rows;
}

CTVRSerialSettings::CTVRSerialSettings() {
  for (int i = 0; i < SET_COUNT; ++i) m_Values[std::size_t(i)] = GetRows()[std::size_t(i)].m_pszDefault;
}

void CTVRSerialSettings::Load(CTVRRegistry& reg) {
  for (int i = 0; i < SET_COUNT; ++i) {
    std::string text;
    if (reg.Read(GetRows()[std::size_t(i)].m_pszValue, text)) m_Values[std::size_t(i)] = text;
  }
}

bool CTVRSerialSettings::Save(CTVRRegistry& reg) const {
  for (int i = 0; i < SET_COUNT; ++i)
    if (!reg.Write(GetRows()[std::size_t(i)].m_pszValue, m_Values[std::size_t(i)])) return false;
  return true;
}

bool CTVRSerialSettings::Check(ESetting setting, const std::string& text, long& number, int& choice,
                               std::string& error) {
  const CRow& row = GetRows()[std::size_t(setting)];
  const long max = setting == SET_SPEED ? MAX_SPEED : long(MAX_BYTE_TIMEOUT_MS);
  bool valid = true;
  if (row.m_pszChoices == nullptr)
    valid = !text.empty();
  else if (*row.m_pszChoices == '\0')
    valid = ParseNumber(text, max, number);
  else
    valid = (choice = ParseChoice(text, row.m_pszChoices)) >= 0;
  if (valid) return true;
  std::string expected = "a path";
  if (row.m_pszChoices && *row.m_pszChoices) {
    // "a|b|c" reads "a, b or c".
    expected = row.m_pszChoices;
    const std::size_t last = expected.rfind('|');
    expected.replace(last, 1, " or ");
    for (std::size_t bar = expected.find('|'); bar != std::string::npos; bar = expected.find('|'))
      expected.replace(bar, 1, ", ");
  } else if (row.m_pszChoices) {
    expected = "a whole number from 1 to " + std::to_string(max);
  }
  error = std::string("Serial: the ") + row.m_pszOption + " \"" + text + "\" is not valid (" + expected + ")";
  return false;
}

bool CTVRSerialSettings::Resolve(CLine& line, std::string& error) const {
  std::array<std::string, SET_COUNT> values = m_Values;
  for (int i = 0; i < SET_COUNT; ++i) {
    const std::string given = GetBoardOption(GetRows()[std::size_t(i)].m_pszOption);
    if (!given.empty()) values[std::size_t(i)] = given;
  }
  for (int i = 0; i < SET_COUNT; ++i) {
    const std::string& text = values[std::size_t(i)];
    long number = 0;
    int choice = 0;
    if (!Check(ESetting(i), text, number, choice, error)) return false;
    switch (i) {
      case SET_PORT:
        line.m_strPort = text;
        break;
      case SET_SPEED:
        line.m_lSpeed = number;
        break;
      case SET_PARITY:
        line.m_eParity = EParity(choice);
        break;
      case SET_FLOW:
        line.m_eFlow = EFlow(choice);
        break;
      case SET_BYTE_TIMEOUT:
        line.m_uByteTimeoutMs = unsigned(number);
        break;
      default:
        break;
    }
  }
  return true;
}

void CTVRSerialSettings::Describe(std::vector<CTVRBoardSetting>& settings,
                                  const std::vector<std::string>& ports) const {
  for (int i = 0; i < SET_COUNT; ++i) {
    const CRow& row = GetRows()[std::size_t(i)];
    CTVRBoardSetting setting;
    setting.m_strName = row.m_pszValue;
    setting.m_strLabel = row.m_pszLabel;
    setting.m_strValue = m_Values[std::size_t(i)];
    if (row.m_pszChoices == nullptr) {
      // A port may be named before its adapter is plugged in: free text, with
      // the ports there are now as a hint.
      setting.m_eKind = CTVRBoardSetting::SETTING_TEXT;
      std::string found;
      for (const std::string& port : ports) found += (found.empty() ? "" : ", ") + port;
      setting.m_strHint = found.empty() ? "No serial port is found now." : "Ports found now: " + found + ".";
    } else if (*row.m_pszChoices == '\0') {
      setting.m_eKind = CTVRBoardSetting::SETTING_NUMBER;
      setting.m_nMin = 1;
      setting.m_nMax = i == SET_SPEED ? MAX_SPEED : long(MAX_BYTE_TIMEOUT_MS);
    } else {
      setting.m_eKind = CTVRBoardSetting::SETTING_CHOICE;
      const std::string choices = row.m_pszChoices;
      for (std::size_t from = 0;;) {
        const std::size_t bar = choices.find('|', from);
        setting.m_Choices.push_back(choices.substr(from, bar == std::string::npos ? std::string::npos : bar - from));
        if (bar == std::string::npos) break;
        from = bar + 1;
      }
    }
    settings.push_back(setting);
  }
}

bool CTVRSerialSettings::Take(const std::string& name, const std::string& value, std::string& error) {
  for (int i = 0; i < SET_COUNT; ++i) {
    if (name != GetRows()[std::size_t(i)].m_pszValue) continue;
    long number = 0;
    int choice = 0;
    if (!Check(ESetting(i), value, number, choice, error)) return false;
    m_Values[std::size_t(i)] = value;
    return true;
  }
  error = "Serial: no setting \"" + name + "\"";
  return false;
}
