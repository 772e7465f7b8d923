#include "lpb_protocol.h"

#include <algorithm>

#include <tavric/messages.h>

#include "lpb_frame.h"

TVR_IMPLEMENT_DYNAMIC(CTVRLpbProtocol)

namespace {

std::vector<tvr::BYTE> Bytes(const char* text) {
  std::vector<tvr::BYTE> bytes;
  for (; *text; ++text) bytes.push_back(tvr::BYTE(*text));
  return bytes;
}

}  // namespace

CTVRLpbProtocol::CTVRLpbProtocol() {
  m_strName = "Loopback";
  m_dwMenuId = MENU_ID;
  m_Descriptor = {ANSWER_LOOPBACK, &CTVRLpbFrame::GetGeometry()};
  m_byHeaderLength = CTVRLpbFrame::HEADER_LENGTH;
  m_byOpCodeLength = 1;
  m_byLRCLength = 1;
  m_byProtocolErrorCode = LPB_NAK;
  m_dwMAXLengthStandardFrame = CTVRLpbFrame::MAX_DATA_LENGTH + 4;
  m_CmdCode.LoadFile("lpbcmd.txt");
  m_ErrorCode.LoadFile("lpberr.txt");
  OnCommand(ID_LPB_GIE, [this] { OnLoopbackGie(); });
  OnCommand(ID_LPB_EMV, [this] { OnLoopbackEmv(); });
  for (tvr::UINT id : {ID_LPB_GIE, ID_LPB_EMV}) OnUpdate(id, [this](CTVRCmdUI* pCmdUI) { OnUpdateConnected(pCmdUI); });
}

CTVRLpbProtocol::~CTVRLpbProtocol() = default;

std::vector<std::vector<tvr::BYTE>> CTVRLpbProtocol::GetSteps(tvr::BYTE test) {
  std::vector<std::vector<tvr::BYTE>> steps;
  if (test == 1) {
    // GIE: the byte values a link mangles first, a walking bit, then every value.
    std::vector<tvr::BYTE> all(256);
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = tvr::BYTE(i);
    std::vector<tvr::BYTE> alternate(32);
    for (std::size_t i = 0; i < alternate.size(); ++i) alternate[i] = i % 2 ? 0xAA : 0x55;
    steps.push_back(CTVRLpbFrame::Make(LPB_TEST_GIE, {0x00, 0xFF, 0x02, 0x03, 0x0D, 0x0A, 0x10, 0x15}));
    steps.push_back(CTVRLpbFrame::Make(LPB_TEST_GIE, alternate));
    steps.push_back(CTVRLpbFrame::Make(LPB_TEST_GIE, {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}));
    steps.push_back(CTVRLpbFrame::Make(LPB_TEST_GIE, std::vector<tvr::BYTE>(all.begin(), all.begin() + 255)));
  } else if (test == 2) {
    // EMV: the commands of a payment card session, echoed as the EMV loopback
    // application of a terminal test echoes them.
    std::vector<tvr::BYTE> selectPse{0x00, 0xA4, 0x04, 0x00, 0x0E};
    const std::vector<tvr::BYTE> pse = Bytes("1PAY.SYS.DDF01");
    selectPse.insert(selectPse.end(), pse.begin(), pse.end());
    selectPse.push_back(0x00);
    steps.push_back(CTVRLpbFrame::Make(LPB_TEST_EMV, selectPse));
    steps.push_back(CTVRLpbFrame::Make(LPB_TEST_EMV, {0x00, 0xB2, 0x01, 0x0C, 0x00}));
    steps.push_back(CTVRLpbFrame::Make(LPB_TEST_EMV, {0x80, 0xA8, 0x00, 0x00, 0x02, 0x83, 0x00, 0x00}));
  }
  return steps;
}

