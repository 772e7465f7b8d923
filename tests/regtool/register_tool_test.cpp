// The register tool without its dialog: what a row shows after edits and
// named values, what Read and Write send to a test board, and how the answer
// hook puts the reader's answer in a row (the rows by access, bit toggles,
// sub-registers and the sequence button: the dialog's test).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QDir>

#include <tavric/messages.h>

#include "doc_fixture.h"
#include "document/board_doc_private.h"
#include "regtool/register_tool.h"
#include "temp_folder.h"

namespace {

using Bytes = std::vector<BYTE>;
using Strings = std::vector<std::string>;

std::string Crlf(const Strings& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

class RegisterTool : public CTVRDocFixture {
 protected:
  void SetUp() override {
    CTVRDocFixture::SetUp();
    CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = SCRIPT_RAWDATA;
    CTVRBoardDocPrivate::Of(*m_pDoc).SetLastRegSetting("Test");
    QDir().mkpath(QString::fromStdString(m_Folder.PathOf("RegPar")));
    m_Folder.Write("RegPar/List.par", Crlf({"[GENERAL]", "Other:RegPar/none.par;", "Test:RegPar/test.par;"}));
  }

  // The tool goes before its document.
  void TearDown() override {
    m_pTool.reset();
    CTVRDocFixture::TearDown();
  }

  // A parameter file of these register lines and a value table for the bit
  // fields of register 1 (bits 2-3) and register 3 (bits 0-5).
  void Open(const Strings& registers) {
    Strings lines{"[GENERAL]", "NBROFREGISTERS=" + std::to_string(registers.size()) + ";", "[END_GENERAL]",
                  "[REGISTERS]"};
    lines.insert(lines.end(), registers.begin(), registers.end());
    lines.insert(lines.end(), {"[END_REGISTERS]", "[REGISTER_MAPPING]", "Mode:1,1,2,3,2;", "Mask:3,2,0,5,2;",
                               "[END_REGISTER_MAPPING]", "[MAPPING1]", "0:Slow (01)b;", "1:Fast (10)b;",
                               "[END_MAPPING1]", "[MAPPING2]", "A:All (3F)h;", "B:Bad (3G)b;", "[END_MAPPING2]"});
    m_Folder.Write("RegPar/test.par", Crlf(lines));
    m_pTool = std::make_unique<CRegisterTool>(*m_pDoc);
    ASSERT_EQ(m_pTool->Open(m_Folder.Path()), 1);
  }

  static std::string Reg(const std::string& name, int number, const std::string& access, const std::string& initial,
                         const std::string& read, const std::string& write, int mappings = 0) {
    return name + ",b0,b1,b2,b3,b4,b5,b6,b7:" + std::to_string(number) + "," + access + "," + initial + ",-1," +
           std::to_string(mappings) + "," + read + ",2," + write + ";";
  }

  std::string Bits(int row) const {
    std::string bits;
    for (int bit = 7; bit >= 0; --bit) bits += char('0' + m_pTool->GetRow(row).m_BitState[bit]);
    return bits;
  }

  tvr_test::CTempFolder m_Folder;
  std::unique_ptr<CRegisterTool> m_pTool;
};

TEST_F(RegisterTool, OpensTheLastFileUsedWhoseHexFieldsKeepTwoUpperCaseDigits) {
  Open({Reg("CTRL", 1, "rw", "A5", "0101", "0201XX", 1), Reg("STAT", 2, "r", "1g", "0102", "-")});
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetRegisterDialog(), m_pTool.get());
  ASSERT_EQ(m_pTool->GetRowCount(), 2);
  EXPECT_EQ(m_pTool->GetRow(1).m_strHexText, "1");  // "1g": one digit, no value yet
  EXPECT_EQ(Bits(1), "00000000");
  const struct {
    const char* typed;
    const char* shown;
    const char* bits;
  } edits[] = {
      {"", "A5", "10100101"},   // as opened
      {"1a", "1", "10100101"},  // a lower-case second digit goes, the value stays
      {"a", "", "10100101"},    // a lower-case first character empties the field
      {"7", "7", "10100101"},  {"7F", "7F", "01111111"}, {"ABC", "AB", "10101011"},  // at most two characters
      {"G1", "", "10101011"},
  };
  for (const auto& edit : edits) {
    SCOPED_TRACE(edit.typed);
    if (*edit.typed != '\0') m_pTool->SetHexText(0, edit.typed);
    EXPECT_EQ(m_pTool->GetRow(0).m_strHexText, edit.shown);
    EXPECT_EQ(Bits(0), edit.bits);
  }

  m_pTool->SelectParamFile(0);  // a file that is not there: the rows stay
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetLastRegSetting(), "Other");
  EXPECT_EQ(m_pTool->GetRowCount(), 2);
  EXPECT_EQ(m_Prompts.m_Messages, Strings{"No such file or directory"});
  m_pTool.reset();
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetRegisterDialog(), nullptr);
}

