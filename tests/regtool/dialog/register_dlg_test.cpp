// The register dialog offscreen, driven with keys and mouse clicks, against
// the simulated reader's firmware: rows in two columns, the hex field, bit
// toggles, the named-value popup, sub-registers, reads and writes, the
// sequence button and error answers.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <tavric/trace_record.h>

#include "contract/host.h"
#include "document/board_doc_private.h"
#include "platform/dispatcher.h"
#include "platform/user_prompts.h"
#include "shell/bit_field_popup.h"
#include "shell/register_dlg.h"
#include "shell/register_row.h"
#include "sim_doc.h"
#include "test_context.h"
#include "trace_reader.h"
#include "verta_protocol.h"

namespace {

// A connected simulated reader with the Verta protocol, its register dialog
// opened on the shipped "SimulatedReader" file; answers come back through the
// named messages and the answer hook, as in the desktop program.
class RegisterDlg : public ::testing::Test {
 protected:
  // Rows of RegPar/SimReader.par.
  enum ERow { LED, BUZZER, EVENT_MASK, POWER_OFF, BANK_SELECT, CLOCK_DIVIDER, GUARD_TIME, RETRY_COUNT, SPARE, CHIP_ID };

  void SetUp() override {
    RunQueue();
    m_Protocol.GetCmdCode()->LoadPath(std::string(TAVRIC_SOURCE_DATA_DIR) + "/Command.txt");
    m_Protocol.GetErrorCode()->LoadPath(std::string(TAVRIC_SOURCE_DATA_DIR) + "/Error.txt");
    m_pDoc = std::make_unique<CTVRSimDoc>();
    CTVRBoardDocPrivate::Of(*m_pDoc).SetHostContext(&m_Context);
    m_pDoc->OnNewDocument();
    CTVRBoardDocPrivate::Of(*m_pDoc).m_pProtocol = &m_Protocol;
    m_Context.Host().SetActiveDocument(m_pDoc.get());
    CTVRBoardDocPrivate::Of(*m_pDoc).OnReaderConnect();
    ASSERT_TRUE(m_pDoc->IsConnected());
    RunQueue();
    CTVRBoardDocPrivate::Of(*m_pDoc).SetLastRegSetting("SimulatedReader");
    m_pDlg = std::make_unique<CRegisterDlg>(*m_pDoc, nullptr, TAVRIC_SOURCE_DATA_DIR);
    m_pDlg->show();
  }
  void TearDown() override {
    m_pDlg.reset();
    m_Context.Host().SetActiveDocument(nullptr);
    m_pDoc.reset();
    RunQueue();
  }
  static void RunQueue() { ASSERT_TRUE(CTVRDispatcher::GetInstalled()->RunUntilIdle(std::chrono::seconds(10))); }
  std::size_t Received() const { return tvr_test::TraceTexts(*m_pDoc, TRACE_RECEIVED).size(); }
  CTVRSimFirmware& Firmware() { return m_pDoc->GetFirmware(); }
  CRegisterRow& Row(int row) { return *m_pDlg->GetRows().at(std::size_t(row)); }
  std::string HexShown(int row) { return Row(row).GetHexEdit()->text().toStdString(); }
  std::string BitsShown(int row) {
    std::string bits;
    for (int bit = 7; bit >= 0; --bit) bits += Row(row).GetBitValue(bit)->text().toStdString();
    return bits;
  }

