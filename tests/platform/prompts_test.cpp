// What the program shows the user, headless and recorded; plug-in resources.
#include <gtest/gtest.h>

#include <string>

#include <tavric/prompts.h>
#include <tavric/resources.h>

#include "platform/user_prompts.h"

TEST(Prompts, TheRecorderKeepsTextsAndBeepsWhileInstalled) {
  {
    CTVRPromptRecorder recorder;
    EXPECT_EQ(&CTVRUserPrompts::Get(), &recorder);
    TVRMessageBox("Unknown Protocol!");
    TVRMessageBeep(0);
    TVRMessageBeep(10);
    EXPECT_EQ(recorder.m_Messages, std::vector<std::string>{"Unknown Protocol!"});
    EXPECT_EQ(recorder.m_Beeps, (std::vector<tvr::UINT>{0, 10}));
  }
  EXPECT_NE(dynamic_cast<CTVRHeadlessPrompts*>(&CTVRUserPrompts::Get()), nullptr);
}

TEST(Prompts, TheRecorderAnswersFromItsScriptThenWithDefaults) {
  CTVRPromptRecorder recorder;
  recorder.m_YesNoAnswers = {FALSE};
  recorder.m_FileAnswers = {"/tmp/a.cmd", ""};
  EXPECT_FALSE(recorder.AskYesNo("Do you want to close it ?"));
  EXPECT_TRUE(recorder.AskYesNo("again"));  // list spent: Yes
  EXPECT_EQ(recorder.m_Questions, (std::vector<std::string>{"Do you want to close it ?", "again"}));

  std::string chosen = "before";
  EXPECT_TRUE(recorder.AskOpenFileName(".cmd", "noname", "Script Files (*.cmd)|*.cmd||", chosen));
  EXPECT_EQ(chosen, "/tmp/a.cmd");
  chosen = "before";
  EXPECT_FALSE(recorder.AskSaveFileName(".cmd", "", "", chosen));   // "" is cancel
  EXPECT_FALSE(recorder.AskSaveFileName(".cmd", "x", "", chosen));  // list spent: cancel
  EXPECT_EQ(chosen, "before");
  EXPECT_EQ(recorder.m_FileDialogInitialNames, (std::vector<std::string>{"noname", "", "x"}));
}

TEST(Prompts, HeadlessPromptsWriteToStderrAndTakeTheDefaultButton) {
  CTVRHeadlessPrompts headless;
  ::testing::internal::CaptureStderr();
  headless.MessageBox("No document in registry !");
  headless.MessageBeep(0);
  EXPECT_TRUE(headless.AskYesNo("Close?"));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "tavric: No document in registry !\ntavric: Close?\n");

  std::string chosen;
  EXPECT_TRUE(headless.AskSaveFileName(".log", "trace.log", "", chosen));
  EXPECT_EQ(chosen, "trace.log");
  chosen = "kept";
  EXPECT_FALSE(headless.AskOpenFileName(".cmd", "", "", chosen));
  EXPECT_EQ(chosen, "kept");
}

TEST(Resources, ALaterRegistrationReplacesTheEarlierOne) {
  constexpr tvr::UINT kId = 61001;
  EXPECT_EQ(FindDocStrings(kId), nullptr);
  EXPECT_EQ(FindMenu(kId), nullptr);
  RegisterDocStrings(kId, {"Sim", "Simulated reader"});
  const CTVRDocStrings* pStrings = FindDocStrings(kId);
  ASSERT_NE(pStrings, nullptr);
  EXPECT_EQ(pStrings->m_strDocName, "Sim");
  RegisterDocStrings(kId, {"Sim2", ""});
  EXPECT_EQ(FindDocStrings(kId)->m_strDocName, "Sim2");
  // A pointer taken earlier sees the newer registration, never freed memory.
  EXPECT_EQ(pStrings->m_strDocName, "Sim2");
  EXPECT_EQ(FindMenu(kId), nullptr);  // strings and menus are separate tables

  CTVRMenu menu = {{0, "&Reader", {{33816, "&Connect", {}}, {}, {33817, "&Disconnect", {}}}}};
  RegisterMenu(kId, menu);
  const CTVRMenu* pMenu = FindMenu(kId);
  ASSERT_NE(pMenu, nullptr);
  ASSERT_EQ(pMenu->size(), 1u);
  EXPECT_TRUE((*pMenu)[0].IsPopup());
  EXPECT_TRUE((*pMenu)[0].m_children[1].IsSeparator());
  EXPECT_EQ((*pMenu)[0].m_children[2].m_nID, 33817u);
}
