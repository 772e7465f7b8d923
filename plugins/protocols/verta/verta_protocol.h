// The Verta protocol: the host-link framing of Verta readers (verta_frame.h),
// their description files (the generic answer layout: Command.txt and Error.txt),
// card selection, the GIE and EMV loopback tests (one LOOPBACK exchange each),
// and a menu of frequent reader commands.
#pragma once

#include <vector>

#include <tavric/protocol.h>
#include <tavric/resources.h>

// Commands of the protocol's own menu.
enum : tvr::UINT {
  ID_VERTA_RESET_CARD = 34200,
  ID_VERTA_POWER_OFF = 34201,
  ID_VERTA_CARD_STATUS = 34202,
  ID_VERTA_FIRMWARE = 34203,
  ID_VERTA_LOOPBACK_TEST = 34204,  // the GIE loopback
  ID_VERTA_LOOPBACK_EMV = 34205,
  ID_VERTA_SELECT_CARD_1 = 34210,  // to ID_VERTA_SELECT_CARD_1 + 5
};

// The host's protocol-side commands (its Protocol, Mode, Loopback, Standard
// Script and Select Card toolbars): the host has no handler for them and
// routes them, with their update queries, to the selected protocol.
enum : tvr::UINT {
  ID_HOST_MODE_STANDARD = 32775,
  ID_HOST_MODE_ENERGY_REQUEST = 32776,
  ID_HOST_MODE_ENERGY_CHAR = 32777,
  ID_HOST_LOOPBACK_GIE = 32783,
  ID_HOST_LOOPBACK_EMV = 32784,
  ID_HOST_STANDARD_ISO = 35000,
  ID_HOST_STANDARD_EMV = 35001,
  ID_HOST_MASK_NUMBER = 35002,
  ID_HOST_POWER_ON_5V = 35015,
  ID_HOST_POWER_ON_3V = 35016,
  ID_HOST_POWER_OFF = 35017,
  ID_HOST_SELECT_CARD_1 = 36011,  // to ID_HOST_SELECT_CARD_1 + 5
};

class CTVRVertaProtocol : public CTVRProtocol {
  TVR_DECLARE_DYNAMIC(CTVRVertaProtocol)

 public:
  static constexpr tvr::DWORD MENU_ID = 180;
  static constexpr tvr::BYTE CARD_COUNT = 6;

  CTVRVertaProtocol();
  ~CTVRVertaProtocol() override;

  // bytes[0] is the opcode, the rest its data.
  tvr::DWORD Command(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count) override;
  // The APDU goes to the selected card through EXCHANGE APDU.
  tvr::DWORD APDU(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count) override;

  tvr::BYTE GetOpcodeSelectCard() override;
  void SetSelectCard(tvr::BYTE card) override;
  tvr::BYTE GetSelectCard() override;
  void SetOldSelectCard(tvr::BYTE card) override;
  tvr::BYTE GetOldSelectCard() override;
  tvr::BYTE GetStandard() override;
  void SetStandard(tvr::BYTE standard) override;
  tvr::BYTE GetMode() override;

  int LpbGie(tvr::BYTE* answer, tvr::DWORD length) override;
  int LpbEmv(tvr::BYTE* answer, tvr::DWORD length) override;
  tvr::BYTE GetLpbActivated() override;
  void SetLpbActivated(tvr::BYTE state) override;
  int GetLpbStep() override;
  int GetErrorLpb(tvr::BYTE* answer, tvr::DWORD length) override;

  // The menu registered under MENU_ID; its first popup joins the Protocol menu.
  static CTVRMenu GetMenu();
  // The bytes the GIE loopback test sends after the LOOPBACK opcode.
  static std::vector<tvr::BYTE> GetLoopbackPattern();
  // The same for the EMV loopback test.
  static std::vector<tvr::BYTE> GetEmvLoopbackPattern();

  void OnResetCard();
  void OnPowerOff();
  void OnCardStatus();
  void OnFirmware();
  void OnLoopbackTest();
  void OnLoopbackEmv();
  void OnSelectCard(tvr::UINT nID);
  void OnUpdateConnected(CTVRCmdUI* pCmdUI);
  void OnUpdateSelectCard(CTVRCmdUI* pCmdUI);

  // The host's protocol-side commands.
  void OnHostSelectCard(tvr::UINT nID);
  void OnUpdateHostSelectCard(CTVRCmdUI* pCmdUI);
  void OnPowerOn(tvr::UINT nID);
  void OnUpdatePowerOn(CTVRCmdUI* pCmdUI);
  void OnStandard(tvr::UINT nID);
  void OnUpdateStandard(CTVRCmdUI* pCmdUI);
  void OnMode(tvr::UINT nID);
  void OnUpdateMode(CTVRCmdUI* pCmdUI);

 private:
  // Injects a one-off command into the active reader document, as the quick
  // commands do, so that it is framed, traced and decoded like a script line.
  void SendOneOff(std::vector<tvr::BYTE> command);
  void StartLoopback(tvr::BYTE test, const std::vector<tvr::BYTE>& pattern);
  int CheckLoopback(tvr::BYTE test, const std::vector<tvr::BYTE>& pattern, const tvr::BYTE* answer, tvr::DWORD length);

  tvr::BYTE m_bySelectCard = 1;
  tvr::BYTE m_byOldSelectCard = 1;
  tvr::BYTE m_byStandard = 0;
  tvr::BYTE m_byLpbActivated = 0;
  int m_nLpbStep = 0;
  tvr::UINT m_nPowerCommand = 0;  // the last Power On command given, 0 before any
  tvr::BYTE m_byMode = 0;         // 0 standard, 1 energy saving on request, 2 energy saving by character
};
