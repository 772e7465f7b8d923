// The board settings window's logic over a test board that describes a
// choice, a number and a text: a stored choice missing from the list, what
// OK hands to the board, what a bad number or a refused value says. The
// caption, the values shown, Cancel and the Settings command are checked
// through the window (tests/shell, BoardSettingsBoxTest).
#include <tavric/board_doc.h>

#include "doc_fixture.h"
#include "document/board_settings_dlg.h"
#include "serial_settings_example.h"

namespace {

class BoardSettings : public CTVRDocFixture {
 protected:
  void SetUp() override {
    CTVRDocFixture::SetUp();
    Describe();
  }

  void Describe() {
    m_pDoc->m_SettingCalls.clear();
    m_pDoc->m_Settings = tvr_test::SerialSettingsExample();
  }
};

TEST_F(BoardSettings, AStoredChoiceMissingFromTheListComesFirst) {
  m_pDoc->m_Settings[0].m_strValue = "/dev/ttyACM3";  // the adapter is unplugged now
  CTVRBoardSettingsDlg dlg(*m_pDoc);
  dlg.Open();
  ASSERT_EQ(dlg.GetSettings().size(), 3u);
  EXPECT_EQ(dlg.GetSettings()[0].m_Choices,
            (std::vector<std::string>{"/dev/ttyACM3", "/dev/ttyUSB0", "/dev/ttyS0", "/dev/ttyACM0"}));
  EXPECT_EQ(dlg.GetValue(0), "/dev/ttyACM3");
}

TEST_F(BoardSettings, OkHandsTheChangedValuesToTheBoardOrSaysWhyNot) {
  const std::string kBadSpeed = "Speed (bit/s) must be a whole number from 50 to 4000000.";
  struct CCase {
    const char* name;
    std::vector<std::string> values;  // port, speed, note
    bool closes;
    std::vector<std::string> calls;
    std::vector<std::string> messages;
  };
  std::vector<CCase> cases = {
      {"unchanged", {"/dev/ttyS0", "9600", "bench 2"}, true, {}, {}},
      {"changed", {"/dev/ttyUSB0", "115200", "bench 2"}, true, {"Port=/dev/ttyUSB0", "Speed=115200"}, {}},
      {"number written loosely", {"/dev/ttyS0", " 0019200 ", "bench 2"}, true, {"Speed=19200"}, {}},
      {"bounds", {"/dev/ttyS0", "50", "bench 2"}, true, {"Speed=50"}, {}},
      {"too small", {"/dev/ttyUSB0", "49", "x"}, false, {"Port=/dev/ttyUSB0"}, {kBadSpeed}},
      {"refused", {"/dev/ttyS0", "9600", "refused"}, false, {"Note=refused"}, {"Note cannot be set to \"refused\"."}},
      {"empty text", {"/dev/ttyS0", "9600", ""}, true, {"Note="}, {}},
  };
  // Refused as numbers: out of range, not digits, empty, a zero byte inside, beyond 64 bits.
  for (const std::string& speed : {std::string("4000001"), std::string("96OO"), std::string(),
                                   std::string("9600\0007", 6), std::string("99999999999999999999")})
    cases.push_back({"not a speed", {"/dev/ttyS0", speed, "x"}, false, {}, {kBadSpeed}});
  for (const CCase& c : cases) {
    Describe();
    m_Prompts.m_Messages.clear();
    CTVRBoardSettingsDlg dlg(*m_pDoc);
    dlg.Open();
    for (std::size_t i = 0; i < c.values.size(); ++i) dlg.SetValue(i, c.values[i]);
    dlg.SetValue(9, "ignored");
    EXPECT_EQ(dlg.OnOK() != FALSE, c.closes) << c.name;
    EXPECT_EQ(m_pDoc->m_SettingCalls, c.calls) << c.name;
    EXPECT_EQ(m_Prompts.m_Messages, c.messages) << c.name;
  }
}

}  // namespace
