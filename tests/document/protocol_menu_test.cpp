// The Protocol menu built from the registry and the selected protocol's own
// menu, the selection it leads to, and the route of commands and update
// queries that end at the protocol. (The menu rebuilt without doubles each
// time it opens, and "No availables commands": BoardMenuTest, tests/shell.)
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <tavric/resources.h>

#include "doc_fixture.h"
#include "document/board_doc_private.h"
#include "platform/menu_editor.h"

namespace {

// A menu as lines: "text [id]" with " checked", " disabled", " grayed" as
// flagged, "----" for a separator and "text >" for a popup.
class CLineMenu : public CTVRMenuEditor {
 public:
  int GetItemCount() const override { return int(m_Lines.size()); }
  void RemoveItem(int position) override {
    if (position >= 0 && position < GetItemCount()) m_Lines.erase(m_Lines.begin() + position);
  }
  void InsertItem(int position, const CTVRMenuItem& item, tvr::UINT flags) override {
    std::string line = item.m_strText + (item.IsPopup() ? " >" : " [" + std::to_string(item.m_nID) + "]");
    if (item.IsSeparator()) line = "----";
    for (const auto& [flag, word] :
         {std::pair{ITEM_CHECKED, " checked"}, {ITEM_DISABLED, " disabled"}, {ITEM_GRAYED, " grayed"}})
      if (flags & flag) line += word;
    m_Lines.insert(m_Lines.begin() + std::clamp(position, 0, GetItemCount()), line);
  }
  std::vector<std::string> m_Lines;
};

constexpr UINT kOwnMenuId = 4242;

// A protocol with a menu of its own, and the update of a command the document runs.
class CMenuProtocol : public CTVRTestProtocol {
 public:
  explicit CMenuProtocol(const std::string& name) {
    SetName(name);
    SetMenuId(0);
    SetAnswerLayout(ANSWER_MESSAGE_CODE);
    // The cyphering command is the document's; the protocol only greys and checks it.
    OnUpdate(ID_CRYPTO, [](CTVRCmdUI* ui) {
      ui->Enable(FALSE);
      ui->SetCheck(1);
    });
  }
};

class ProtocolMenu : public CTVRDocFixture {
 protected:
  void SetUp() override {
    CTVRDocFixture::SetUp();
    // The menu lists the whole registry: the test's own protocols only.
    CTVRBoardDocPrivate::Of(*m_pDoc).m_pProtocol = nullptr;
    RegisterMenu(kOwnMenuId, {{0, "&Own", {{5001, "Do it", {}}, {}, {0, "Sub", {{5002, "Inner", {}}}}}}});
    m_Menu.m_Lines = {"Before [100]", "Protocol [33800]", "After [101]"};
  }
  // Handed over to the registry, which deletes them.
  void Register(int count) {
    for (int i = 0; i < count; ++i) {
      m_Protocols.push_back(new CMenuProtocol("P" + std::to_string(i + 1)));
      m_Context.Host().AddProtocol(m_Protocols.back());
    }
  }
  // Opens the menu: the update of the item at position 1, as the shell runs it.
  CTVRCmdUI Open() {
    CTVRCmdUI ui(ID_PROTOCOL_FIRST);
    ui.m_bIsMenuItem = TRUE;
    ui.m_pMenu = &m_Menu;
    ui.m_nIndex = 1;
    ui.m_nIndexMax = m_Menu.GetItemCount();
    m_pDoc->DoUpdate(ui);
    return ui;
  }

