// A protocol for tests: every field settable, a simple framing that puts the
// opcode (the first command byte) at frame byte 3, and a record of the card
// selection calls the host makes.
//
//   Command: 0x6F, length hi, length lo, bytes..., XOR of all previous bytes
//   APDU:    0x6F, length hi, length lo, 0x00, apdu..., XOR checksum
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <tavric/protocol.h>

class CTVRTestProtocol : public CTVRProtocol {
 public:
  static constexpr BYTE FRAME_TYPE = 0x6F;

  CTVRTestProtocol();

  void SetName(const std::string& name) { m_strName = name; }
  void SetMenuId(DWORD id) { m_dwMenuId = id; }
  void SetAnswerLayout(ETVRAnswerLayout layout) { m_Descriptor.m_eAnswerLayout = layout; }
  void SetHeaderLength(BYTE n) { m_byHeaderLength = n; }
  void SetLRCLength(BYTE n) { m_byLRCLength = n; }
  void SetOpCodeLength(BYTE n) { m_byOpCodeLength = n; }
  void SetProtocolErrorCode(BYTE code) { m_byProtocolErrorCode = code; }
  void SetMaskCode(BYTE code) { m_byMaskCode = code; }
  void SetMAXLengthStandardFrame(DWORD n) { m_dwMAXLengthStandardFrame = n; }
  // GetMsgCode answers from this function when it is set, 0 otherwise.
  void SetMsgCode(std::function<WORD(const BYTE*, DWORD, int)> fn) { m_MsgCode = std::move(fn); }
  // Direct access to the description tables, to fill them from a test's own files.
  CCmdCode& CmdTable() { return m_CmdCode; }
  CErrorCode& ErrorTable() { return m_ErrorCode; }

  DWORD Command(BYTE* out, DWORD capacity, BYTE* bytes, DWORD count) override;
  DWORD APDU(BYTE* out, DWORD capacity, BYTE* bytes, DWORD count) override;
  BYTE GetOpcodeSelectCard() override { return m_byOpcodeSelectCard; }
  void SetSelectCard(BYTE card) override;
  BYTE GetSelectCard() override { return m_bySelectCard; }
  BYTE GetStandard() override { return m_byStandard; }
  void SetStandard(BYTE standard) override;
  void SetOldSelectCard(BYTE card) override;
  BYTE GetOldSelectCard() override { return m_byOldSelectCard; }
  WORD GetMsgCode(BYTE* bytes, DWORD length, int isCommand) override;

  // Recorded calls, in order.
  std::vector<BYTE> m_SetSelectCardCalls;
  std::vector<BYTE> m_SetOldSelectCardCalls;
  std::vector<BYTE> m_SetStandardCalls;

 private:
  DWORD Frame(BYTE* out, DWORD capacity, const BYTE* prefix, DWORD prefixCount, const BYTE* bytes, DWORD count);

  BYTE m_byOpcodeSelectCard = 0x20;
  BYTE m_bySelectCard = 1;
  BYTE m_byOldSelectCard = 1;
  BYTE m_byStandard = 0;
  std::function<WORD(const BYTE*, DWORD, int)> m_MsgCode;
};

// A generic answer frame: type byte (0x60 for a command answer), two length
// bytes (opcode and data), the opcode, the data and an XOR checksum. Its opcode
// sits at byte 3 and its data from byte 4, as the answer decoder reads them
// with header length 3 and opcode length 1.
std::vector<BYTE> MakeAnswerFrame(BYTE type, BYTE opcode, const std::vector<BYTE>& data = {});
