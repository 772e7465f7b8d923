// A serial line's settings as a board describes them: a choice of ports, a
// speed in a range and a free text.
#pragma once

#include <vector>

#include <tavric/board_setting.h>

namespace tvr_test {

inline std::vector<CTVRBoardSetting> SerialSettingsExample() {
  CTVRBoardSetting port;
  port.m_strName = "Port";
  port.m_strLabel = "Port";
  port.m_eKind = CTVRBoardSetting::SETTING_CHOICE;
  port.m_Choices = {"/dev/ttyUSB0", "/dev/ttyS0", "/dev/ttyACM0"};
  port.m_strValue = "/dev/ttyS0";
  port.m_strHint = "Used at the next Connect.";
  CTVRBoardSetting speed;
  speed.m_strName = "Speed";
  speed.m_strLabel = "Speed (bit/s)";
  speed.m_eKind = CTVRBoardSetting::SETTING_NUMBER;
  speed.m_nMin = 50;
  speed.m_nMax = 4000000;
  speed.m_strValue = "9600";
  CTVRBoardSetting note;
  note.m_strName = "Note";
  note.m_strLabel = "Note";
  note.m_strValue = "bench 2";
  return {port, speed, note};
}

}  // namespace tvr_test
