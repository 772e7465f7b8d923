// The generic layout through the Verta protocol and the simulated reader: the
// card rules that only this layout has.
#include <string>
#include <vector>

#include "document/board_doc_private.h"
#include "protocol_run_fixture.h"
#include "verta_protocol.h"

namespace {

using Bytes = std::vector<BYTE>;

class GenericRun : public CTVRProtocolRunFixture {
 protected:
  void SetUp() override { Open(m_Protocol); }
  CTVRVertaProtocol m_Protocol;
};

TEST_F(GenericRun, AFailedCardSelectionIsUndoneAndItsSlotShown) {
  Run({"20 03;", "20 07;"});
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{"PC -> IFD : SELECT CARD 3", "IFD -> PC : SELECT CARD 3 EXECUTED",
                                      "PC -> IFD : SELECT CARD", "IFD -> PC : ERROR 0x10 : WRONG CARD NUMBER"}));
  EXPECT_EQ(m_Protocol.GetSelectCard(), 3);
  EXPECT_EQ(Slots().GetShownSlot(), 2);
}

TEST_F(GenericRun, AnswersToResetReachTheirSlotOutsideLoopModeAndARemovalClearsIt) {
  Run({"20 04;", "10;"});
  EXPECT_EQ(Slots().GetAtr(3), (Bytes{0x3F, 0x65, 0x25, 0x00, 0x54, 0x56, 0x52, 0x2D, 0x34}));
  Run({".escape(2,04);"});
  EXPECT_FALSE(Slots().HasAtr(3));
  EXPECT_EQ(m_Prompts.m_Beeps, std::vector<UINT>{0});

  CTVRBoardDocPrivate::Of(*m_pDoc).SetLoopMode(TRUE);
  CTVRBoardDocPrivate::Of(*m_pDoc).SetStepMode(TRUE);
  CTVRBoardDocPrivate::Of(*m_pDoc).SetScriptLines({"20 03;", "10;"});
  CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStep();
  RunQueue();
  CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStep();
  RunQueue();
  EXPECT_EQ(Texts().back(), "IFD -> PC : RESET CARD EXECUTED");
  EXPECT_FALSE(Slots().HasAtr(2));
}

}  // namespace
