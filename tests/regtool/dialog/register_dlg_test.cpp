// The register dialog offscreen, driven with keys and mouse clicks, against
// the simulated reader: rows in two columns, the hex field, bit toggles, the
// named-value popup, sub-registers, the sequence button and error answers.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "document/board_doc_private.h"
#include "shell/bit_field_popup.h"
#include "shell/register_dlg.h"
#include "shell/register_row.h"
#include "sim_reader_fixture.h"

namespace {

class RegisterDlg : public CSimReaderFixture {
 protected:
  void OpenTool() override {
    m_pDlg = std::make_unique<CRegisterDlg>(*m_pDoc, nullptr, TAVRIC_SOURCE_DATA_DIR);
    m_pDlg->show();
  }
  void TearDown() override {
    m_pDlg.reset();
    CSimReaderFixture::TearDown();
  }
  CRegisterRow& Row(int row) { return *m_pDlg->GetRows().at(std::size_t(row)); }
  std::string HexShown(int row) { return Row(row).GetHexEdit()->text().toStdString(); }
  std::string BitsShown(int row) {
    std::string bits;
    for (int bit = 7; bit >= 0; --bit) bits += Row(row).GetBitValue(bit)->text().toStdString();
    return bits;
  }

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
  EXPECT_EQ(HexShown(CHIP_ID), "56");
  EXPECT_EQ(BitsShown(CHIP_ID), "01010110");
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
  QLineEdit* hex = Row(BUZZER).GetHexEdit();
  hex->clear();
  QTest::keyClicks(hex, "1a");
  EXPECT_EQ(HexShown(BUZZER), "1");
  QTest::keyClicks(hex, "0");
  EXPECT_EQ(HexShown(BUZZER), "10");
  EXPECT_EQ(BitsShown(BUZZER), "00010000");
  QTest::keyClicks(hex, "F");
  EXPECT_EQ(HexShown(BUZZER), "10");  // two characters at most

  // Bit 7 of 01 toggled: 81. A read-only register ignores it.
  QTest::mouseDClick(Row(LED).GetBitValue(7), Qt::LeftButton);
  EXPECT_EQ(HexShown(LED), "81");
  EXPECT_EQ(BitsShown(LED), "10000001");
  QTest::mouseDClick(Row(CHIP_ID).GetBitLabel(0), Qt::LeftButton);
  EXPECT_EQ(HexShown(CHIP_ID), "56");

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

  // Written: only the bank it selects is shown, and it reads bank 2.
  QTest::mouseClick(Row(BANK_SELECT).GetWriteButton(), Qt::LeftButton);
  RunQueue();
  EXPECT_EQ(std::vector<bool>({Row(CLOCK_DIVIDER).isHidden(), Row(GUARD_TIME).isHidden(), Row(RETRY_COUNT).isHidden(),
                               Row(SPARE).isHidden()}),
            std::vector<bool>({true, true, false, true}));
  QTest::mouseClick(Row(RETRY_COUNT).GetReadButton(), Qt::LeftButton);
  RunQueue();
  EXPECT_EQ(HexShown(RETRY_COUNT), "03");
}

TEST_F(RegisterDlg, TheSequenceButtonReadsAndErrorsShowXX) {
  Row(LED).GetHexEdit()->clear();
  QTest::mouseClick(m_pDlg->GetSequenceButton(), Qt::LeftButton);
  EXPECT_EQ(m_pDlg->GetSequenceButton()->text(), "&Read the 'BUZZER' register");
  RunQueue();
  EXPECT_EQ(HexShown(LED), "01");
  EXPECT_EQ(BitsShown(LED), "00000001");

  // The file of raw commands in a raw-data document: an error answer.
  CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = SCRIPT_RAWDATA;
  m_pDlg->GetComboBox()->setCurrentIndex(1);
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetLastRegSetting(), "SimulatedReaderCommands");
  ASSERT_EQ(m_pDlg->GetRows().size(), 4u);
  QTest::mouseClick(Row(0).GetReadButton(), Qt::LeftButton);
  RunQueue();
  EXPECT_EQ(HexShown(0), "XX");
  EXPECT_EQ(BitsShown(0), "00000000");
  EXPECT_FALSE(m_Prompts.m_Beeps.empty());
}

}  // namespace
