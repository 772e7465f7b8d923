// The "Card Parameters" bar: the answer to reset of the slot shown, decoded
// field by field, and the reader's mask, following the host's card slots.
#include <QHeaderView>
#include <QTreeWidget>

#include "shell/card_params_bar.h"
#include "shell_fixture.h"

namespace {

class CardParamsBarTest : public CTVRShellFixture {
 protected:
  // The slots are the host's, kept from test to test: each starts empty.
  void SetUp() override { Slots() = CTVRCardSlots(); }
  void TearDown() override {
    CTVRShellFixture::TearDown();
    Slots() = CTVRCardSlots();
  }
  CTVRCardSlots& Slots() { return m_Context.Host().GetCardSlots(); }

  // The tree as text: every root item, its children indented by ">".
  QStringList Shown() {
    QStringList lines;
    QTreeWidget* pTree = Frame().GetCardParamsBar()->GetTree();
    for (int i = 0; i < pTree->topLevelItemCount(); ++i) {
      QTreeWidgetItem* pItem = pTree->topLevelItem(i);
      lines << pItem->text(0);
      for (int c = 0; c < pItem->childCount(); ++c) lines << QStringLiteral(">") + pItem->child(c)->text(0);
    }
    return lines;
  }
};

TEST_F(CardParamsBarTest, TheBarFollowsTheSlotsAsTheyChange) {
  Frame();
  const tvr::BYTE inverse[] = {0x3F, 0x24, 0x25, 0xA1, 0xB2, 0xC3, 0xD4};  // inverse convention, TB1 = 0x25
  const tvr::BYTE direct[] = {0x3B, 0x02, 0x14, 0x50};
  const tvr::BYTE mask[] = {'M', '2', '1', '0', 0, 'x'};
  Slots().SetAtr(inverse, sizeof inverse, 1);
  Slots().SetAtr(direct, sizeof direct, 3);
  Slots().SetMask(mask, sizeof mask, 2);
  // The mask is the reader's: every slot shows it, up to its zero byte.
  EXPECT_EQ(Shown(),
            (QStringList{" ATR :", ">TS  - 0x3B", ">         Direct Conv.", ">T0   - 0x02",
                         ">         Nbr of histo bytes : 0x02", ">Histo bytes : = 0x14 0x50 ", " Mask : M210"}));
  Slots().ShowSlot(1);
  EXPECT_TRUE(Frame().GetCardParamsBar()->GetTree()->topLevelItem(0)->isExpanded());
  EXPECT_EQ(Shown(),
            (QStringList{" ATR :", ">TS  - 0x3F", ">         Inverse Conv.", ">T0   - 0x24",
                         ">         Nbr of histo bytes : 0x04", ">TB1 - 0x25", ">         Max prog current : II = 0x01",
                         ">         Prog voltage : PI1 = 0x05", ">Histo bytes : = 0xA1 0xB2 0xC3 0xD4 ",
                         ">" + QString(23, QLatin1Char(' ')), " Mask : M210"}));
  // Its longest line shows whole in the bar as the window opens it.
  QApplication::processEvents();
  QTreeWidget* pTree = Frame().GetCardParamsBar()->GetTree();
  EXPECT_LE(pTree->header()->sectionSize(0), pTree->viewport()->width());
  Slots().ClearAtr(1);
  EXPECT_EQ(Shown(), (QStringList{" ATR :", ">no data", " Mask : M210"}));
  // A bar made now shows what the slots hold.
  m_pFrame.reset();
  EXPECT_EQ(Shown(), (QStringList{" ATR :", ">no data", " Mask : M210"}));
  // A slot past the sixth changes nothing.
  Slots().SetAtr(direct, sizeof direct, 6);
  EXPECT_EQ(Shown(), (QStringList{" ATR :", ">no data", " Mask : M210"}));
}

}  // namespace
