// The five quick commands: frames defined once in the Command Setting dialog
// and sent at a keystroke, outside any script run.
#include <iterator>
#include <string>
#include <vector>

#include <tavric/board_doc.h>
#include <tavric/messages.h>

#include "contract/host_context.h"
#include "document/board_doc_private.h"
#include "document/command_setting_dlg.h"
#include "document/quick_command.h"
#include "platform/user_prompts.h"

void CTVRBoardDocPrivate::OnCmdSetting() {
  CTVRCommandSettingDlg dlg(m_strQuickCommands);
  dlg.DoModal();
}

void CTVRBoardDocPrivate::SendQuickCommand(int n) {
  if (n < 0 || n >= CTVRCommandSettingDlg::COMMAND_COUNT) return;
  const std::string& text = m_strQuickCommands[n];
  if (text.empty()) {
    GetHostContext()->Prompts().MessageBox("Error : Command " + std::to_string(n + 1) + " unvalid !");
    return;
  }
  std::vector<BYTE> bytes = CTVRQuickCommand::ToBytes(text);
  // Sent synchronously, so the bytes need to live only for the call; the
  // frame is a command with command kind 1 whatever the script type is.
  const HWND hBoard = GetActiveBoard();
  SendMessage(hBoard, WM_COMMAND_TYPE, 1, 0);
  SendMessage(hBoard, WM_SEND_COMMAND, reinterpret_cast<WPARAM>(bytes.data()), LPARAM(bytes.size()));
}

void CTVRBoardDocPrivate::OnUpdateQuickCommand(int n, CTVRCmdUI* pCmdUI) {
  const bool usable =
      n >= 0 && n < CTVRCommandSettingDlg::COMMAND_COUNT && CTVRQuickCommand::IsUsable(m_strQuickCommands[n]);
  pCmdUI->Enable(m_bConnected && usable ? TRUE : FALSE);
}

const std::string& CTVRBoardDocPrivate::GetQuickCommand(int n) const {
  static const std::string none;
  return n >= 0 && n < CTVRCommandSettingDlg::COMMAND_COUNT ? m_strQuickCommands[n] : none;
}

void CTVRBoardDocPrivate::SetQuickCommand(int n, const std::string& text) {
  if (n >= 0 && n < CTVRCommandSettingDlg::COMMAND_COUNT) m_strQuickCommands[n] = text;
}

std::vector<std::string> CTVRBoardDocPrivate::GetQuickCommands() const {
  return std::vector<std::string>(std::begin(m_strQuickCommands), std::end(m_strQuickCommands));
}
