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
};

QLineEdit* Edit(QWidget* pDialog, int n) {
  return qobject_cast<CTVRCommandSettingBox*>(pDialog)->GetEdit(n - 1);
}

// OK commits what was typed, in upper case; Cancel and closing the window
// leave the committed texts, and the next opening shows them.
TEST_F(CommandSettingTest, OnlyOkCommitsWhatWasTypedInUpperCase) {
  CTVRBoardDocPrivate& doc = CTVRBoardDocPrivate::Of(NewReader());
  doc.SetQuickCommand(0, "00 A4 04 00 02 3F 00");
  doc.SetQuickCommand(3, "80 CA");
  for (const QString door : {"Cancel", "Escape", "OK"}) {
    SCOPED_TRACE(door.toStdString());
    QStringList shown, groups;
    OnNextModal([&](QWidget* pDialog) {
      EXPECT_EQ(pDialog->windowTitle(), QStringLiteral("Command Setting"));
      for (QGroupBox* pGroup : pDialog->findChildren<QGroupBox*>()) groups << pGroup->title();
      for (int n = 1; n <= 5; ++n) shown << Edit(pDialog, n)->text();
      Edit(pDialog, 2)->setFocus();
      QTest::keyClicks(Edit(pDialog, 2), QStringLiteral("00a4 3f"));
      Edit(pDialog, 4)->clear();
      Edit(pDialog, 5)->setText(QStringLiteral("00 84 00 00 08"));
      if (door == QStringLiteral("Escape")) QTest::keyClick(pDialog, Qt::Key_Escape);
      for (QPushButton* pButton : pDialog->findChild<QDialogButtonBox*>()->findChildren<QPushButton*>())
        if (pButton->text() == door) pButton->click();
      if (pDialog->isVisible()) {
        ADD_FAILURE() << "no way out through " << door.toStdString();
        static_cast<QDialog*>(pDialog)->reject();
      }
    });
    Frame().OnCommand(32856);
    EXPECT_EQ(groups, (QStringList{"Command 1", "Command 2", "Command 3", "Command 4", "Command 5"}));
    EXPECT_EQ(shown, (QStringList{"00 A4 04 00 02 3F 00", "", "", "80 CA", ""}));
  }
  EXPECT_EQ((QStringList{doc.GetQuickCommand(0).c_str(), doc.GetQuickCommand(1).c_str(), doc.GetQuickCommand(2).c_str(),
                         doc.GetQuickCommand(3).c_str(), doc.GetQuickCommand(4).c_str()}),
            (QStringList{"00 A4 04 00 02 3F 00", "00A4 3F", "", "", "00 84 00 00 08"}));
}

}  // namespace
