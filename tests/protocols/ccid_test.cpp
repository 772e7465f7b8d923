// The message-code layout through the CCID protocol and the simulated reader.
#include <string>
#include <vector>

#include "ccid_protocol.h"
#include "document/board_doc_private.h"
#include "document/run_controller.h"
#include "protocol_run_fixture.h"

namespace {

using Bytes = std::vector<BYTE>;

class CcidRun : public CTVRProtocolRunFixture {
 protected:
  void SetUp() override { Open(m_Protocol); }
  CTVRCcidProtocol m_Protocol;
};

TEST_F(CcidRun, NamesMessagesErrorsAndTheCardsStatusWord) {
  Run({"65;", "6F 00 A4 00 0C 02 3F 00;", "62;", "6F 00 A4 00 00 02 2F 01;", "6F 00 CA 00 00 00;", "6C;", "6A;"});
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "PC -> IFD : GET SLOT STATUS",
                         "IFD -> PC : SLOT STATUS : CARD INACTIVE",
                         "PC -> IFD : XFR BLOCK",
                         "IFD -> PC : HW ERROR",
                         "PC -> IFD : ICC POWER ON",
                         "IFD -> PC : DATA BLOCK : ANSWER TO RESET",
                         "PC -> IFD : XFR BLOCK",
                         "IFD -> PC : DATA BLOCK : MORE DATA AVAILABLE",
                         "PC -> IFD : XFR BLOCK",
                         "IFD -> PC : DATA BLOCK : INSTRUCTION NOT SUPPORTED",
                         "PC -> IFD : GET PARAMETERS",
                         "IFD -> PC : PARAMETERS",
                         // A message type ccidcmd.txt does not name; the reader does not support it.
                         "PC -> IFD : UNKNOWN COMMAND",
                         "IFD -> PC : COMMAND NOT SUPPORTED",
                     }));
  // The board ended every statement: the run went to the end of the script.
  EXPECT_EQ(Received().size(), 7u);
  EXPECT_FALSE(m_pDoc->IsRunning());
}

TEST_F(CcidRun, ApduScriptsGoInDataBlocksToTheSelectedCardsSlot) {
  m_Protocol.SetSelectCard(3);
  Run({"62;"});
  Run({"00 A4 00 0C 02 3F 00;"}, SCRIPT_APDU);
  const std::vector<Bytes> received = Received();
  ASSERT_EQ(received.size(), 1u);
  // RDR_to_PC_DataBlock, 2 data bytes, slot 2 (the third), then 90 00.
  EXPECT_EQ(received[0], (Bytes{0x80, 0x02, 0, 0, 0, 0x02, 0x01, 0x00, 0x00, 0x00, 0x90, 0x00}));
  EXPECT_EQ(Texts().back(), "IFD -> PC : DATA BLOCK : NORMAL PROCESSING");
  m_Protocol.SetSelectCard(1);
}

TEST_F(CcidRun, ATimeExtensionIsTracedAndTheCommandWaitsForItsFinalAnswer) {
  Run({"62;"});
  Run({"00 84 00 00 08;", "00 C0 00 00 01;"}, SCRIPT_APDU);
  const std::vector<Bytes> received = Received();
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(received[0], (Bytes{0x80, 0, 0, 0, 0, 0, 0x01, 0x80, 0x01, 0x00}));  // sequence 1: the second message
  EXPECT_EQ(received[1].size(), 10u + 10u);                                      // eight challenge bytes and 90 00
  // The extension has no decoded text; the second statement was sent after the final answer.
  EXPECT_EQ(Texts(), (std::vector<std::string>{"PC -> IFD : XFR BLOCK", "IFD -> PC : DATA BLOCK : NORMAL PROCESSING",
                                               "PC -> IFD : XFR BLOCK",
                                               "IFD -> PC : DATA BLOCK : CONDITIONS OF USE NOT SATISFIED"}));
}

TEST_F(CcidRun, AnUnsolicitedSlotChangeIsTracedWithTraceOffAndTraceStaysOff) {
  CTVRBoardDocPrivate::Of(*m_pDoc).GetRunController().SetTraceOn(FALSE);
  m_pDoc->Escape(2, Bytes{1}.data(), 1);
  RunQueue();
  EXPECT_EQ(Texts().back(), "IFD -> PC : SLOT CHANGE");
  // Slots 3 and 4 hold a card, slot 1 changed: 0101 0000 0010, little-endian.
  EXPECT_EQ(Received().back(), (Bytes{0x50, 0x52, 0x01}));
  EXPECT_FALSE(m_pDoc->IsTraceOn());
}

TEST_F(CcidRun, RawDataStatementsEndOnTheirAnswerWithoutTheBoard) {
  Run({"65 00 00 00 00 00 07 00 00 00;", "65 00 00 00 00 06 08 00 00 00;"}, SCRIPT_RAWDATA);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"PC -> IFD : GET SLOT STATUS", "IFD -> PC : SLOT STATUS : CARD INACTIVE",
                                               "PC -> IFD : GET SLOT STATUS", "IFD -> PC : BAD SLOT"}));
  EXPECT_FALSE(m_pDoc->IsRunning());
}

}  // namespace
