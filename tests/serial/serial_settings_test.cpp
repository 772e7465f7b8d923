// The serial board's settings: defaults, stored values, the run's options
// over them, and what an unusable value says.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <tavric/board_options.h>
#include <tavric/registry.h>

#include "serial_settings.h"

namespace {

class SerialSettingsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const auto& row : CTVRSerialSettings::GetRows()) SetBoardOption(row.m_pszOption, "");
  }
};

TEST_F(SerialSettingsTest, StoredBesideTheDocumentReadBackAndTheRunsOptionsWinOverThem) {
  {
    CTVRSerialSettings settings;
    settings.Set(CTVRSerialSettings::SET_PORT, "/dev/ttyS1");
    settings.Set(CTVRSerialSettings::SET_SPEED, "9600");
    settings.Set(CTVRSerialSettings::SET_PARITY, "even");
    settings.Set(CTVRSerialSettings::SET_FLOW, "hardware");
    CTVRRegistry reg(FALSE, FALSE);
    ASSERT_TRUE(reg.CreateKey("CTVRSerialDoc\\0"));
    ASSERT_TRUE(settings.Save(reg));
  }
  CTVRRegistry reg(FALSE, TRUE);
  ASSERT_TRUE(reg.Open(CTVRRegistry::GetRegSectionPath("CTVRSerialDoc\\0")));
  std::string stored;
  EXPECT_TRUE(reg.Read("Port", stored) && stored == "/dev/ttyS1");
  EXPECT_TRUE(reg.Read("FlowControl", stored) && stored == "hardware");
  CTVRSerialSettings loaded;
  loaded.Load(reg);
  CTVRSerialSettings::CLine line;
  std::string error;
  ASSERT_TRUE(loaded.Resolve(line, error)) << error;
  EXPECT_EQ(line.m_strPort, "/dev/ttyS1");
  EXPECT_EQ(line.m_lSpeed, 9600);
  EXPECT_EQ(line.m_eParity, CTVRSerialSettings::PARITY_EVEN);
  EXPECT_EQ(line.m_eFlow, CTVRSerialSettings::FLOW_HARDWARE);

  SetBoardOption("port", "/dev/ttyUSB3");
  SetBoardOption("flow", "software");
  ASSERT_TRUE(loaded.Resolve(line, error)) << error;
  EXPECT_EQ(line.m_strPort, "/dev/ttyUSB3");
  EXPECT_EQ(line.m_eParity, CTVRSerialSettings::PARITY_EVEN);
  EXPECT_EQ(line.m_eFlow, CTVRSerialSettings::FLOW_SOFTWARE);
  // What the run gave is not stored: the document keeps its own.
  EXPECT_EQ(loaded.Get(CTVRSerialSettings::SET_PORT), "/dev/ttyS1");
}

TEST_F(SerialSettingsTest, AnUnusableValueIsNamedWithWhatItMayBe) {
  struct CRow {
    CTVRSerialSettings::ESetting m_eSetting;
    std::string m_strValue;
    std::string m_strMessage;
  };
  std::vector<CRow> rows = {
      {CTVRSerialSettings::SET_PARITY, "mark", "Serial: the parity \"mark\" is not valid (none, even or odd)"},
      {CTVRSerialSettings::SET_PARITY, "Even", "Serial: the parity \"Even\" is not valid (none, even or odd)"},
      {CTVRSerialSettings::SET_FLOW, "rts", "Serial: the flow \"rts\" is not valid (none, hardware or software)"},
      {CTVRSerialSettings::SET_BYTE_TIMEOUT, "10001",
       "Serial: the byte-timeout \"10001\" is not valid (a whole number from 1 to 10000)"},
      {CTVRSerialSettings::SET_PORT, "", "Serial: the port \"\" is not valid (a path)"},
  };
  for (const char* speed : {"fast", "0", "-9600", "99999999999999999999", "9600 "})
    rows.push_back(
        {CTVRSerialSettings::SET_SPEED, speed,
         std::string("Serial: the speed \"") + speed + "\" is not valid (a whole number from 1 to 4000000)"});
  for (const CRow& row : rows) {
    CTVRSerialSettings settings;
    settings.Set(row.m_eSetting, row.m_strValue);
    CTVRSerialSettings::CLine line;
    std::string error;
    EXPECT_FALSE(settings.Resolve(line, error)) << row.m_strValue;
    EXPECT_EQ(error, row.m_strMessage);
  }
}

TEST_F(SerialSettingsTest, TheSettingsWindowShowsEachRowAndTakesOnlyWhatTheLineCanUse) {
  CTVRSerialSettings settings;
  std::vector<CTVRBoardSetting> shown;
  settings.Describe(shown, {"/dev/ttyS0", "/dev/ttyUSB1"});
  ASSERT_EQ(shown.size(), 5u);
  EXPECT_EQ(shown[0].m_strName, "Port");
  EXPECT_EQ(shown[0].m_eKind, CTVRBoardSetting::SETTING_TEXT);
  EXPECT_EQ(shown[0].m_strValue, "/dev/ttyUSB0");
  EXPECT_EQ(shown[0].m_strHint, "Ports found now: /dev/ttyS0, /dev/ttyUSB1.");
  EXPECT_EQ(shown[1].m_strLabel, "Speed (bit/s)");
  EXPECT_EQ(shown[1].m_eKind, CTVRBoardSetting::SETTING_NUMBER);
  EXPECT_EQ(shown[1].m_nMin, 1);
  EXPECT_EQ(shown[1].m_nMax, 4000000);
  EXPECT_EQ(shown[2].m_eKind, CTVRBoardSetting::SETTING_CHOICE);
  EXPECT_EQ(shown[2].m_Choices, (std::vector<std::string>{"none", "even", "odd"}));
  EXPECT_EQ(shown[3].m_strName, "FlowControl");
  EXPECT_EQ(shown[3].m_Choices, (std::vector<std::string>{"none", "hardware", "software"}));
  EXPECT_EQ(shown[4].m_nMax, 10000);

  std::vector<CTVRBoardSetting> none;
  settings.Describe(none, {});
  EXPECT_EQ(none[0].m_strHint, "No serial port is found now.");

  std::string error;
  EXPECT_TRUE(settings.Take("Parity", "odd", error));
  EXPECT_EQ(settings.Get(CTVRSerialSettings::SET_PARITY), "odd");
  EXPECT_FALSE(settings.Take("Speed", "0", error));
  EXPECT_EQ(error, "Serial: the speed \"0\" is not valid (a whole number from 1 to 4000000)");
  EXPECT_EQ(settings.Get(CTVRSerialSettings::SET_SPEED), "115200");
  EXPECT_FALSE(settings.Take("Baud", "9600", error));
  EXPECT_EQ(error, "Serial: no setting \"Baud\"");
}

}  // namespace
