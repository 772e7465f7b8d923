// The PC/SC layout through the PC/SC protocol and the simulated reader.
#include <string>
#include <vector>

#include <tavric/messages.h>

#include "document/board_doc_private.h"
#include "pcsc_protocol.h"
#include "protocol_run_fixture.h"

namespace {

using Bytes = std::vector<BYTE>;

class PcscRun : public CTVRProtocolRunFixture {
 protected:
  void SetUp() override { Open(m_Protocol); }
  CTVRPcscProtocol m_Protocol;
};

TEST_F(PcscRun, NamesApdusByClassAndInstructionAndCardResultsByStatusWord) {
  // A PC/SC script is raw data whatever the document's script type says.
  Run({"FF 0A 00 00;", "00 A4 00 0C 02 3F 00;", "FF 10 00 00;", "00 A4 00 00 02 2F 01;", "00 B0 00 00 40;",
       "00 A4 00 0C 02 12 34;", "00 CA 00 00 00;", "00 84 00 00 08;", "00 E2 00 00;", "FF 11 00 00;"},
      SCRIPT_APDU);
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType, SCRIPT_RAWDATA);
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "PC -> IFD : READER : GET MASK",
                         "IFD -> PC : VENDOR COMMAND : MASK",
                         "PC -> IFD : SELECT",
                         "IFD -> PC : UNPOWERED CARD : power the card up first (FF 10 00 00)",
                         "PC -> IFD : READER : POWER UP CARD",
                         "IFD -> PC : ATR",
                         "PC -> IFD : SELECT",
                         "IFD -> PC : MORE DATA AVAILABLE (SW2 BYTES FOR GET RESPONSE)",
                         "PC -> IFD : READ BINARY",
                         "IFD -> PC : WRONG LE FIELD (SW2 GIVES THE EXACT LENGTH)",
                         "PC -> IFD : SELECT",
                         "IFD -> PC : FILE OR APPLICATION NOT FOUND",
                         "PC -> IFD : GET DATA",
                         "IFD -> PC : INSTRUCTION CODE NOT SUPPORTED OR INVALID",
                         "PC -> IFD : GET CHALLENGE",
                         // 90 00 after 8 bytes: the status word is the answer's last two bytes.
                         "IFD -> PC : NORMAL PROCESSING",
                         // 00 E2 has no name in pcsccmd.txt.
                         "PC -> IFD : UNKNOWN COMMAND",
                         "IFD -> PC : INSTRUCTION CODE NOT SUPPORTED OR INVALID",
                         "PC -> IFD : READER : POWER DOWN CARD",
                     }));
  const std::vector<Bytes> received = Received();
  ASSERT_EQ(received.size(), 10u);
  // The trace shows the answers without their first two bytes; an E0 answer not at all.
  EXPECT_EQ(received[0], (Bytes{'V', 'R', 'T', '-', 'S', 'I', 'M', ' ', '2', '.', '0', '4'}));
  EXPECT_EQ(received[3], (Bytes{0x61, 0x0D}));
  EXPECT_EQ(received[9], Bytes{});
  // Every statement ended: the run went through to the end of the script.
  EXPECT_FALSE(m_pDoc->IsRunning());
  // The mask and the answer to reset reached the card slots (one card per reader: slot 1).
  EXPECT_EQ(Slots().GetMask(0), "VRT-SIM 2.04");
  EXPECT_EQ(Slots().GetAtr(0),
            (Bytes{0x3B, 0x7A, 0x96, 0x00, 0x00, 0x54, 0x56, 0x52, 0x2D, 0x49, 0x53, 0x4F, 0x2D, 0x30, 0x31}));
}

TEST_F(PcscRun, ReaderErrorsCarryTheirOwnText) {
  Run({"FF 10 00 00;", "00 A4 00 0C 02 3F 00;", "00 B0 00 00 00;"});
  // READ BINARY on the MF (a DF): 69 86 is named, nothing unknown yet.
  const std::vector<std::string> texts = Texts();
  ASSERT_EQ(texts.size(), 6u);
  EXPECT_EQ(texts[5], "IFD -> PC : COMMAND NOT ALLOWED (NO CURRENT EF)");

  // Slot 5 holds a mute card, slot 2 none: the reader's own texts.
  m_pDoc->GetFirmware().Run(0x20, {5});
  Run({"FF 10 00 00;"});
  m_pDoc->GetFirmware().Run(0x20, {2});
  std::vector<std::string> errors = Texts();
  Run({"FF 10 00 00;"});
  errors.push_back(Texts().back());
  EXPECT_EQ(errors, (std::vector<std::string>{"PC -> IFD : READER : POWER UP CARD",
                                              "IFD -> PC : UNRESPONSIVE CARD : the card does not answer the reset",
                                              "IFD -> PC : NO SMART CARD : the reader holds no card"}));
}

TEST_F(PcscRun, AnswerToResetInLoopModeIsTracedButDoesNotReachTheSlot) {
  CTVRBoardDocPrivate::Of(*m_pDoc).SetLoopMode(TRUE);
  CTVRBoardDocPrivate::Of(*m_pDoc).SetScriptLines({"FF 10 00 00;"});
  CTVRBoardDocPrivate::Of(*m_pDoc).SetStepMode(TRUE);
  CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStep();
  RunQueue();
  EXPECT_EQ(Texts().back(), "IFD -> PC : ATR");
  EXPECT_FALSE(Slots().HasAtr(0));
}

TEST_F(PcscRun, TheAnswerToAnEscapeCommandHasNoDecodedText) {
  CTVRBoardDocPrivate::Of(*m_pDoc).SetEscapeAnswerExpected(TRUE);
  Run({"FF 10 00 00;", "FF 10 00 00;"});
  // The first answer clears the flag: only the second is decoded.
  EXPECT_EQ(Texts(), (std::vector<std::string>{"PC -> IFD : READER : POWER UP CARD",
                                               "PC -> IFD : READER : POWER UP CARD", "IFD -> PC : ATR"}));
  EXPECT_FALSE(CTVRBoardDocPrivate::Of(*m_pDoc).IsEscapeAnswerExpected());
}

TEST_F(PcscRun, AOneOffCommandGoesOutAsItsBytes) {
  // Framed by the protocol into a buffer of exactly its size.
  BYTE mask[] = {0xFF, 0x0A, 0x00, 0x00};
  SendMessage(GetActiveBoard(), WM_COMMAND_TYPE, 1, 0);
  SendMessage(GetActiveBoard(), WM_SEND_COMMAND, WPARAM(mask), 4);
  RunQueue();
  EXPECT_EQ(Texts(), (std::vector<std::string>{"PC -> IFD : READER : GET MASK", "IFD -> PC : VENDOR COMMAND : MASK"}));
}

TEST_F(PcscRun, AGarbledCommandGetsTheReadersCommunicationError) {
  Run({".escape(4);", "FF 0A 00 00;"});
  EXPECT_EQ(Texts().back(), "IFD -> PC : COMMUNICATION ERROR");
}

}  // namespace
