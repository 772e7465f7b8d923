#include "verta_protocol.h"

#include <string>

#include <tavric/messages.h>

#include "verta_frame.h"

TVR_IMPLEMENT_DYNAMIC(CTVRVertaProtocol)

CTVRVertaProtocol::CTVRVertaProtocol() {
  m_strName = "Verta";
  m_dwMenuId = MENU_ID;
  m_Descriptor = {ANSWER_GENERIC, &CTVRVertaFrame::GetGeometry()};
  m_byMaskCode = VERTA_OP_GET_FIRMWARE;
  m_byHeaderLength = CTVRVertaFrame::HEADER_LENGTH;
  m_byLRCLength = CTVRVertaFrame::LRC_LENGTH;
  m_byOpCodeLength = CTVRVertaFrame::OPCODE_LENGTH;
  m_byProtocolErrorCode = VERTA_FRAME_ERROR;
  m_dwMAXLengthStandardFrame = CTVRVertaFrame::MAX_FRAME_LENGTH;

  OnCommand(ID_VERTA_RESET_CARD, [this] { OnResetCard(); });
  OnCommand(ID_VERTA_POWER_OFF, [this] { OnPowerOff(); });
  OnCommand(ID_VERTA_CARD_STATUS, [this] { OnCardStatus(); });
  OnCommand(ID_VERTA_FIRMWARE, [this] { OnFirmware(); });
  OnCommand(ID_VERTA_LOOPBACK_TEST, [this] { OnLoopbackTest(); });
  OnCommand(ID_VERTA_LOOPBACK_EMV, [this] { OnLoopbackEmv(); });
  OnCommandRange(ID_VERTA_SELECT_CARD_1, ID_VERTA_SELECT_CARD_1 + CARD_COUNT - 1,
                 [this](tvr::UINT nID) { OnSelectCard(nID); });
  for (tvr::UINT id : {ID_VERTA_RESET_CARD, ID_VERTA_POWER_OFF, ID_VERTA_CARD_STATUS, ID_VERTA_FIRMWARE,
                       ID_VERTA_LOOPBACK_TEST, ID_VERTA_LOOPBACK_EMV})
    OnUpdate(id, [this](CTVRCmdUI* pCmdUI) { OnUpdateConnected(pCmdUI); });
  OnUpdateRange(ID_VERTA_SELECT_CARD_1, ID_VERTA_SELECT_CARD_1 + CARD_COUNT - 1,
                [this](CTVRCmdUI* pCmdUI) { OnUpdateSelectCard(pCmdUI); });

  // The host's toolbars.
  OnCommandRange(ID_HOST_SELECT_CARD_1, ID_HOST_SELECT_CARD_1 + CARD_COUNT - 1,
                 [this](tvr::UINT nID) { OnHostSelectCard(nID); });
  OnUpdateRange(ID_HOST_SELECT_CARD_1, ID_HOST_SELECT_CARD_1 + CARD_COUNT - 1,
                [this](CTVRCmdUI* pCmdUI) { OnUpdateHostSelectCard(pCmdUI); });
  OnCommandRange(ID_HOST_POWER_ON_5V, ID_HOST_POWER_ON_3V, [this](tvr::UINT nID) { OnPowerOn(nID); });
  OnUpdateRange(ID_HOST_POWER_ON_5V, ID_HOST_POWER_ON_3V, [this](CTVRCmdUI* pCmdUI) { OnUpdatePowerOn(pCmdUI); });
  OnCommand(ID_HOST_POWER_OFF, [this] { OnPowerOff(); });
  OnCommand(ID_HOST_MASK_NUMBER, [this] { OnFirmware(); });
  OnCommand(ID_HOST_LOOPBACK_GIE, [this] { OnLoopbackTest(); });
  for (tvr::UINT id : {ID_HOST_POWER_OFF, ID_HOST_MASK_NUMBER, ID_HOST_LOOPBACK_GIE})
    OnUpdate(id, [this](CTVRCmdUI* pCmdUI) { OnUpdateConnected(pCmdUI); });
  // Verta readers have no EMV loopback: the button stays greyed.
  OnUpdate(ID_HOST_LOOPBACK_EMV, [](CTVRCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); });
  OnCommandRange(ID_HOST_STANDARD_ISO, ID_HOST_STANDARD_EMV, [this](tvr::UINT nID) { OnStandard(nID); });
  OnUpdateRange(ID_HOST_STANDARD_ISO, ID_HOST_STANDARD_EMV, [this](CTVRCmdUI* pCmdUI) { OnUpdateStandard(pCmdUI); });
  OnCommandRange(ID_HOST_MODE_STANDARD, ID_HOST_MODE_ENERGY_CHAR, [this](tvr::UINT nID) { OnMode(nID); });
  OnUpdateRange(ID_HOST_MODE_STANDARD, ID_HOST_MODE_ENERGY_CHAR, [this](CTVRCmdUI* pCmdUI) { OnUpdateMode(pCmdUI); });
}

