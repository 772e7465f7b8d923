// The PC/SC protocol (menu identifier 187): readers reached through PC/SC.
// A script for it is always raw data, sent as it is (pcsc_frame.h gives the
// answers); pcsccmd.txt names the APDUs sent by CLA and INS and the card
// results by their status word, pcscerr.txt the reader-side errors.
#pragma once

#include <tavric/protocol.h>

class CTVRPcscProtocol : public CTVRProtocol {
  TVR_DECLARE_DYNAMIC(CTVRPcscProtocol)

 public:
  static constexpr tvr::DWORD MENU_ID = 187;

  CTVRPcscProtocol();
  ~CTVRPcscProtocol() override;

  // Quick commands and tools may still ask for framing: the bytes go as they are.
  tvr::DWORD Command(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count) override;
  tvr::DWORD APDU(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count) override;
  // One card per PC/SC reader: its answer to reset goes to slot 1.
  tvr::BYTE GetSelectCard() override { return 1; }
  tvr::BYTE GetStandard() override { return m_byStandard; }
  void SetStandard(tvr::BYTE standard) override { m_byStandard = standard; }

 private:
  tvr::BYTE m_byStandard = 0;
};
