// The settings window of the cyphering object. The plug-in says what the
// window holds (its title, the keys with their labels and texts, whether
// answers are deciphered, a check of each key) and reads back what the user
// chose; the host draws the window, so a plug-in carries no widgets.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include <tavric/types.h>

struct CTVRCryptoSettings {
  struct CKey {
    std::string m_strLabel;
    std::string m_strValue;
  };

  std::string m_strTitle;
  std::vector<CKey> m_Keys;
  // A line under the keys saying what a key looks like; may be empty.
  std::string m_strHint;
  // The check box of deciphering; no check box when its text is empty.
  std::string m_strActivatedText;
  tvr::BOOL m_bActivated = FALSE;
  // Before OK is taken: "" for a good key text, else what to tell the user.
  // Without a check every text is taken.
  std::function<std::string(std::size_t key, const std::string& value)> m_CheckKey;
};

// Shows the window modally. TRUE when the user chose OK: the fields then
// hold the choices. FALSE when cancelled, or where there is no window to show
// (the runner), the fields unchanged.
TVR_API tvr::BOOL TVRShowCryptoSettings(CTVRCryptoSettings& settings);
