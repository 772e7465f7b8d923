// The board settings window: one field per setting the board describes, the
// list of a choice filled as the board gave it and again when the board says
// its settings changed, OK handing the values to the board, Cancel leaving
// them; and the Settings command of the Tools menu (its place there:
// UserToolsTest) opening it for the active reader.
#include <algorithm>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <tavric/messages.h>

#include "document/board_doc_private.h"
#include "document/board_settings_dlg.h"
#include "serial_settings_example.h"
#include "shell/board_settings_box.h"
#include "shell_fixture.h"

namespace {

using BoardSettingsBoxTest = CTVRShellFixture;

QPushButton* Button(CTVRBoardSettingsBox& box, QDialogButtonBox::StandardButton which) {
  return box.findChild<QDialogButtonBox*>()->button(which);
}

// Each door out of the window: OK hands the values to the board, a value the
// board refuses keeps the window open with the reason, Cancel takes nothing.
// A device plugged in and another unplugged while the window is open: the
// list shows the devices there are now, and the pick, though gone, stays.
TEST_F(BoardSettingsBoxTest, TheFieldsShowTheBoardsDescriptionAndOnlyOkStoresWhatTheBoardTakes) {
  enum EDoor { OK, REFUSED, CANCEL };
  for (EDoor door : {OK, REFUSED, CANCEL}) {
    SCOPED_TRACE(door);
    CTVRTestBoard doc;
    CTVRBoardDocPrivate::Of(doc).SetHostContext(&m_Context);
    doc.m_Settings = tvr_test::SerialSettingsExample();
    CTVRBoardSettingsDlg logic(doc);
    logic.Open();
    CTVRBoardSettingsBox box(logic);
    box.show();
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Settings of ") + QString::fromStdString(doc.GetTitle()));
    ASSERT_EQ(box.GetFields().size(), 3u);
    auto* pPort = qobject_cast<QComboBox*>(box.GetFields()[0]);
    auto* pSpeed = qobject_cast<QSpinBox*>(box.GetFields()[1]);
    auto* pNote = qobject_cast<QLineEdit*>(box.GetFields()[2]);
    ASSERT_TRUE(pPort && pSpeed && pNote);
    auto ports = [pPort] {
      QStringList texts;
      for (int i = 0; i < pPort->count(); ++i) texts << pPort->itemText(i);
      return texts;
    };
    EXPECT_EQ(ports(), (QStringList{"/dev/ttyUSB0", "/dev/ttyS0", "/dev/ttyACM0"}));
    EXPECT_EQ(pPort->currentText(), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(std::make_tuple(pSpeed->value(), pSpeed->minimum(), pSpeed->maximum()),
              std::make_tuple(9600, 50, 4000000));
    EXPECT_EQ(pNote->text(), QStringLiteral("bench 2"));
    EXPECT_TRUE(std::ranges::any_of(box.findChildren<QLabel*>(),
                                    [](QLabel* pLabel) { return pLabel->text() == "Used at the next Connect."; }));

    pPort->setCurrentIndex(2);
    pSpeed->setValue(115200);
    doc.m_Settings[0].m_Choices = {"/dev/ttyUSB0", "/dev/ttyS0", "/dev/ttyUSB1"};
    SendMessage(doc.GetDummyWindow()->GetSafeHwnd(), WM_RECV_SETTINGS_CHANGED, 0, 0);
    EXPECT_EQ(ports(), (QStringList{"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyS0", "/dev/ttyUSB1"}));
    EXPECT_EQ(pPort->currentText(), QStringLiteral("/dev/ttyACM0"));
    if (door == REFUSED) pNote->setText(QStringLiteral("refused"));
    Button(box, door == CANCEL ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok)->click();
    EXPECT_EQ(box.isVisible(), door == REFUSED);
    if (door == REFUSED) {
      EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{"Note cannot be set to \"refused\"."});
      box.reject();
      continue;
    }
    EXPECT_EQ(box.result(), door == OK ? QDialog::Accepted : QDialog::Rejected);
    const bool stored = door == OK;
    EXPECT_EQ(doc.m_SettingCalls,
              stored ? (std::vector<std::string>{"Port=/dev/ttyACM0", "Speed=115200"}) : std::vector<std::string>{});
    EXPECT_EQ(doc.m_Settings[1].m_strValue, stored ? "115200" : "9600");
  }
}

TEST_F(BoardSettingsBoxTest, TheToolsMenusSettingsCommandOpensTheWindowForTheActiveReader) {
  CTVRTestBoard& doc = NewReader();
  QAction* pSettings = Frame().GetAction(ID_READER_SETTINGS);
  Frame().UpdateCommandStates();
  EXPECT_FALSE(pSettings->isEnabled()) << "a board without settings";
  doc.m_Settings = tvr_test::SerialSettingsExample();
  Frame().UpdateCommandStates();
  EXPECT_TRUE(pSettings->isEnabled());

  CTVRBoardSettingsBox::Install(&Frame());
  QString shownTitle;
  QTimer::singleShot(0, [&] {
    auto* pBox = qobject_cast<CTVRBoardSettingsBox*>(QApplication::activeModalWidget());
    ASSERT_NE(pBox, nullptr);
    shownTitle = pBox->windowTitle();
    qobject_cast<QSpinBox*>(pBox->GetFields()[1])->setValue(19200);
    Button(*pBox, QDialogButtonBox::Ok)->click();
  });
  pSettings->trigger();
  CTVRBoardSettingsDlg::SetShowHook(nullptr);
  EXPECT_EQ(shownTitle, QStringLiteral("Settings of Alpha1"));
  EXPECT_EQ(doc.m_SettingCalls, std::vector<std::string>{"Speed=19200"});
}

}  // namespace