CTVRVertaProtocol::~CTVRVertaProtocol() = default;

tvr::DWORD CTVRVertaProtocol::Command(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count) {
  if (count == 0 || !bytes) return 0;
  return CTVRVertaFrame::Build(out, capacity, VERTA_FRAME_COMMAND, bytes[0], bytes + 1, count - 1);
}

tvr::DWORD CTVRVertaProtocol::APDU(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count) {
  if (count == 0 || !bytes) return 0;
  return CTVRVertaFrame::Build(out, capacity, VERTA_FRAME_COMMAND, VERTA_OP_EXCHANGE_APDU, bytes, count);
}

tvr::BYTE CTVRVertaProtocol::GetOpcodeSelectCard() {
  return VERTA_OP_SELECT_CARD;
}
void CTVRVertaProtocol::SetSelectCard(tvr::BYTE card) {
  m_bySelectCard = card;
}
tvr::BYTE CTVRVertaProtocol::GetSelectCard() {
  return m_bySelectCard;
}
void CTVRVertaProtocol::SetOldSelectCard(tvr::BYTE card) {
  m_byOldSelectCard = card;
}
tvr::BYTE CTVRVertaProtocol::GetOldSelectCard() {
  return m_byOldSelectCard;
}
// The standard (0 ISO, 1 EMV) and the mode are settings of the host's
// toolbars that Verta readers apply on their own; the protocol keeps them so
// that the buttons show them checked and the document stores them back.
tvr::BYTE CTVRVertaProtocol::GetStandard() {
  return m_byStandard;
}
void CTVRVertaProtocol::SetStandard(tvr::BYTE standard) {
  m_byStandard = standard;
}
tvr::BYTE CTVRVertaProtocol::GetMode() {
  return m_byMode;
}

std::vector<tvr::BYTE> CTVRVertaProtocol::GetLoopbackPattern() {
  // Every byte value a link might mangle (00, FF, the frame types, CR, LF...)
  // within a pattern short enough for the slowest link.
  std::vector<tvr::BYTE> pattern(64);
  for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = tvr::BYTE(i * 0x45 + 0x11);
  return pattern;
}

std::vector<tvr::BYTE> CTVRVertaProtocol::GetEmvLoopbackPattern() {
  // SELECT of the payment system environment, as an EMV terminal sends it first.
  const char pse[] = "1PAY.SYS.DDF01";
  std::vector<tvr::BYTE> pattern{0x00, 0xA4, 0x04, 0x00, 0x0E};
  for (const char* p = pse; *p; ++p) pattern.push_back(tvr::BYTE(*p));
  pattern.push_back(0x00);
  return pattern;
}

int CTVRVertaProtocol::CheckLoopback(tvr::BYTE test, const std::vector<tvr::BYTE>& pattern, const tvr::BYTE* answer,
                                     tvr::DWORD length) {
  if (m_byLpbActivated != test) return 0;
  // One exchange is the whole test: whatever the answer, the test is over.
  m_byLpbActivated = 0;
  m_nLpbStep = 0;
  const std::vector<tvr::BYTE> expected =
      CTVRVertaFrame::Make(VERTA_FRAME_ANSWER, VERTA_OP_LOOPBACK, pattern.data(), pattern.size());
  if (!answer || length != expected.size()) return 0;
  for (tvr::DWORD i = 0; i < length; ++i)
    if (answer[i] != expected[i]) return 0;
  return 1;
}

int CTVRVertaProtocol::LpbGie(tvr::BYTE* answer, tvr::DWORD length) {
  return CheckLoopback(1, GetLoopbackPattern(), answer, length);
}

int CTVRVertaProtocol::LpbEmv(tvr::BYTE* answer, tvr::DWORD length) {
  return CheckLoopback(2, GetEmvLoopbackPattern(), answer, length);
}

tvr::BYTE CTVRVertaProtocol::GetLpbActivated() {
  return m_byLpbActivated;
}
void CTVRVertaProtocol::SetLpbActivated(tvr::BYTE state) {
  m_byLpbActivated = state;
  if (state == 0) m_nLpbStep = 0;
}
int CTVRVertaProtocol::GetLpbStep() {
  return m_nLpbStep;
}
int CTVRVertaProtocol::GetErrorLpb(tvr::BYTE* answer, tvr::DWORD length) {
  return answer && length > 0 && answer[0] == VERTA_FRAME_ERROR ? 1 : 0;
}

CTVRMenu CTVRVertaProtocol::GetMenu() {
  CTVRMenuItem selectCard{0, "Select &card", {}};
  for (tvr::UINT i = 0; i < CARD_COUNT; ++i)
    selectCard.m_children.push_back({ID_VERTA_SELECT_CARD_1 + i, "Card &" + std::to_string(i + 1), {}});
  CTVRMenuItem popup{0,
                     "&Verta",
                     {
                         {ID_VERTA_RESET_CARD, "&Reset card", {}},
                         {ID_VERTA_POWER_OFF, "&Power off card", {}},
                         {ID_VERTA_CARD_STATUS, "Card &status", {}},
                         {ID_VERTA_FIRMWARE, "&Firmware version", {}},
                         {ID_VERTA_LOOPBACK_TEST, "&Loopback test", {}},
                         {ID_VERTA_LOOPBACK_EMV, "&EMV loopback test", {}},
                         {},
                         selectCard,
                     }};
  return {popup};
}

