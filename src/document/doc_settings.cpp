#include "document/doc_settings.h"

#include <tavric/registry.h>

namespace {

using S = CTVRDocSettings;

// One row per stored value: its name and where it lives, as text or number.
struct CEntry {
  const char* m_pszName;
  std::string* (*m_pText)(S&);
  tvr::DWORD* (*m_pNumber)(S&);
};

template <std::string S::*Field>
std::string* Text(S& s) {
  return &(s.*Field);
}
template <tvr::DWORD S::*Field>
tvr::DWORD* Number(S& s) {
  return &(s.*Field);
}
template <std::size_t I>
std::string* Command(S& s) {
  return &s.m_Commands[I];
}
template <std::size_t I>
std::string* Key(S& s) {
  return &s.m_Keys[I];
}

constexpr CEntry kEntries[] = {
    {"LastRegSettingUsed", Text<&S::m_strLastRegSetting>, nullptr},
    {"Title", Text<&S::m_strTitle>, nullptr},
    {"Connected", nullptr, Number<&S::m_dwConnected>},
    {"Protocol", Text<&S::m_strProtocol>, nullptr},
    {"Script", Text<&S::m_strScript>, nullptr},
    {"Command", nullptr, Number<&S::m_dwScriptType>},
    {"Mode", nullptr, Number<&S::m_dwMode>},
    {"AutoPause", nullptr, Number<&S::m_dwAutoPause>},
    {"Standard", nullptr, Number<&S::m_dwStandard>},
    {"Beep", nullptr, Number<&S::m_dwBeep>},
    {"HexMode", nullptr, Number<&S::m_dwHexMode>},
    {"Cmd1", Command<0>, nullptr},
    {"Cmd2", Command<1>, nullptr},
    {"Cmd3", Command<2>, nullptr},
    {"Cmd4", Command<3>, nullptr},
    {"Cmd5", Command<4>, nullptr},
    {"CypheringKey", Key<0>, nullptr},
    {"DecypheringKey", Key<1>, nullptr},
    {"3CypheringKey", Key<2>, nullptr},
    {"3DecypheringKey", Key<3>, nullptr},
};
constexpr std::size_t kCount = sizeof(kEntries) / sizeof(kEntries[0]);

}  // namespace

tvr::BOOL CTVRDocSettings::Save(CTVRRegistry& reg) const {
  // The table hands out pointers into a settings object; writing only reads them.
  S& self = const_cast<S&>(*this);
  for (const CEntry& entry : kEntries) {
    const tvr::BOOL written = entry.m_pText != nullptr ? reg.Write(entry.m_pszName, *entry.m_pText(self))
                                                       : reg.Write(entry.m_pszName, *entry.m_pNumber(self));
    if (!written) return FALSE;
  }
  return TRUE;
}

tvr::BOOL CTVRDocSettings::Load(CTVRRegistry& reg) {
  // The register setting was added last to the reading chain, after the keys.
  for (std::size_t i = 1; i <= kCount; ++i) {
    const CEntry& entry = kEntries[i % kCount];
    const tvr::BOOL read = entry.m_pText != nullptr ? reg.Read(entry.m_pszName, *entry.m_pText(*this))
                                                    : reg.Read(entry.m_pszName, *entry.m_pNumber(*this));
    if (!read) return FALSE;
  }
  return TRUE;
}

std::array<const char*, 20> CTVRDocSettings::GetNames() {
  static_assert(kCount == 20);
  std::array<const char*, 20> names{};
  for (std::size_t i = 0; i < kCount; ++i) names[i] = kEntries[i].m_pszName;
  return names;
}
