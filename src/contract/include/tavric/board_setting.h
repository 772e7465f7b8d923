// One setting of a board as its settings window shows it. A board describes
// its settings with CTVRBoardDoc::GetSettings and takes the values the user
// chose with SetSetting; the desktop program builds one window from the
// descriptions, so a board needs no widgets of its own.
//
// Every value travels as text: a choice is one of m_Choices, a number is
// written in decimal, a text is as typed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CTVRBoardSetting {
  enum EKind : int {
    SETTING_CHOICE = 0,  // one of m_Choices, which the board fills when asked
    SETTING_NUMBER = 1,  // a whole number from m_nMin to m_nMax
    SETTING_TEXT = 2,    // free text
  };

  std::string m_strName;   // the value's name in the document's section ("Reader", "Speed")
  std::string m_strLabel;  // what the window shows beside the field ("Reader", "Speed (bit/s)")
  EKind m_eKind = SETTING_TEXT;
  std::string m_strValue;  // the current value
  std::vector<std::string> m_Choices;
  std::int64_t m_nMin = 0;
  std::int64_t m_nMax = 0;
  // Shown under the field: why a list is empty, what a value means.
  std::string m_strHint;
};
