// The PC/SC layout through the PC/SC protocol and the simulated reader, where
// a script cannot go (the runs of scripts, the reader's own error texts among
// them, are the golden example pcsc and the scenario cases pcsc_*).
#include <string>
#include <vector>

#include <tavric/messages.h>

#include "document/board_doc_private.h"
#include "pcsc_protocol.h"
#include "protocol_run_fixture.h"

namespace {

class PcscRun : public CTVRProtocolRunFixture {
 protected:
  void SetUp() override { Open(m_Protocol); }
  CTVRPcscProtocol m_Protocol;
};

TEST_F(PcscRun, TheAnswerToAnEscapeCommandHasNoDecodedText) {
  CTVRBoardDocPrivate::Of(*m_pDoc).SetEscapeAnswerExpected(TRUE);
  Run({"FF 10 00 00;", "FF 10 00 00;"});
  // The first answer clears the flag: only the second is decoded.
  EXPECT_EQ(Texts(), (std::vector<std::string>{"PC -> IFD : READER : POWER UP CARD",
                                               "PC -> IFD : READER : POWER UP CARD", "IFD -> PC : ATR"}));
  EXPECT_FALSE(CTVRBoardDocPrivate::Of(*m_pDoc).IsEscapeAnswerExpected());
}

TEST_F(PcscRun, AOneOffCommandGoesOutAsItsBytes) {
  // An UPDATE BINARY of 64 bytes: longer than a short frame, it is framed
  // again into a buffer of exactly its size.
  std::vector<BYTE> update{0x00, 0xD6, 0x00, 0x00, 0x40};
  update.resize(5 + 0x40, 0x5A);
  SendMessage(GetActiveBoard(), WM_COMMAND_TYPE, 1, 0);
  SendMessage(GetActiveBoard(), WM_SEND_COMMAND, WPARAM(update.data()), LPARAM(update.size()));
  RunQueue();
  EXPECT_EQ(tvr_test::TraceTexts(*m_pDoc, TRACE_SENT, m_nFirstRecord),
            std::vector<std::string>{std::string(update.begin(), update.end())});
}

}  // namespace
