// Toolbar customisation: resetting a bar (the Standard bar keeps its New and
// Open drop-downs), editing a bar's buttons, and the stored arrangement (kept
// over a restart: AppTest).
#include <QDataStream>
#include <QIODevice>
#include <QListWidget>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

#include "shell/customize_dlg.h"
#include "shell/tool_bar_edit_dlg.h"
#include "shell/tool_bar_store.h"
#include "shell_fixture.h"

namespace {

using ToolBarCustomizeTest = CTVRShellFixture;
using Buttons = std::vector<tvr::UINT>;

const Buttons kStandard = {57600, 32847, 57601, 57603, 0, 57635, 57634, 57637, 0, 57607};
const Buttons kScript = {33792, 33794, 33793, 33791, 33787, 33788, 0, 32831, 32849};

bool HasDropDown(CMainFrame& frame, tvr::UINT bar, tvr::UINT command) {
  auto* pButton = qobject_cast<QToolButton*>(frame.GetToolBar(bar)->widgetForAction(frame.GetAction(command)));
  return pButton != nullptr && pButton->menu() != nullptr && pButton->popupMode() == QToolButton::MenuButtonPopup;
}

// Runs the Customize dialog on the toolbar at `row` of its list; `act` works it.
void Customize(CMainFrame& frame, int row, std::function<void(CTVRCustomizeDlg*)> act) {
  OnNextModal<CTVRCustomizeDlg>([row, act](CTVRCustomizeDlg* pCustomize) {
    pCustomize->GetBarList()->setCurrentRow(row);
    act(pCustomize);
    pCustomize->close();
  });
  frame.OnCommand(32800);
}

// Only the Standard bar's New and Open have drop-downs, kept through edits and
// a reset from Customize; commands the program does not have are left out.
TEST_F(ToolBarCustomizeTest, ResettingAnEditedBarBringsBackItsButtonsAndTheStandardBarsDropDowns) {
  Frame().SetToolBarButtons(59392, {57603, 57601, 0});
  EXPECT_EQ(Frame().GetToolBarButtons(59392), (Buttons{57603, 57601, 0}));
  EXPECT_TRUE(HasDropDown(Frame(), 59392, 57601));
  Customize(Frame(), 0, [](CTVRCustomizeDlg* pDialog) {
    EXPECT_EQ(pDialog->GetBarList()->currentItem()->text(), QStringLiteral("Standard"));
    pDialog->GetResetButton()->click();
  });
  EXPECT_EQ(Frame().GetToolBarButtons(59392), kStandard);
  EXPECT_TRUE(HasDropDown(Frame(), 59392, 57600));
  EXPECT_TRUE(HasDropDown(Frame(), 59392, 57601));

  Frame().SetToolBarButtons(32818, {57600, 12345, 57601, 33792});
  EXPECT_EQ(Frame().GetToolBarButtons(32818), (Buttons{57600, 57601, 33792}));
  EXPECT_FALSE(HasDropDown(Frame(), 32818, 57600));
  EXPECT_FALSE(HasDropDown(Frame(), 32818, 57601));
}

// Customize's Edit opens the bar's editor; the bar takes its buttons on OK only.
TEST_F(ToolBarCustomizeTest, TheEditorRemovesAddsAndMovesButtonsAndTheBarTakesThemOnOkOnly) {
  for (QDialog::DialogCode answer : {QDialog::Rejected, QDialog::Accepted}) {
    Customize(Frame(), 1, [answer](CTVRCustomizeDlg* pDialog) {
      OnNextModal<CTVRToolBarEditDlg>([answer](CTVRToolBarEditDlg* pEdit) {
        EXPECT_EQ(pEdit->windowTitle(), QStringLiteral("Edit Toolbar - Script"));
        QListWidget* pButtons = pEdit->GetButtonList();
        QListWidget* pCommands = pEdit->GetCommandList();
        EXPECT_EQ(pButtons->item(0)->text(), QStringLiteral("Start"));
        EXPECT_EQ(pButtons->item(6)->text(), QString::fromLatin1(CTVRToolBarEditDlg::SEPARATOR_TEXT));
        EXPECT_EQ(pCommands->item(0)->text(), QString::fromLatin1(CTVRToolBarEditDlg::SEPARATOR_TEXT));
        // Remove Stop, move Step first, add Show Next after Set Next, Start twice is refused.
        pButtons->setCurrentRow(2);
        pEdit->GetRemoveButton()->click();
        pButtons->setCurrentRow(1);
        pEdit->GetUpButton()->click();
        EXPECT_FALSE(pEdit->GetUpButton()->isEnabled());
        pButtons->setCurrentRow(4);
        for (const char* text : {"Show Next", "Start"}) {
          const QList<QListWidgetItem*> found = pCommands->findItems(QString::fromLatin1(text), Qt::MatchExactly);
          EXPECT_EQ(found.size(), 1) << text;
          if (found.isEmpty()) continue;
          pCommands->setCurrentItem(found[0]);
          pEdit->GetAddButton()->click();
        }
        // A separator may come twice.
        pCommands->setCurrentRow(0);
        pEdit->GetAddButton()->click();
        pEdit->done(answer);
      });
      pDialog->GetEditButton()->click();
    });
    EXPECT_EQ(Frame().GetToolBarButtons(32818),
              answer == QDialog::Accepted ? (Buttons{33794, 33792, 33791, 33787, 33788, 33789, 0, 0, 32831, 32849})
                                          : kScript);
  }
}

TEST_F(ToolBarCustomizeTest, TheStoredLayoutReadsBackAndRefusesDamage) {
  const CTVRToolBarStore::Layout layout = {{59392, {57600, 0, 57601}}, {32817, {}}};
  const QByteArray packed = CTVRToolBarStore::Pack(layout);
  CTVRToolBarStore::Layout read;
  EXPECT_TRUE(CTVRToolBarStore::Unpack(packed, read));
  EXPECT_EQ(read, layout);
  QByteArray tooMany = packed;
  tooMany[12] = char(0x7F);  // the first bar's button count
  QByteArray trailing = packed + QByteArray(1, '\0');
  QByteArray wrongMagic = packed;
  wrongMagic[0] = 'X';
  QByteArray unordered;  // bars out of order, as Pack never writes them
  QDataStream(&unordered, QIODevice::WriteOnly)
      << quint32(0x54425331) << quint32(2) << quint32(59392) << quint32(0) << quint32(32817) << quint32(0);
  for (const QByteArray& bad :
       {QByteArray(), packed.left(packed.size() - 1), tooMany, trailing, wrongMagic, unordered}) {
    read = {{1, {2}}};
    EXPECT_FALSE(CTVRToolBarStore::Unpack(bad, read)) << bad.toHex().constData();
    EXPECT_TRUE(read.empty());
  }
}

}  // namespace
