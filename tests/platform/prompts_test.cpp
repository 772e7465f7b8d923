// Headless prompts and plug-in resources.
#include <gtest/gtest.h>

#include <string>

#include <tavric/resources.h>

#include "platform/user_prompts.h"

TEST(Prompts, HeadlessQuestionsTakeTheDefaultButton) {
  CTVRHeadlessPrompts headless;
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(headless.AskYesNo("Close?"));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "tavric: Close?\n");
  std::string chosen;
  EXPECT_TRUE(headless.AskSaveFileName(".log", "trace.log", "", chosen));
  EXPECT_EQ(chosen, "trace.log");
  EXPECT_FALSE(headless.AskOpenFileName(".cmd", "", "", chosen));  // nobody to pick a file
  EXPECT_EQ(chosen, "trace.log");
}

TEST(Resources, ALaterRegistrationReplacesTheEarlierOneInPlace) {
  constexpr tvr::UINT kId = 61001;
  RegisterDocStrings(kId, {"Sim", "Simulated reader"});
  const CTVRDocStrings* pStrings = FindDocStrings(kId);
  ASSERT_NE(pStrings, nullptr);
  EXPECT_EQ(pStrings->m_strDocName, "Sim");
  RegisterDocStrings(kId, {"Sim2", ""});
  // A pointer taken earlier sees the newer registration, never freed memory.
  EXPECT_EQ(pStrings->m_strDocName, "Sim2");
  EXPECT_EQ(FindMenu(kId), nullptr);  // strings and menus are separate tables
}
