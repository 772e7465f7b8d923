// The serial board's line settings from any text: the input's lines, in
// pairs, are a setting's name and a value chosen in the settings window, a
// value stored in the document (a hand-edited settings file) or a board
// option given for one run (tavric-run --speed ...), as the first byte of
// the input says for each pair. A value the window takes is one the line
// can use; a line resolved is within the table's bounds; a refusal names
// what is wrong.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <tavric/board_options.h>

#include "fuzz_support.h"
#include "serial_settings.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckLine(const CTVRSerialSettings& settings, bool mustResolve) {
  CTVRSerialSettings::CLine line;
  std::string error;
  if (!settings.Resolve(line, error)) {
    Require(!mustResolve && error.rfind("Serial: the ", 0) == 0);
    return;
  }
  Require(!line.m_strPort.empty());
  Require(line.m_lSpeed >= 1 && line.m_lSpeed <= CTVRSerialSettings::MAX_SPEED);
  Require(line.m_uByteTimeoutMs >= 1 && line.m_uByteTimeoutMs <= CTVRSerialSettings::MAX_BYTE_TIMEOUT_MS);
  Require(line.m_eParity >= CTVRSerialSettings::PARITY_NONE && line.m_eParity <= CTVRSerialSettings::PARITY_ODD);
  Require(line.m_eFlow >= CTVRSerialSettings::FLOW_NONE && line.m_eFlow <= CTVRSerialSettings::FLOW_SOFTWARE);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  tvr_fuzz::InitOnce();
  tvr_fuzz::CInput input(data, size);
  unsigned doors = input.Byte();
  std::vector<std::string> lines;
  const std::string text = input.Rest();
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.emplace_back(text, start, end - start);
    start = end + 1;
  }

  const auto& rows = CTVRSerialSettings::GetRows();
  CTVRSerialSettings settings;
  // Only values the window took, so far: the line must resolve.
  bool onlyTaken = true;
  for (std::size_t i = 0; i + 1 < lines.size(); i += 2, doors >>= 2) {
    const std::string& name = lines[i];
    const std::string& value = lines[i + 1];
    // A name may be given by its row number ("0" to "4"), to reach every row quickly.
    const CTVRSerialSettings::CRow* pRow = nullptr;
    if (name.size() == 1 && name[0] >= '0' && std::size_t(name[0] - '0') < rows.size()) pRow = &rows[name[0] - '0'];
    switch (doors & 3) {
      case 0:
      case 1: {
        const std::string before = pRow ? settings.Get(CTVRSerialSettings::ESetting(pRow - rows.data())) : "";
        std::string error;
        const bool taken = settings.Take(pRow ? pRow->m_pszValue : name, value, error);
        Require(taken == error.empty());
        if (pRow) Require(settings.Get(CTVRSerialSettings::ESetting(pRow - rows.data())) == (taken ? value : before));
        break;
      }
      case 2:
        if (pRow) settings.Set(CTVRSerialSettings::ESetting(pRow - rows.data()), value);
        onlyTaken = onlyTaken && !pRow;
        break;
      default:
        // Options of other names are no business of the board's.
        if (pRow) SetBoardOption(pRow->m_pszOption, value);
        onlyTaken = onlyTaken && !(pRow && !value.empty());
        break;
    }
  }
  CheckLine(settings, onlyTaken);

  std::vector<CTVRBoardSetting> described;
  settings.Describe(described, lines);
  Require(described.size() == rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const CTVRBoardSetting& s = described[i];
    Require(s.m_strValue == settings.Get(CTVRSerialSettings::ESetting(i)));
    if (s.m_eKind == CTVRBoardSetting::SETTING_CHOICE) Require(!s.m_Choices.empty());
  }

  for (const auto& row : rows) SetBoardOption(row.m_pszOption, "");
  return 0;
}