void CTVRVertaProtocol::SendOneOff(std::vector<tvr::BYTE> command) {
  const tvr::HWND hWnd = GetActiveBoard();
  if (!hWnd) return;
  SendMessage(hWnd, WM_COMMAND_TYPE, 1, 0);
  SendMessage(hWnd, WM_SEND_COMMAND, reinterpret_cast<tvr::WPARAM>(command.data()), tvr::LPARAM(command.size()));
}

void CTVRVertaProtocol::OnResetCard() {
  SendOneOff({VERTA_OP_RESET_CARD});
}
void CTVRVertaProtocol::OnPowerOff() {
  m_nPowerCommand = 0;
  SendOneOff({VERTA_OP_POWER_OFF});
}
void CTVRVertaProtocol::OnCardStatus() {
  SendOneOff({VERTA_OP_CARD_STATUS});
}
void CTVRVertaProtocol::OnFirmware() {
  SendOneOff({VERTA_OP_GET_FIRMWARE});
}
void CTVRVertaProtocol::StartLoopback(tvr::BYTE test, const std::vector<tvr::BYTE>& pattern) {
  std::vector<tvr::BYTE> command{VERTA_OP_LOOPBACK};
  command.insert(command.end(), pattern.begin(), pattern.end());
  m_byLpbActivated = test;
  m_nLpbStep = 1;
  SendOneOff(std::move(command));
}
void CTVRVertaProtocol::OnLoopbackTest() {
  StartLoopback(1, GetLoopbackPattern());
}
void CTVRVertaProtocol::OnLoopbackEmv() {
  StartLoopback(2, GetEmvLoopbackPattern());
}
void CTVRVertaProtocol::OnSelectCard(tvr::UINT nID) {
  SendOneOff({VERTA_OP_SELECT_CARD, tvr::BYTE(nID - ID_VERTA_SELECT_CARD_1 + 1)});
}

void CTVRVertaProtocol::OnUpdateConnected(CTVRCmdUI* pCmdUI) {
  pCmdUI->Enable(m_bConnected);
}
void CTVRVertaProtocol::OnUpdateSelectCard(CTVRCmdUI* pCmdUI) {
  pCmdUI->Enable(m_bConnected);
  pCmdUI->SetCheck(pCmdUI->m_nID - ID_VERTA_SELECT_CARD_1 + 1 == m_bySelectCard ? 1 : 0);
}

void CTVRVertaProtocol::OnHostSelectCard(tvr::UINT nID) {
  OnSelectCard(nID - ID_HOST_SELECT_CARD_1 + ID_VERTA_SELECT_CARD_1);
}
void CTVRVertaProtocol::OnUpdateHostSelectCard(CTVRCmdUI* pCmdUI) {
  pCmdUI->Enable(m_bConnected);
  pCmdUI->SetCheck(pCmdUI->m_nID - ID_HOST_SELECT_CARD_1 + 1 == m_bySelectCard ? 1 : 0);
}

// A Verta reader chooses the card's class itself when it resets a card, so
// both Power On buttons send the same cold reset; the one pressed last stays
// checked until Power OFF.
void CTVRVertaProtocol::OnPowerOn(tvr::UINT nID) {
  m_nPowerCommand = nID;
  OnResetCard();
}
void CTVRVertaProtocol::OnUpdatePowerOn(CTVRCmdUI* pCmdUI) {
  pCmdUI->Enable(m_bConnected);
  pCmdUI->SetCheck(pCmdUI->m_nID == m_nPowerCommand ? 1 : 0);
}

void CTVRVertaProtocol::OnStandard(tvr::UINT nID) {
  m_byStandard = tvr::BYTE(nID - ID_HOST_STANDARD_ISO);
}
void CTVRVertaProtocol::OnUpdateStandard(CTVRCmdUI* pCmdUI) {
  pCmdUI->Enable(TRUE);
  pCmdUI->SetCheck(pCmdUI->m_nID - ID_HOST_STANDARD_ISO == m_byStandard ? 1 : 0);
}

void CTVRVertaProtocol::OnMode(tvr::UINT nID) {
  m_byMode = tvr::BYTE(nID - ID_HOST_MODE_STANDARD);
}
void CTVRVertaProtocol::OnUpdateMode(CTVRCmdUI* pCmdUI) {
  pCmdUI->Enable(TRUE);
  pCmdUI->SetCheck(pCmdUI->m_nID - ID_HOST_MODE_STANDARD == m_byMode ? 1 : 0);
}
