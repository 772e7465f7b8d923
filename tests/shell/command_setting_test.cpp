// The Command Setting dialog over a reader's quick commands: reached by its
// command, OK commits what was typed (in upper case), Cancel leaves the
// committed texts and the next opening shows them.
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "document/board_doc_private.h"
#include "shell/command_setting_box.h"
#include "shell_fixture.h"

namespace {

class CommandSettingTest : public CTVRShellFixture {
 protected:
  void SetUp() override { CTVRCommandSettingBox::Install(nullptr); }
  void TearDown() override {
    CTVRCommandSettingDlg::SetShowHook(nullptr);
    CTVRShellFixture::TearDown();
  }

  CTVRBoardDoc* OpenReader() {
    AddBoardType(6001, "Alpha");
    Frame().OnCommand(57600);
    return Frame().GetActiveDocument();
  }
};

QLineEdit* Edit(QWidget* pDialog, int n) {
  return qobject_cast<CTVRCommandSettingBox*>(pDialog)->GetEdit(n - 1);
}

// Runs the Command Setting command; `edit` sees the dialog open and ends it.
QStringList RunDialog(CMainFrame& frame, std::function<void(QWidget*)> edit) {
  QStringList shown;
  OnNextModal([&shown, edit](QWidget* pDialog) {
    EXPECT_EQ(pDialog->windowTitle(), QStringLiteral("Command Setting"));
    QStringList groups;
    for (QGroupBox* pGroup : pDialog->findChildren<QGroupBox*>()) groups << pGroup->title();
    EXPECT_EQ(groups, (QStringList{"Command 1", "Command 2", "Command 3", "Command 4", "Command 5"}));
    for (int n = 1; n <= 5; ++n) shown << Edit(pDialog, n)->text();
    edit(pDialog);
  });
  frame.OnCommand(32856);
  return shown;
}

void Click(QWidget* pDialog, const char* text) {
  for (QPushButton* pButton : pDialog->findChild<QDialogButtonBox*>()->findChildren<QPushButton*>())
    if (pButton->text() == QLatin1String(text)) return pButton->click();
  ADD_FAILURE() << "no button " << text;
}

// OK commits what was typed, in upper case; Cancel and closing the window
// leave the committed texts, and the next opening shows them.
TEST_F(CommandSettingTest, OnlyOkCommitsWhatWasTypedInUpperCase) {
  CTVRBoardDoc* pDoc = OpenReader();
  ASSERT_NE(pDoc, nullptr);
  CTVRBoardDocPrivate::Of(*pDoc).SetQuickCommand(0, "00 A4 04 00 02 3F 00");
  CTVRBoardDocPrivate::Of(*pDoc).SetQuickCommand(3, "80 CA");
  const QStringList before = {"00 A4 04 00 02 3F 00", "", "", "80 CA", ""};
  for (const char* door : {"Cancel", "Escape", "OK"}) {
    SCOPED_TRACE(door);
    const QStringList shown = RunDialog(Frame(), [door](QWidget* pDialog) {
      Edit(pDialog, 2)->setFocus();
      QTest::keyClicks(Edit(pDialog, 2), QStringLiteral("00a4 3f"));
      Edit(pDialog, 4)->clear();
      Edit(pDialog, 5)->setText(QStringLiteral("00 84 00 00 08"));
      if (std::string(door) == "Escape")
        QTest::keyClick(pDialog, Qt::Key_Escape);
      else
        Click(pDialog, door);
    });
    EXPECT_EQ(shown, before);
  }
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*pDoc).GetQuickCommand(0), "00 A4 04 00 02 3F 00");
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*pDoc).GetQuickCommand(1), "00A4 3F");
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*pDoc).GetQuickCommand(3), "");
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*pDoc).GetQuickCommand(4), "00 84 00 00 08");
  // Command 2 now has a text: its button waits only for the reader's connection.
  CTVRBoardDocPrivate::Of(*pDoc).m_bConnected = TRUE;
  Frame().UpdateCommandStates();
  EXPECT_TRUE(Frame().GetAction(32851)->isEnabled());
  EXPECT_FALSE(Frame().GetAction(32854)->isEnabled());
}

}  // namespace
