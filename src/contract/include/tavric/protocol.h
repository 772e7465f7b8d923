// The protocol object: how a reader's host link frames commands and APDUs,
// what it declares of itself (name, menu identifier, answer layout and frame
// geometry), its description tables and its optional features.
// A protocol plug-in derives from it, fills the fields in its constructor and
// registers one instance with AddProtocol(new ...); the host deletes it at exit.
#pragma once

#include <string>

#include <tavric/class_info.h>
#include <tavric/cmd_code.h>
#include <tavric/cmd_target.h>
#include <tavric/error_code.h>
#include <tavric/protocol_descriptor.h>
#include <tavric/types.h>

class TVR_API CTVRProtocol : public CTVRCmdTarget {
  TVR_DECLARE_DYNAMIC(CTVRProtocol)

 public:
  CTVRProtocol();
  ~CTVRProtocol() override;

  std::string GetName() const { return m_strName; }
  tvr::DWORD GetMenuId() const { return m_dwMenuId; }
  // The answer layout and frame geometry, which boards, the simulated reader
  // and the answer decoder go by.
  const CTVRProtocolDescriptor& GetDescriptor() const { return m_Descriptor; }
  CErrorCode* GetErrorCode() { return &m_ErrorCode; }
  CCmdCode* GetCmdCode() { return &m_CmdCode; }
  tvr::BYTE GetMaskCode() const { return m_byMaskCode; }
  tvr::BYTE GetProtocolErrorCode() const { return m_byProtocolErrorCode; }
  tvr::BYTE GetHeaderLength() const { return m_byHeaderLength; }
  tvr::BYTE GetLRCLength() const { return m_byLRCLength; }
  tvr::BYTE GetOpCodeLength() const { return m_byOpCodeLength; }
  tvr::DWORD GetMAXLengthStandardFrame() const { return m_dwMAXLengthStandardFrame; }

  // Written by the host: TRUE while the document that selected it is connected.
  int GetConnected() const { return m_bConnected; }
  void SetConnected(int connected) { m_bConnected = connected; }

  // Virtual operations, in this order. The base results are neutral.
  // Command and APDU write the frame into out (when out is given and capacity
  // suffices) and return its length, 0 when nothing is to be sent. The host
  // calls them with a buffer of 63 bytes, and again with one of the length
  // returned when that is larger.
  virtual tvr::DWORD Command(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count);
  virtual tvr::DWORD APDU(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count);
  virtual tvr::BYTE GetMode();
  virtual tvr::BYTE GetOpcodeSelectCard();
  virtual void SetSelectCard(tvr::BYTE card);
  virtual tvr::BYTE GetSelectCard();
  virtual tvr::BYTE GetStandard();
  virtual void SetStandard(tvr::BYTE standard);
  virtual void SetOldSelectCard(tvr::BYTE card);
  virtual tvr::BYTE GetOldSelectCard();  // 1 in the base
  // Message code of a frame: 1 for a command about to be sent, 0 for an answer.
  virtual tvr::WORD GetMsgCode(tvr::BYTE* bytes, tvr::DWORD length, int isCommand);
  virtual tvr::WORD GetExtraMsgCode(tvr::BYTE* answer, tvr::DWORD length, int isCommand);
  virtual int LpbGie(tvr::BYTE* answer, tvr::DWORD length);
  virtual int LpbEmv(tvr::BYTE* answer, tvr::DWORD length);
  virtual tvr::BYTE GetLpbActivated();  // 0 none, 1 GIE loopback, 2 EMV loopback
  virtual void SetLpbActivated(tvr::BYTE state);
  virtual int GetLpbStep();
  virtual int GetErrorLpb(tvr::BYTE* answer, tvr::DWORD length);
  virtual void StartLpb();

 protected:
  int m_bConnected = 0;
  std::string m_strName = "unknown protocol";
  tvr::DWORD m_dwMenuId = 0;
  CTVRProtocolDescriptor m_Descriptor;
  CErrorCode m_ErrorCode;
  CCmdCode m_CmdCode;
  tvr::BYTE m_byMaskCode = 0;
  tvr::BYTE m_byHeaderLength = 0;
  tvr::BYTE m_byLRCLength = 0;
  tvr::BYTE m_byOpCodeLength = 0;
  tvr::BYTE m_byProtocolErrorCode = 0;
  tvr::DWORD m_dwMAXLengthStandardFrame = 0;
};