TEST_F(RegisterTool, BitsToggleAndNamedValuesApplyToWritableRegistersOnly) {
  Open({Reg("CTRL", 1, "w", "01", "0101", "0201XX", 1), Reg("STAT", 2, "r", "01", "0102", "-", 1),
        Reg("MASK", 3, "rw", "07", "0103", "0203XX", 1)});
  // Toggles and the popup through the dialog: RegisterDlg.EditsTogglesAndNamedValues.
  CRegisterTool::CPopup popup;
  EXPECT_FALSE(m_pTool->GetPopup(1, 2, popup));  // read-only
  struct CApply {
    int row;
    const char* item;
    BYTE low, high;
    BOOL closes;
    const char* shown;
  };
  const CApply applied[] = {
      {2, "1:Fast (10)b", 2, 3, TRUE, "0B"},  // 07: bit 3 set, bit 2 cleared, the others kept
      {2, "No change", 0, 5, TRUE, "0B"},    {2, "A:All (3F)h", 0, 5, TRUE, "3F"},
      {2, "B:Bad (3G)b", 0, 5, FALSE, "3F"},  // a binary part with another digit
      {2, "C:None", 0, 5, FALSE, "3F"},      {2, "D:Both (1)h (1)b", 0, 5, FALSE, "3F"},
      {0, "0:Slow (01)b", 2, 3, TRUE, "05"},  // 01 with bits 3-2 = 01
  };
  m_Prompts.m_Messages.clear();
  for (const CApply& a : applied) {
    SCOPED_TRACE(a.item);
    EXPECT_EQ(m_pTool->ApplyValue(a.row, a.item, a.low, a.high), a.closes);
    EXPECT_EQ(m_pTool->GetRow(a.row).m_strHexText, a.shown);
  }
  EXPECT_EQ(m_Prompts.m_Messages, Strings(3, "Mapping syntax error in the '*.par' file!"));
}

