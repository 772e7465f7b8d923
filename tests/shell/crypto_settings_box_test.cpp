// The cyphering settings window: what the plug-in gives is shown, OK takes
// the fields once every key passes the plug-in's check, Cancel takes nothing;
// the prompts show it.
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "shell/crypto_settings_box.h"
#include "shell/widget_prompts.h"
#include "shell_fixture.h"

namespace {

using CryptoSettingsTest = CTVRShellFixture;

CTVRCryptoSettings TwoKeys() {
  CTVRCryptoSettings settings;
  settings.m_strTitle = "Test cyphering";
  settings.m_Keys = {{"First key :", "0011"}, {"Second key :", ""}};
  settings.m_strHint = "Four hex digits.";
  settings.m_strActivatedText = "Decipher answers";
  settings.m_CheckKey = [](std::size_t key, const std::string& value) {
    return value.empty() || value.size() == 4 ? std::string() : "Key " + std::to_string(key + 1) + " is not 4 digits.";
  };
  return settings;
}

TEST_F(CryptoSettingsTest, TheWindowShowsWhatThePlugInGivesAndOkTakesTheFieldsOnceEveryKeyPasses) {
  CTVRCryptoSettings settings = TwoKeys();
  CTVRCryptoSettingsBox box(m_Prompts, settings);
  EXPECT_EQ(box.windowTitle(), QStringLiteral("Test cyphering"));
  QStringList labels;
  for (QLabel* pLabel : box.findChildren<QLabel*>()) labels << pLabel->text();
  EXPECT_EQ(labels, (QStringList{"First key :", "Second key :", "Four hex digits."}));
  EXPECT_EQ(box.GetKeyEdit(0)->text(), QStringLiteral("0011"));
  EXPECT_EQ(box.GetKeyEdit(1)->text(), QStringLiteral(""));
  ASSERT_NE(box.GetActivated(), nullptr);
  EXPECT_EQ(box.GetActivated()->text(), QStringLiteral("Decipher answers"));
  EXPECT_FALSE(box.GetActivated()->isChecked());

  box.show();
  box.GetKeyEdit(0)->setText(QStringLiteral("AABB"));
  box.GetKeyEdit(1)->setText(QStringLiteral("123"));
  box.GetActivated()->setChecked(true);
  box.accept();
  EXPECT_EQ(m_Prompts.m_Messages, std::vector<std::string>{"Key 2 is not 4 digits."});
  EXPECT_TRUE(box.isVisible());
  EXPECT_EQ(settings.m_Keys[0].m_strValue, "0011");
  EXPECT_EQ(settings.m_bActivated, FALSE);
  box.GetKeyEdit(1)->setText(QStringLiteral("1234"));
  box.accept();
  EXPECT_FALSE(box.isVisible());
  EXPECT_EQ(box.result(), QDialog::Accepted);
  EXPECT_EQ(settings.m_Keys[0].m_strValue, "AABB");
  EXPECT_EQ(settings.m_Keys[1].m_strValue, "1234");
  EXPECT_EQ(settings.m_bActivated, TRUE);
  // Without a check box text there is no check box.
  settings.m_strActivatedText.clear();
  EXPECT_EQ(CTVRCryptoSettingsBox(m_Prompts, settings).GetActivated(), nullptr);

  // The prompts show the window; Cancel changes nothing, OK takes the fields.
  CTVRWidgetPrompts prompts;
  for (auto button : {QDialogButtonBox::Cancel, QDialogButtonBox::Ok}) {
    OnNextModal([button](QWidget* pDialog) {
      pDialog->findChild<QLineEdit*>()->setText(QStringLiteral("FFFF"));
      pDialog->findChild<QDialogButtonBox*>()->button(button)->click();
    });
    EXPECT_EQ(prompts.EditCryptoSettings(settings), button == QDialogButtonBox::Ok);
    EXPECT_EQ(settings.m_Keys[0].m_strValue, button == QDialogButtonBox::Ok ? "FFFF" : "AABB");
  }
}

}  // namespace
