// The CCID protocol (menu identifier 184): the message layout of USB
// smart-card readers (ccid_frame.h), decoded by the host through the message
// codes below, named by ccidcmd.txt and cciderr.txt.
//
// GetMsgCode of a command sent: class 02, the PC_to_RDR message type as the
// code. Of an answer: a failed command is class 0 with the slot error
// (bError); a time extension is class 1 (the command goes on); anything else
// is the RDR_to_PC message type with the card's state (bStatus bits 0-1) as
// the code. GetExtraMsgCode of a data block: the card's status word (SW1 the
// class, SW2 the code) when it answers a block of APDU, class 03 when it
// carries an answer to reset; 0 otherwise. A message too short for its header
// is class FF.
#pragma once

#include <tavric/protocol.h>

class CTVRCcidProtocol : public CTVRProtocol {
  TVR_DECLARE_DYNAMIC(CTVRCcidProtocol)

 public:
  static constexpr tvr::DWORD MENU_ID = 184;
  static constexpr tvr::BYTE CLASS_COMMAND = 0x02;
  static constexpr tvr::BYTE CLASS_ATR = 0x03;
  static constexpr tvr::BYTE CLASS_UNREADABLE = 0xFF;

  CTVRCcidProtocol();
  ~CTVRCcidProtocol() override;

  // bytes[0] is the PC_to_RDR message type, the rest its data.
  tvr::DWORD Command(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count) override;
  // The APDU goes to the selected card in a PC_to_RDR_XfrBlock.
  tvr::DWORD APDU(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count) override;
  void SetSelectCard(tvr::BYTE card) override { m_bySelectCard = card; }
  tvr::BYTE GetSelectCard() override { return m_bySelectCard; }
  tvr::BYTE GetStandard() override { return m_byStandard; }
  void SetStandard(tvr::BYTE standard) override { m_byStandard = standard; }
  tvr::WORD GetMsgCode(tvr::BYTE* bytes, tvr::DWORD length, int isCommand) override;
  tvr::WORD GetExtraMsgCode(tvr::BYTE* answer, tvr::DWORD length, int isCommand) override;

 private:
  tvr::DWORD Frame(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE type, const tvr::BYTE* data, tvr::DWORD count);

  tvr::BYTE m_bySelectCard = 1;
  tvr::BYTE m_byStandard = 0;
  tvr::BYTE m_bySeq = 0;
  // The message type framed last, and whether the next command named is it
  // (a raw-data statement is named from its own first byte).
  tvr::BYTE m_byFramedType = 0;
  bool m_bFramed = false;
  // The type of the last command sent: it tells what a data block carries.
  tvr::BYTE m_byLastCommandType = 0;
};
