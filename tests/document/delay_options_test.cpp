// The Delay Options dialog's logic, and the document command that shows it.
#include "document/delay_options_dlg.h"

#include "doc_fixture.h"

namespace {

class DelayOptions : public CTVRDocFixture {
 protected:
  void TearDown() override {
    CTVRDelayOptionsDlg::SetShowHook(nullptr);
    CTVRDocFixture::TearDown();
  }
};

TEST_F(DelayOptions, OpeningShowsTheRecordAndEnablesTheDelayWithTheCheckBox) {
  CTVRDelayOptions options;
  options.m_dwCommandDelay = 250;
  options.m_dwDsrTxDelay = 12;
  options.m_bFreeReception = TRUE;
  CTVRDelayOptionsDlg dlg(options);
  dlg.Open();
  EXPECT_FALSE(dlg.m_bCommandDelay);
  EXPECT_FALSE(dlg.IsDelayEditEnabled());
  EXPECT_TRUE(dlg.m_bFreeReception);
  EXPECT_EQ(dlg.GetDelayText(), "250");
  EXPECT_EQ(dlg.GetDsrTxDelayText(), "12");

  options.m_bCommandDelay = TRUE;
  dlg.Open();
  EXPECT_TRUE(dlg.IsDelayEditEnabled());
}

TEST_F(DelayOptions, ClickingCommandDelayReadsTheControlsAndCancelRestoresOnlyTheCheckBoxes) {
  CTVRDelayOptions options;
  CTVRDelayOptionsDlg dlg(options);
  dlg.Open();
  dlg.SetDelayText("750");
  dlg.m_bCommandDelay = TRUE;
  dlg.m_bFreeReception = TRUE;
  dlg.OnCommandDelayClicked();
  EXPECT_TRUE(dlg.IsDelayEditEnabled());
  EXPECT_TRUE(options.m_bCommandDelay);
  EXPECT_EQ(options.m_dwCommandDelay, 750u);

  dlg.OnCancel();
  EXPECT_FALSE(options.m_bCommandDelay);
  EXPECT_FALSE(options.m_bFreeReception);
  EXPECT_EQ(options.m_dwCommandDelay, 750u);

  // Unticking disables the field again.
  dlg.Open();
  dlg.m_bCommandDelay = FALSE;
  dlg.OnCommandDelayClicked();
  EXPECT_FALSE(dlg.IsDelayEditEnabled());
}

TEST_F(DelayOptions, OkReadsEveryControlAndTheFieldsTakeDigitsOnly) {
  CTVRDelayOptions options;
  CTVRDelayOptionsDlg dlg(options);
  dlg.Open();
  dlg.SetDelayText("1a2-3");
  dlg.SetDsrTxDelayText("");
  dlg.m_bCommandDelay = TRUE;
  dlg.OnOK();
  EXPECT_EQ(dlg.GetDelayText(), "123");
  EXPECT_EQ(options.m_dwCommandDelay, 123u);
  EXPECT_EQ(options.m_dwDsrTxDelay, 0u);
  EXPECT_TRUE(options.m_bCommandDelay);

  // A number beyond the field saturates instead of wrapping to a short delay.
  dlg.SetDelayText("99999999999999");
  dlg.OnOK();
  EXPECT_EQ(options.m_dwCommandDelay, 0xFFFFFFFFu);
}

TEST_F(DelayOptions, TheDelayDirectiveIsWhatTheDialogShows) {
  SetScript({".t(300);"});
  m_pDoc->OnScriptStep();
  bool shown = false;
  CTVRDelayOptionsDlg::SetShowHook([&](CTVRDelayOptionsDlg& dlg) {
    shown = true;
    EXPECT_TRUE(dlg.m_bCommandDelay);
    EXPECT_TRUE(dlg.IsDelayEditEnabled());
    EXPECT_EQ(dlg.GetDelayText(), "300");
    dlg.SetDelayText("40");
    dlg.OnOK();
  });
  m_pDoc->DoCommand(ID_DELAY_CMD);
  EXPECT_TRUE(shown);
  EXPECT_EQ(m_pDoc->GetDelayOptions().m_dwCommandDelay, 40u);
}

TEST_F(DelayOptions, WithoutAShowHookTheCommandChangesNothing) {
  m_pDoc->GetDelayOptions().m_dwCommandDelay = 77;
  m_pDoc->OnDelayCmd();
  EXPECT_EQ(m_pDoc->GetDelayOptions().m_dwCommandDelay, 77u);
  EXPECT_FALSE(m_pDoc->GetDelayOptions().m_bCommandDelay);
}

}  // namespace
