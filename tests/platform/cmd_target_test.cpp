// Command routing: command handlers, update handlers and the CmdUI record.
#include <gtest/gtest.h>

#include <vector>

#include <tavric/cmd_target.h>

namespace {

class CTestTarget : public CTVRCmdTarget {
 public:
  using CTVRCmdTarget::OnCommand;
  using CTVRCmdTarget::OnCommandRange;
  using CTVRCmdTarget::OnUpdate;
  using CTVRCmdTarget::OnUpdateRange;
};

constexpr tvr::UINT ID_START = 33792, ID_STOP = 33793, ID_UNKNOWN = 40000;

}  // namespace

// A command without an update handler offered enabled, an unknown command
// refused and ranges chosen by identifier: ProtocolMenu, on the document.
TEST(CmdTarget, CommandsRunTheirHandlerAndUpdatesFillTheCmdUIRecord) {
  CTestTarget target;
  int runs = 0;
  target.OnCommand(ID_START, [&] {
    ++runs;
    target.OnCommand(ID_START, [&] { runs += 100; });  // replaced while it runs
    ++runs;
  });
  target.OnUpdate(ID_STOP, [](CTVRCmdUI* pCmdUI) {
    pCmdUI->Enable(FALSE);
    pCmdUI->SetCheck(1);
    pCmdUI->SetText("Stop");
  });
  EXPECT_TRUE(target.DoCommand(ID_START));
  EXPECT_FALSE(target.DoCommand(ID_STOP));  // an update handler alone runs no command
  int info = 0;
  EXPECT_TRUE(target.OnCmdMsg(ID_START, CN_COMMAND, nullptr, &info));  // only asks
  EXPECT_FALSE(target.OnCmdMsg(ID_START, CN_UPDATE_COMMAND_UI, nullptr, nullptr));

  CTVRCmdUI stop(ID_STOP), unknown(ID_UNKNOWN);
  unknown.m_bEnabled = FALSE;
  EXPECT_TRUE(target.DoUpdate(stop));
  EXPECT_TRUE(stop.m_bEnableChanged && !stop.m_bEnabled && stop.m_nCheck == 1 && stop.m_strText == "Stop");
  EXPECT_FALSE(target.DoUpdate(unknown));  // untouched: the shell decides
  EXPECT_FALSE(unknown.m_bEnableChanged || unknown.m_bEnabled);
  EXPECT_EQ(runs, 2);  // neither the query nor an update ran the command
  EXPECT_TRUE(target.DoCommand(ID_START));
  EXPECT_EQ(runs, 102);
}

TEST(CmdTarget, RangesPassTheIdentifierAndIgnoreReversedOrHugeBounds) {
  CTestTarget target;
  std::vector<tvr::UINT> commands;
  auto note = [&](tvr::UINT nID) { commands.push_back(nID); };
  target.OnCommandRange(33800, 33807, note);
  target.OnUpdateRange(33800, 33807, [](CTVRCmdUI* pCmdUI) { pCmdUI->SetCheck(int(pCmdUI->m_nID - 33800)); });
  target.OnCommandRange(20, 10, note);
  target.OnCommandRange(0, 0xFFFFFFFF, note);  // would fill memory
  target.OnCommandRange(0xFFFFFFFF, 0xFFFFFFFF, note);
  for (tvr::UINT id : {33799u, 33800u, 33807u, 33808u, 15u, 5u, 0xFFFFFFFFu}) target.DoCommand(id);
  EXPECT_EQ(commands, (std::vector<tvr::UINT>{33800, 33807, 0xFFFFFFFF}));
  CTVRCmdUI ui(33803);
  EXPECT_TRUE(target.DoUpdate(ui));
  EXPECT_EQ(ui.m_nCheck, 3);
}