  std::vector<CMenuProtocol*> m_Protocols;
  CLineMenu m_Menu;
};

// Choosing passes the connection on, and the toolbar button follows the menu.
TEST_F(ProtocolMenu, ThreeProtocolsTheSecondSelectedWithItsOwnCommands) {
  Register(3);
  m_Protocols[1]->SetMenuId(kOwnMenuId);
  CTVRBoardDocPrivate::Of(*m_pDoc).m_bConnected = TRUE;
  m_pDoc->DoCommand(ID_PROTOCOL_FIRST + 1);
  ASSERT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).m_pProtocol, m_Protocols[1]);
  EXPECT_EQ(m_Protocols[1]->GetConnected(), TRUE);
  EXPECT_EQ(m_Protocols[1]->m_SetStandardCalls.size(), 0u) << "a menu choice leaves the standard alone";

  const std::vector<std::string> expected = {"Before [100]",   "&1  P1 [33800]", "&2  P2 [33801] checked",
                                             "&3  P3 [33802]", "----",           "Do it [5001]",
                                             "----",           "Sub >",          "After [101]"};
  CTVRCmdUI ui = Open();
  EXPECT_EQ(m_Menu.m_Lines, expected);
  EXPECT_EQ(ui.m_nIndex, 8) << "the update goes on after the inserted items";
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).GetProtocolMenuCount(), 7);
  CTVRCmdUI button(ID_PROTOCOL_FIRST);
  m_pDoc->DoUpdate(button);
  EXPECT_TRUE(button.m_bEnabled);
}

TEST_F(ProtocolMenu, NineProtocolsAreListedButOnlyEightCanBeChosen) {
  Register(9);
  Open();
  ASSERT_EQ(m_Menu.GetItemCount(), 2 + 9 + 2);
  EXPECT_EQ(m_Menu.m_Lines[9], "&9  P9 [33808]");

  EXPECT_FALSE(m_pDoc->DoCommand(ID_PROTOCOL_FIRST + 8));
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).m_pProtocol, nullptr);
  EXPECT_TRUE(m_pDoc->DoCommand(ID_PROTOCOL_FIRST + 7));
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).m_pProtocol, m_Protocols[7]);
}

TEST_F(ProtocolMenu, NoProtocolAtAllGivesOneDisabledItemAndAChoiceThatDoesNothing) {
  CTVRCmdUI button(ID_PROTOCOL_FIRST);
  m_pDoc->DoUpdate(button);
  EXPECT_FALSE(button.m_bEnabled) << "a toolbar button waits for a built menu";

  Open();
  EXPECT_EQ(m_Menu.m_Lines, (std::vector<std::string>{"Before [100]", "No availables protocols [33800] disabled grayed",
                                                      "After [101]"}));
  EXPECT_TRUE(m_pDoc->DoCommand(ID_PROTOCOL_FIRST));
  EXPECT_EQ(CTVRBoardDocPrivate::Of(*m_pDoc).m_pProtocol, nullptr);
  EXPECT_FALSE(m_pDoc->DoCommand(5001)) << "no protocol to route a command to";
}

// (The protocol's own commands enabled, checked and run through the document:
// VertaHostCommands, tests/protocols.)
TEST_F(ProtocolMenu, UpdatesEndAtTheProtocolOrAtTheTargetThatRunsTheCommand) {
  Register(1);
  m_pDoc->DoCommand(ID_PROTOCOL_FIRST);

  // The document has a handler for the cyphering command but no update
  // handler: the protocol's update decides.
  CTVRCmdUI crypto(ID_CRYPTO);
  EXPECT_TRUE(m_pDoc->DoUpdate(crypto));
  EXPECT_EQ(std::make_tuple(crypto.m_bEnabled, crypto.m_nCheck), std::make_tuple(FALSE, 1));

  // A command nobody updates is still offered by the target that runs it.
  CTVRCmdUI start(ID_SCRIPT_STEP);
  m_pDoc->DoUpdate(start);
  EXPECT_FALSE(start.m_bEnabled) << "the document's own update handler is kept: not connected";
  CTVRCmdUI logSave(ID_LOGFILE_SAVE);
  logSave.m_bEnabled = FALSE;
  EXPECT_TRUE(m_pDoc->DoUpdate(logSave));
  EXPECT_TRUE(logSave.m_bEnabled);
}

}  // namespace
