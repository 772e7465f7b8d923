// The register tool against the simulated reader: the shipped register files,
// the Verta protocol and the reader's firmware.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/board_doc_private.h"
#include "sim_reader_fixture.h"

namespace {

using Strings = std::vector<std::string>;

using RegisterToolSim = CSimReaderFixture;

TEST_F(RegisterToolSim, TheSequenceReadsEveryReadableRegister) {
  ASSERT_EQ(m_pTool->GetRowCount(), 16);
  // Cleared first, so that every value shown below comes from the reader.
  for (int row = 0; row < 16; ++row) m_pTool->SetHexText(row, "00");
  Strings texts;
  do {
    m_pTool->OnReadNext();
    RunQueue();
    texts.push_back(m_pTool->GetSequenceText());
  } while (texts.back() != "&Read the first register" && texts.size() < 20);
  EXPECT_EQ(texts.size(), 15u);  // every register but POWER_OFF
  EXPECT_EQ(texts[0], "&Read the 'BUZZER' register");
  EXPECT_EQ(texts[2], "&Read the 'BANK_SELECT' register");  // write-only POWER_OFF skipped
  EXPECT_EQ(Received(), 15u);

  Strings shown;
  for (int row = 0; row < 16; ++row) shown.push_back(Hex(row));
  // Slots 1, 3, 4 and 5 hold cards (1D); the bank registers all read bank 0.
  EXPECT_EQ(shown,
            (Strings{"01", "00", "3F", "00", "00", "04", "04", "04", "04", "56", "02", "04", "06", "1D", "00", "01"}));
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
}

TEST_F(RegisterToolSim, WritesReachTheFirmware) {
  // Read-write: the LED off, read back.
  m_pTool->SetHexText(LED, "00");
  m_pTool->OnWriteRegister(LED);
  RunQueue();
  EXPECT_EQ(Firmware().GetRegister(CTVRSimFirmware::REG_LED), 0x00);
  m_pTool->SetHexText(LED, "77");
  m_pTool->OnReadRegister(LED);
  RunQueue();
  EXPECT_EQ(Hex(LED), "00");

  // Write-only: bit 0 powers off the card of slot 1.
  m_pDoc->Config(0x10, 0xFF, nullptr, 0);  // RESET CARD powers it
  RunQueue();
  ASSERT_TRUE(Firmware().IsCardPowered(1));
  m_pTool->ToggleBit(POWER_OFF, 0);
  m_pTool->OnWriteRegister(POWER_OFF);
  RunQueue();
  EXPECT_FALSE(Firmware().IsCardPowered(1));

  // A named value picks bank 2; writing it shows that bank's row only, which
  // then reads and writes bank 2.
  CRegisterTool::CPopup popup;
  ASSERT_TRUE(m_pTool->GetPopup(BANK_SELECT, 1, popup));
  ASSERT_EQ(popup.m_Items.size(), 5u);
  EXPECT_EQ(popup.m_Items[3], "2:Retry count (10)b");
  ASSERT_TRUE(m_pTool->ApplyValue(BANK_SELECT, popup.m_Items[3], popup.m_byLowBit, popup.m_byHighBit));
  EXPECT_EQ(Hex(BANK_SELECT), "02");
  m_pTool->OnWriteRegister(BANK_SELECT);
  RunQueue();
  std::vector<bool> visible;
  for (int row = CLOCK_DIVIDER; row <= SPARE; ++row) visible.push_back(m_pTool->GetRow(row).m_bVisible);
  EXPECT_EQ(visible, std::vector<bool>({false, false, true, false}));
  m_pTool->OnReadRegister(RETRY_COUNT);
  RunQueue();
  EXPECT_EQ(Hex(RETRY_COUNT), "03");
  m_pTool->SetHexText(RETRY_COUNT, "05");
  m_pTool->OnWriteRegister(RETRY_COUNT);
  RunQueue();
  EXPECT_EQ(Firmware().GetRegister(CTVRSimFirmware::REG_BANK_DATA), 0x05);

  // A read-only register refuses a write with an error answer; a write awaits
  // no answer, so the row keeps its text.
  m_pTool->OnWriteRegister(CHIP_ID);
  RunQueue();
  EXPECT_EQ(Hex(CHIP_ID), "56");
  EXPECT_EQ(Firmware().GetRegister(CTVRSimFirmware::REG_CHIP_ID), 0x56);
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
}

TEST_F(RegisterToolSim, RawCommandsNeedTheCommandsScriptType) {
  ASSERT_TRUE(m_pTool->SelectParamFile(1));
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetLastRegSetting(), "SimulatedReaderCommands");
  ASSERT_EQ(m_pTool->GetRowCount(), 4);
  // In a raw-data document "50 10" goes out as it is: too short a frame, an
  // error answer.
  CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = SCRIPT_RAWDATA;
  m_pTool->OnReadRegister(0);
  RunQueue();
  EXPECT_EQ(Hex(0), "XX");
  EXPECT_FALSE(m_pDoc->IsRunning());

  CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = SCRIPT_COMMANDS;
  m_pTool->SetHexText(1, "05");
  m_pTool->OnWriteRegister(1);
  RunQueue();
  EXPECT_EQ(Firmware().GetRegister(CTVRSimFirmware::REG_EVENT_MASK), 0x05);
  m_pTool->OnReadRegister(0);
  RunQueue();
  EXPECT_EQ(Hex(0), "01");
  EXPECT_EQ(m_pTool->GetRow(0).m_BitState[0], 1);
  EXPECT_FALSE(m_pDoc->IsRunning());
  // Each frame and each answer is in the trace.
  EXPECT_EQ(tvr_test::TraceTexts(*m_pDoc, TRACE_SENT).size(), 3u);
  EXPECT_EQ(Received(), 3u);
}

}  // namespace