TEST_F(RegisterTool, CommandsGoOutAsFramesOrConfigurationCalls) {
  Open({Reg("RAW", 1, "rw", "7F", "01 0x", "01 02 XX"),
        Reg("CFG", 2, "rw", "7F", ".config(123, 4567, 1)", ".config(51,10,XX)"),
        Reg("BAD", 3, "rw", "7F", "0103", ".config(51,XX"), Reg("NOXX", 4, "rw", "7F", "0104", "0102"),
        Reg("ODD", 5, "rw", "7x", "0105", "05XX")});
  m_pDoc->SetResponder(nullptr);
  m_pTool->OnWriteRegister(0);
  m_pTool->OnReadRegister(0);
  EXPECT_EQ(m_pDoc->m_Sent, (std::vector<Bytes>{{0x01, 0x02, 0x7F}, {0x01, 0x00}}));
  EXPECT_EQ(m_pDoc->m_SentCommandKinds, (std::vector<DWORD>{1, 1}));

  m_pTool->OnWriteRegister(1);
  m_pTool->OnReadRegister(1);
  ASSERT_EQ(m_pDoc->m_Configs.size(), 2u);
  EXPECT_EQ(std::vector<int>({m_pDoc->m_Configs[0].code, m_pDoc->m_Configs[0].code1}), std::vector<int>({0x51, 0x10}));
  EXPECT_EQ(m_pDoc->m_Configs[0].data, Bytes{0x7F});
  // Codes longer than two digits are said so and go out all the same.
  EXPECT_EQ(std::vector<int>({m_pDoc->m_Configs[1].code, m_pDoc->m_Configs[1].code1}), std::vector<int>({0x23, 0x67}));
  EXPECT_EQ(m_pDoc->m_Configs[1].data, Bytes{});  // an odd last digit is no byte
  EXPECT_EQ(m_Prompts.m_Messages, (Strings{"Error : Size of Code > FF !", "Error : Size of Code1 > FF !"}));

  m_Prompts.m_Messages.clear();
  m_pTool->OnWriteRegister(2);
  m_pTool->OnWriteRegister(3);
  m_pTool->OnWriteRegister(4);  // one digit in the field: refused with a beep
  EXPECT_EQ(m_Prompts.m_Messages,
            (Strings{".config(code) syntax error !\n.config(code, Buffer) syntax error !\n.config(code, code1, Buffer) "
                     "syntax error ! (see the documentation)",
                     "Syntax error in the '*.par' file!"}));
  EXPECT_EQ(m_Prompts.m_Beeps.size(), 1u);
  EXPECT_EQ(m_pDoc->m_Sent.size(), 2u);
  EXPECT_EQ(m_pDoc->m_Configs.size(), 2u);
}

TEST_F(RegisterTool, AnswersReachTheAwaitedRowBeforeTheDecoder) {
  Open({Reg("A", 1, "rw", "00", "0101", "0201XX"), Reg("B", 2, "rw", "00", "0102", "0202XX")});
  m_pDoc->SetResponder([](const BYTE*, DWORD) { return std::vector<Bytes>{{0x60, 0x01, 0x5A, 0x00}}; });
  m_pTool->OnReadRegister(1);
  EXPECT_TRUE(m_pTool->IsWaitingAnswer());
  ASSERT_TRUE(RunQueue());
  EXPECT_FALSE(m_pTool->IsWaitingAnswer());
  EXPECT_EQ(m_pTool->GetRow(0).m_strHexText, "00");
  EXPECT_EQ(m_pTool->GetRow(1).m_strHexText, "5A");  // byte 2, the answer index
  EXPECT_EQ(Bits(1), "01011010");

  // A write waits for nothing: its answer leaves the rows alone.
  m_pTool->SetHexText(0, "11");
  m_pTool->OnWriteRegister(0);
  ASSERT_TRUE(RunQueue());
  EXPECT_EQ(m_pTool->GetRow(0).m_strHexText, "11");

  // After an error answer (XX, the bits 0 and a beep: the dialog's sequence
  // test), the next edit only clears it.
  m_pDoc->SetResponder([](const BYTE*, DWORD) { return std::vector<Bytes>{{0xE0, 0x01, 0x22}}; });
  m_pTool->OnReadRegister(1);
  ASSERT_TRUE(RunQueue());
  m_pTool->SetHexText(1, "33");
  EXPECT_EQ(Bits(1), "00000000");
  m_pTool->SetHexText(1, "34");
  EXPECT_EQ(Bits(1), "00110100");

  // An answer too short for the answer index changes nothing.
  m_pDoc->SetResponder([](const BYTE*, DWORD) { return std::vector<Bytes>{{0x60, 0x01}}; });
  m_pTool->OnReadRegister(1);
  ASSERT_TRUE(RunQueue());
  EXPECT_EQ(m_pTool->GetRow(1).m_strHexText, "34");
}

}  // namespace
