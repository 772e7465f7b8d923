// The "kiro" protocol (menu identifier 189): frames of kiro_frame.h, named by
// kirocmd.txt (class D4, the host's frame identifier, and the command code)
// and kiroerr.txt. GET RELEASE (02) is the mask command: the host shows the
// release its answer carries.
#pragma once

#include <tavric/protocol.h>

class CTVRKiroProtocol : public CTVRProtocol {
  TVR_DECLARE_DYNAMIC(CTVRKiroProtocol)

 public:
  static constexpr tvr::DWORD MENU_ID = 189;

  CTVRKiroProtocol();
  ~CTVRKiroProtocol() override;

  // bytes[0] is the command code, the rest its data.
  tvr::DWORD Command(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count) override;
  // The APDU goes to the selected card with EXCHANGE APDU.
  tvr::DWORD APDU(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count) override;
  void SetSelectCard(tvr::BYTE card) override { m_bySelectCard = card; }
  tvr::BYTE GetSelectCard() override { return m_bySelectCard; }
  tvr::BYTE GetStandard() override { return m_byStandard; }
  void SetStandard(tvr::BYTE standard) override { m_byStandard = standard; }

 private:
  tvr::BYTE m_bySelectCard = 1;
  tvr::BYTE m_byStandard = 0;
};
