// Command routing: command handlers, update handlers and the CmdUI record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <tavric/class_info.h>
#include <tavric/cmd_target.h>

namespace {

class CTestTarget : public CTVRCmdTarget {
 public:
  using CTVRCmdTarget::OnCommand;
  using CTVRCmdTarget::OnCommandRange;
  using CTVRCmdTarget::OnUpdate;
  using CTVRCmdTarget::OnUpdateRange;
};

class CTestDerived : public CTVRCmdTarget {
  TVR_DECLARE_DYNAMIC(CTestDerived)
};
TVR_IMPLEMENT_DYNAMIC(CTestDerived)

constexpr tvr::UINT ID_START = 33792;
constexpr tvr::UINT ID_STOP = 33793;
constexpr tvr::UINT ID_UNKNOWN = 40000;

}  // namespace

TEST(CmdTarget, ACommandRunsItsHandlerAndAnUnknownOneIsNotHandled) {
  CTestTarget target;
  int runs = 0;
  target.OnCommand(ID_START, [&] { ++runs; });
  EXPECT_TRUE(target.DoCommand(ID_START));
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(target.DoCommand(ID_UNKNOWN));
  CTVRCmdUI ui(ID_UNKNOWN);
  ui.m_bEnabled = FALSE;
  EXPECT_FALSE(target.DoUpdate(ui));
  EXPECT_FALSE(ui.m_bEnableChanged);
  EXPECT_FALSE(ui.m_bEnabled);  // untouched: the shell decides
}

TEST(CmdTarget, TheUpdateHandlerFillsTheCmdUIRecord) {
  CTestTarget target;
  bool running = true;
  target.OnCommand(ID_STOP, [] {});
  target.OnUpdate(ID_STOP, [&](CTVRCmdUI* pCmdUI) {
    pCmdUI->Enable(running);
    pCmdUI->SetCheck(running ? 1 : 0);
    pCmdUI->SetText("Stop");
  });
  CTVRCmdUI ui(ID_STOP);
  EXPECT_TRUE(target.DoUpdate(ui));
  EXPECT_TRUE(ui.m_bEnabled);
  EXPECT_TRUE(ui.m_bEnableChanged);
  EXPECT_EQ(ui.m_nCheck, 1);
  EXPECT_EQ(ui.m_strText, "Stop");
  running = false;
  CTVRCmdUI off(ID_STOP);
  EXPECT_TRUE(target.DoUpdate(off));
  EXPECT_FALSE(off.m_bEnabled);
  EXPECT_EQ(off.m_nCheck, 0);
}

TEST(CmdTarget, ACommandWithoutAnUpdateHandlerIsOfferedEnabled) {
  CTestTarget target;
  int runs = 0;
  target.OnCommand(ID_START, [&] { ++runs; });
  CTVRCmdUI ui(ID_START);
  ui.m_bEnabled = FALSE;
  EXPECT_TRUE(target.DoUpdate(ui));
  EXPECT_TRUE(ui.m_bEnabled);
  EXPECT_TRUE(ui.m_bEnableChanged);
  EXPECT_EQ(runs, 0);  // an update query never runs the command
}

TEST(CmdTarget, AnUpdateHandlerAloneAnswersUpdatesButNotCommands) {
  CTestTarget target;
  target.OnUpdate(ID_START, [](CTVRCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); });
  CTVRCmdUI ui(ID_START);
  EXPECT_TRUE(target.DoUpdate(ui));
  EXPECT_FALSE(ui.m_bEnabled);
  EXPECT_FALSE(target.DoCommand(ID_START));
}

TEST(CmdTarget, RangesPassTheIdentifierToTheirHandler) {
  CTestTarget target;
  std::vector<tvr::UINT> commands;
  target.OnCommandRange(33800, 33807, [&](tvr::UINT nID) { commands.push_back(nID); });
  target.OnUpdateRange(33800, 33807, [](CTVRCmdUI* pCmdUI) { pCmdUI->SetCheck(int(pCmdUI->m_nID - 33800)); });
  EXPECT_TRUE(target.DoCommand(33800));
  EXPECT_TRUE(target.DoCommand(33807));
  EXPECT_FALSE(target.DoCommand(33808));
  EXPECT_FALSE(target.DoCommand(33799));
  EXPECT_EQ(commands, (std::vector<tvr::UINT>{33800, 33807}));
  CTVRCmdUI ui(33803);
  EXPECT_TRUE(target.DoUpdate(ui));
  EXPECT_EQ(ui.m_nCheck, 3);

  // A reversed or absurd range registers nothing rather than hanging.
  target.OnCommandRange(20, 10, [&](tvr::UINT nID) { commands.push_back(nID); });
  target.OnCommandRange(0, 0xFFFFFFFF, [&](tvr::UINT nID) { commands.push_back(nID); });
  EXPECT_FALSE(target.DoCommand(15));
  EXPECT_FALSE(target.DoCommand(5));
  // The last identifier of the id space is a valid one-element range.
  target.OnCommandRange(0xFFFFFFFF, 0xFFFFFFFF, [&](tvr::UINT nID) { commands.push_back(nID); });
  EXPECT_TRUE(target.DoCommand(0xFFFFFFFF));
}

TEST(CmdTarget, QueriesAndMalformedCallsRunNothing) {
  CTestTarget target;
  int runs = 0;
  target.OnCommand(ID_START, [&] { ++runs; });
  int info = 0;
  EXPECT_TRUE(target.OnCmdMsg(ID_START, CN_COMMAND, nullptr, &info));
  EXPECT_FALSE(target.OnCmdMsg(ID_UNKNOWN, CN_COMMAND, nullptr, &info));
  EXPECT_FALSE(target.OnCmdMsg(ID_START, CN_UPDATE_COMMAND_UI, nullptr, nullptr));
  EXPECT_FALSE(target.OnCmdMsg(ID_START, 42, nullptr, nullptr));
  EXPECT_EQ(runs, 0);
}

TEST(CmdTarget, AHandlerMayReplaceItselfWhileItRuns) {
  CTestTarget target;
  std::vector<std::string> calls;
  target.OnCommand(ID_START, [&] {
    calls.push_back("first");
    target.OnCommand(ID_START, [&] { calls.push_back("second"); });
    calls.push_back("first still running");
  });
  EXPECT_TRUE(target.DoCommand(ID_START));
  EXPECT_TRUE(target.DoCommand(ID_START));
  EXPECT_EQ(calls, (std::vector<std::string>{"first", "first still running", "second"}));
}

TEST(CmdTarget, RuntimeClassNamesTheBaseAndDerivedClasses) {
  CTestTarget base;
  ASSERT_NE(base.GetRuntimeClass(), nullptr);
  EXPECT_STREQ(base.GetRuntimeClass()->m_lpszClassName, "CTVRCmdTarget");
  EXPECT_EQ(base.GetRuntimeClass()->CreateObject(), nullptr);
  CTestDerived derived;
  EXPECT_STREQ(derived.GetRuntimeClass()->m_lpszClassName, "CTestDerived");
  EXPECT_NE(derived.GetRuntimeClass(), base.GetRuntimeClass());
}