tvr::DWORD CTVRLpbProtocol::Command(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count) {
  if (!bytes || count == 0) return 0;
  const tvr::BYTE k = bytes[0];
  if (k == LPB_TEST_GIE || k == LPB_TEST_EMV) {
    const tvr::BYTE test = k == LPB_TEST_GIE ? 1 : 2;
    const std::vector<tvr::BYTE> first = GetSteps(test).front();
    // The host may ask for the length alone: the test starts when the frame is written.
    if (out && capacity >= first.size()) {
      std::copy(first.begin(), first.end(), out);
      m_byLpbActivated = test;
      m_nLpbStep = 0;
    }
    return tvr::DWORD(first.size());
  }
  return CTVRLpbFrame::Build(out, capacity, k, bytes + 1, count - 1);
}

tvr::WORD CTVRLpbProtocol::GetMsgCode(tvr::BYTE* bytes, tvr::DWORD length, int isCommand) {
  if (!bytes || length == 0) return 0;
  if (bytes[0] == LPB_STEP && length >= 4) return tvr::WORD(CLASS_STEP << 8 | bytes[2]);
  if (!isCommand && bytes[0] == LPB_NAK) return length >= 4 ? bytes[3] : 0;
  return tvr::WORD(CLASS_STATEMENT << 8 | bytes[0]);
}

int CTVRLpbProtocol::Check(tvr::BYTE test, const tvr::BYTE* answer, tvr::DWORD length) {
  if (m_byLpbActivated != test) return 0;
  const std::vector<std::vector<tvr::BYTE>> steps = GetSteps(test);
  const std::size_t step = std::size_t(m_nLpbStep);
  const bool echoed = answer && step < steps.size() && length == steps[step].size() &&
                      std::equal(steps[step].begin(), steps[step].end(), answer);
  if (!echoed) {
    SetLpbActivated(0);
    return 0;
  }
  if (step + 1 < steps.size()) {
    ++m_nLpbStep;
    return 0;
  }
  SetLpbActivated(0);
  return 1;
}

int CTVRLpbProtocol::LpbGie(tvr::BYTE* answer, tvr::DWORD length) {
  return Check(1, answer, length);
}
int CTVRLpbProtocol::LpbEmv(tvr::BYTE* answer, tvr::DWORD length) {
  return Check(2, answer, length);
}

void CTVRLpbProtocol::SetLpbActivated(tvr::BYTE state) {
  m_byLpbActivated = state;
  if (state == 0) m_nLpbStep = 0;
}

int CTVRLpbProtocol::GetErrorLpb(tvr::BYTE* answer, tvr::DWORD length) {
  return answer && length > 0 && answer[0] == LPB_NAK ? 1 : 0;
}

void CTVRLpbProtocol::StartLpb() {
  if (m_byLpbActivated == 0) return;
  const std::vector<std::vector<tvr::BYTE>> steps = GetSteps(m_byLpbActivated);
  if (std::size_t(m_nLpbStep) >= steps.size()) return;
  std::vector<tvr::BYTE> frame = steps[std::size_t(m_nLpbStep)];
  const tvr::HWND hWnd = GetActiveBoard();
  if (!hWnd) return;
  // A step is a one-off exchange: it does not move the script.
  SendMessage(hWnd, WM_COMMAND_TYPE, 1, 0);
  SendMessage(hWnd, WM_SEND_RAWDATA, reinterpret_cast<tvr::WPARAM>(frame.data()), tvr::LPARAM(frame.size()));
}

void CTVRLpbProtocol::Start(tvr::BYTE test) {
  m_byLpbActivated = test;
  m_nLpbStep = 0;
  StartLpb();
}

void CTVRLpbProtocol::OnUpdateConnected(CTVRCmdUI* pCmdUI) {
  pCmdUI->Enable(m_bConnected);
}

CTVRMenu CTVRLpbProtocol::GetMenu() {
  return {{0, "&Loopback", {{ID_LPB_GIE, "&GIE loopback test", {}}, {ID_LPB_EMV, "&EMV loopback test", {}}}}};
}
