// The Delay Options dialog's logic: what opening, the "Command Delay" check
// box, OK and Cancel do with a document's delay options.
#include <gtest/gtest.h>

#include "document/delay_options_dlg.h"

namespace {

TEST(DelayOptionsDialog, CancelRestoresTheCheckBoxesButTheTypedDelayStays) {
  CTVRDelayOptions options;
  options.m_dwCommandDelay = 250;
  options.m_dwDsrTxDelay = 12;
  options.m_bFreeReception = TRUE;
  CTVRDelayOptionsDlg dlg(options);
  dlg.Open();
  EXPECT_FALSE(dlg.IsDelayEditEnabled());
  EXPECT_EQ(dlg.GetDelayText(), "250");

  dlg.SetDelayText("7a5-0");
  dlg.m_bCommandDelay = TRUE;
  dlg.m_bFreeReception = FALSE;
  dlg.OnCommandDelayClicked();
  EXPECT_TRUE(dlg.IsDelayEditEnabled());
  EXPECT_TRUE(options.m_bCommandDelay);
  EXPECT_EQ(options.m_dwCommandDelay, 750u) << "the field takes digits only";

  dlg.OnCancel();
  EXPECT_FALSE(options.m_bCommandDelay);
  EXPECT_TRUE(options.m_bFreeReception);
  EXPECT_EQ(options.m_dwCommandDelay, 750u);

  // OK reads every control; a delay beyond the field saturates instead of wrapping to a short one.
  dlg.SetDelayText("99999999999999");
  dlg.SetDsrTxDelayText("");
  dlg.OnOK();
  EXPECT_EQ(options.m_dwCommandDelay, 0xFFFFFFFFu);
  EXPECT_EQ(options.m_dwDsrTxDelay, 0u);
}

}  // namespace