  CTVRTestContext m_Context;
  CTVRPromptRecorder m_Prompts{m_Context};
  CTVRVertaProtocol m_Protocol;
  std::unique_ptr<CTVRSimDoc> m_pDoc;
  std::unique_ptr<CRegisterDlg> m_pDlg;
};

TEST_F(RegisterDlg, ShowsTheRegistersInTwoColumns) {
  EXPECT_EQ(m_pDlg->windowTitle(), "Register Managment");
  EXPECT_EQ(m_pDlg->GetComboBox()->count(), 2);
  EXPECT_EQ(m_pDlg->GetComboBox()->currentText(), "SimulatedReader");
  EXPECT_EQ(m_pDlg->GetSequenceButton()->text(), "&Read the first register");
  ASSERT_EQ(m_pDlg->GetRows().size(), 16u);
  const int step = CRegisterRow::ROW_WIDTH + 5;
  EXPECT_EQ(Row(0).pos(), QPoint(5, 50));
  EXPECT_EQ(Row(1).pos(), QPoint(5 + step, 50));
  EXPECT_EQ(Row(2).pos(), QPoint(5, 50 + CRegisterRow::ROW_HEIGHT + 5));
  EXPECT_EQ(Row(LED).GetBitLabel(0)->text(), "Led");
  // The eight bit columns share the row evenly, long labels or "-".
  int narrowest = Row(POWER_OFF).width();
  int widest = 0;
  for (int bit = 0; bit < 8; ++bit) {
    narrowest = std::min(narrowest, Row(POWER_OFF).GetBitLabel(bit)->width());
    widest = std::max(widest, Row(POWER_OFF).GetBitLabel(bit)->width());
  }
  EXPECT_LE(widest - narrowest, 1);
  // The initial values and their bits shown: RegisterTool; a read: the sequence test.
  // Buttons by access.
  EXPECT_FALSE(Row(POWER_OFF).GetReadButton()->isEnabled());
  EXPECT_TRUE(Row(POWER_OFF).GetWriteButton()->isEnabled());
  EXPECT_TRUE(Row(CHIP_ID).GetReadButton()->isEnabled());
  EXPECT_FALSE(Row(CHIP_ID).GetWriteButton()->isEnabled());

  // Escape does not close the dialog; Close hides it.
  QTest::keyClick(m_pDlg.get(), Qt::Key_Escape);
  EXPECT_TRUE(m_pDlg->isVisible());
  QTest::mouseClick(m_pDlg->GetCloseButton(), Qt::LeftButton);
  EXPECT_FALSE(m_pDlg->isVisible());
}

TEST_F(RegisterDlg, EditsTogglesAndNamedValues) {
  // What the hex field keeps of what is typed: RegisterTool.OpensTheLastFileUsedWhoseHexFieldsKeepTwoUpperCaseDigits.
  // Bit 7 of 01 toggled: 81. A read-only register ignores it.
  QTest::mouseDClick(Row(LED).GetBitValue(7), Qt::LeftButton);
  EXPECT_EQ(HexShown(LED), "81");
  EXPECT_EQ(BitsShown(LED), "10000001");
  QTest::mouseDClick(Row(CHIP_ID).GetBitLabel(0), Qt::LeftButton);
  EXPECT_EQ(HexShown(CHIP_ID), "56");
  // A write reaching the firmware and a read: RETRY_COUNT below.
  // Write-only: bit 0 powers off the card of slot 1.
  m_pDoc->Config(0x10, 0xFF, nullptr, 0);  // RESET CARD powers it
  RunQueue();
  ASSERT_TRUE(Firmware().IsCardPowered(1));
  QTest::mouseDClick(Row(POWER_OFF).GetBitValue(0), Qt::LeftButton);
  QTest::mouseClick(Row(POWER_OFF).GetWriteButton(), Qt::LeftButton);
  RunQueue();
  EXPECT_FALSE(Firmware().IsCardPowered(1));

  // The bank registers are all shown until BANK_SELECT is read or written;
  // then only the one of the bank it holds (0 at the start).
  const auto hidden = [&] {
    return std::vector<bool>({Row(CLOCK_DIVIDER).isHidden(), Row(GUARD_TIME).isHidden(), Row(RETRY_COUNT).isHidden(),
                              Row(SPARE).isHidden()});
  };
  EXPECT_EQ(hidden(), std::vector<bool>({false, false, false, false}));
  QTest::mouseClick(Row(BANK_SELECT).GetReadButton(), Qt::LeftButton);
  RunQueue();
  EXPECT_EQ(hidden(), std::vector<bool>({false, true, true, true}));
  // Right click on bit 1 of BANK_SELECT: the bank names; double click on one.
  QTest::mouseClick(Row(BANK_SELECT).GetBitValue(1), Qt::RightButton);
  CBitFieldPopup* popup = Row(BANK_SELECT).GetPopup();
  ASSERT_NE(popup, nullptr);
  ASSERT_EQ(popup->count(), 5);
  EXPECT_EQ(popup->item(0)->text(), "No change");
  EXPECT_EQ(popup->item(3)->text(), "2:Retry count (10)b");
  emit popup->itemDoubleClicked(popup->item(3));
  QCoreApplication::processEvents();
  EXPECT_EQ(HexShown(BANK_SELECT), "02");
  EXPECT_EQ(Row(BANK_SELECT).GetPopup(), nullptr);
  // No field covers bit 5: no popup.
  QTest::mouseClick(Row(BANK_SELECT).GetBitValue(5), Qt::RightButton);
  EXPECT_EQ(Row(BANK_SELECT).GetPopup(), nullptr);

  EXPECT_EQ(hidden(), std::vector<bool>({false, true, true, true})) << "an edit alone changes nothing";
  // Written: only the bank it selects is shown, and it reads bank 2.
  QTest::mouseClick(Row(BANK_SELECT).GetWriteButton(), Qt::LeftButton);
  RunQueue();
  EXPECT_EQ(hidden(), std::vector<bool>({true, true, false, true}));
  QTest::mouseClick(Row(RETRY_COUNT).GetReadButton(), Qt::LeftButton);
  RunQueue();
  EXPECT_EQ(HexShown(RETRY_COUNT), "03");
  Row(RETRY_COUNT).GetHexEdit()->clear();
  QTest::keyClicks(Row(RETRY_COUNT).GetHexEdit(), "05");
  QTest::mouseClick(Row(RETRY_COUNT).GetWriteButton(), Qt::LeftButton);
  RunQueue();
  EXPECT_EQ(Firmware().GetRegister(CTVRSimFirmware::REG_BANK_DATA), 0x05);
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
}

// The sequence button reads every readable register in turn, write-only
// POWER_OFF skipped; the file of raw commands needs the commands script type:
// in a raw-data document "50 10" goes out as it is, too short a frame, and
// the error answer shows XX.
TEST_F(RegisterDlg, TheSequenceButtonReadsEveryReadableRegisterAndErrorsShowXX) {
  for (CRegisterRow* pRow : m_pDlg->GetRows()) pRow->GetHexEdit()->clear();
  std::vector<std::string> texts;
  do {
    QTest::mouseClick(m_pDlg->GetSequenceButton(), Qt::LeftButton);
    RunQueue();
    texts.push_back(m_pDlg->GetSequenceButton()->text().toStdString());
  } while (texts.back() != "&Read the first register" && texts.size() < 20);
  EXPECT_EQ(texts.size(), 15u);
  EXPECT_EQ(texts[0], "&Read the 'BUZZER' register");
  EXPECT_EQ(texts[2], "&Read the 'BANK_SELECT' register");
  EXPECT_EQ(Received(), 15u);
  std::string shown;
  for (int row = 0; row < 16; ++row) shown += HexShown(row) + " ";
  // Slots 1, 3, 4 and 5 hold cards (1D); the bank registers all read bank 0.
  EXPECT_EQ(shown, "01 00 3F  00 04 04 04 04 56 02 04 06 1D 00 01 ");
  EXPECT_EQ(BitsShown(LED), "00000001");
  EXPECT_TRUE(m_Prompts.m_Messages.empty());

  CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = SCRIPT_RAWDATA;
  m_pDlg->GetComboBox()->setCurrentIndex(1);
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetLastRegSetting(), "SimulatedReaderCommands");
  ASSERT_EQ(m_pDlg->GetRows().size(), 4u);
  QTest::mouseClick(Row(0).GetReadButton(), Qt::LeftButton);
  RunQueue();
  EXPECT_EQ(HexShown(0), "XX");
  EXPECT_EQ(BitsShown(0), "00000000");
  EXPECT_FALSE(m_Prompts.m_Beeps.empty());
  CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = SCRIPT_COMMANDS;
  Row(1).GetHexEdit()->clear();
  QTest::keyClicks(Row(1).GetHexEdit(), "05");
  QTest::mouseClick(Row(1).GetWriteButton(), Qt::LeftButton);
  RunQueue();
  EXPECT_EQ(Firmware().GetRegister(CTVRSimFirmware::REG_EVENT_MASK), 0x05);
  QTest::mouseClick(Row(0).GetReadButton(), Qt::LeftButton);
  RunQueue();
  EXPECT_EQ(HexShown(0), "01");
  EXPECT_EQ(BitsShown(0), "00000001");
  EXPECT_FALSE(m_pDoc->IsRunning());
  // Each frame of these commands and each answer is in the trace.
  EXPECT_EQ(tvr_test::TraceTexts(*m_pDoc, TRACE_SENT).size(), 3u);
  EXPECT_EQ(Received(), 15u + 3u);
}

}  // namespace
