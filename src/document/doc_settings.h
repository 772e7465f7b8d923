// The values a reader document keeps in its registry section, and the one
// table of their names and types that both saving and restoring walk.
#pragma once

#include <array>
#include <string>

#include <tavric/types.h>

class CTVRRegistry;

class CTVRDocSettings {
 public:
  // Written in the table's order, which starts with "LastRegSettingUsed";
  // read in the same order with that first value moved to the end.
  std::string m_strLastRegSetting;
  std::string m_strTitle = "noname";
  tvr::DWORD m_dwConnected = 0;
  std::string m_strProtocol = "Verta";
  std::string m_strScript = "noname";
  tvr::DWORD m_dwScriptType = 0;
  tvr::DWORD m_dwMode = 0;
  tvr::DWORD m_dwAutoPause = 1;
  tvr::DWORD m_dwStandard = 0;
  tvr::DWORD m_dwBeep = 1;
  tvr::DWORD m_dwHexMode = 1;
  std::array<std::string, 5> m_Commands;
  std::array<std::string, 4> m_Keys;  // key 1 to key 4 of the cyphering object

  // Writes every value, stopping at the first write that fails (FALSE).
  tvr::BOOL Save(CTVRRegistry& reg) const;
  // Reads the values, stopping at the first read that fails (FALSE); the
  // values read before it are kept, the others keep what they held.
  tvr::BOOL Load(CTVRRegistry& reg);

  // The value names in the order of writing, for documentation and tests.
  static std::array<const char*, 20> GetNames();
};
