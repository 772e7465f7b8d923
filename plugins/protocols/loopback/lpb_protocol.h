// The loopback protocol (menu identifier 200): link tests run step by step.
//
// A test is a fixed list of steps (lpb_frame.h); each step goes out as one
// frame, and the reader's exact echo completes it. The host waits a second
// after each completed step and then calls StartLpb, which sends the next one;
// the last echo passes the test. A wrong echo or a refused step ends it.
//
// In a script of commands, a statement starts a test by its first byte: 47
// ('G') the GIE test, 45 ('E') the EMV test; any other first byte K sends one
// echo step with K and the rest of the statement as its data. The Loopback
// menu starts the tests too.
//
// The host loads no description file for this protocol; it loads its own,
// lpbcmd.txt and lpberr.txt, when it is created.
#pragma once

#include <vector>

#include <tavric/protocol.h>
#include <tavric/resources.h>

enum : tvr::UINT {
  ID_LPB_GIE = 34300,
  ID_LPB_EMV = 34301,
};

class CTVRLpbProtocol : public CTVRProtocol {
  TVR_DECLARE_DYNAMIC(CTVRLpbProtocol)

 public:
  static constexpr tvr::DWORD MENU_ID = 200;
  static constexpr tvr::BYTE CLASS_STEP = 0x10;
  static constexpr tvr::BYTE CLASS_STATEMENT = 0x11;

  CTVRLpbProtocol();
  ~CTVRLpbProtocol() override;

  tvr::DWORD Command(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count) override;
  tvr::BYTE GetStandard() override { return m_byStandard; }
  void SetStandard(tvr::BYTE standard) override { m_byStandard = standard; }
  // A step sent: class 10 with K as the code; a statement before framing:
  // class 11 with its first byte. An answer: class 10 with K for an echo,
  // class 0 with the error code for a refusal.
  tvr::WORD GetMsgCode(tvr::BYTE* bytes, tvr::DWORD length, int isCommand) override;
  int LpbGie(tvr::BYTE* answer, tvr::DWORD length) override;
  int LpbEmv(tvr::BYTE* answer, tvr::DWORD length) override;
  tvr::BYTE GetLpbActivated() override { return m_byLpbActivated; }
  void SetLpbActivated(tvr::BYTE state) override;
  int GetLpbStep() override { return m_nLpbStep; }
  int GetErrorLpb(tvr::BYTE* answer, tvr::DWORD length) override;
  void StartLpb() override;

  // The frames of a test, in order (1 GIE, 2 EMV).
  static std::vector<std::vector<tvr::BYTE>> GetSteps(tvr::BYTE test);
  static CTVRMenu GetMenu();

  void OnLoopbackGie() { Start(1); }
  void OnLoopbackEmv() { Start(2); }
  void OnUpdateConnected(CTVRCmdUI* pCmdUI);

 private:
  // Starts a test and sends its first step as a one-off command.
  void Start(tvr::BYTE test);
  int Check(tvr::BYTE test, const tvr::BYTE* answer, tvr::DWORD length);

  tvr::BYTE m_byStandard = 0;
  tvr::BYTE m_byLpbActivated = 0;
  int m_nLpbStep = 0;
};
