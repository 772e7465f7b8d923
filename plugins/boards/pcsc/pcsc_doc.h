// The PC/SC board: a reader that pcsc-lite knows, driven through the PC/SC
// protocol's answer layout (select the protocol "PC/SC"). The reader is the one
// the program names (tavric-run --reader), else the one stored with the
// document ("Reader" in its section), else the first reader of the list.
//
// Board services:
//   Escape(code, data)   SCardControl with the CCID escape control code when
//                        code is 0, with `code` itself otherwise; the answer
//                        is the reader's response as a card result
//   Write(data)          the bytes as an APDU, like a statement
#pragma once

#include <string>

#include <tavric/board_doc.h>
#include <tavric/resources.h>

#include "pcsc_link.h"

class CTVRPcscDoc : public CTVRBoardDoc {
  TVR_DECLARE_DYNCREATE(CTVRPcscDoc)

 public:
  static constexpr tvr::UINT IDR_PCSC = 2110;

  static CTVRDocStrings GetDocStrings() { return {"PCSC", "PC/SC reader"}; }
  static CTVRMenu GetMenu();

  CTVRPcscDoc();
  ~CTVRPcscDoc() override;

  tvr::BOOL LoadState(CTVRRegistry& reg) override;
  tvr::BOOL SaveState(CTVRRegistry& reg) override;
  void Write(tvr::BYTE* data, tvr::DWORD length) override;
  void Escape(tvr::DWORD code, tvr::BYTE* data, tvr::DWORD length) override;
  tvr::BOOL Connect() override;
  tvr::BOOL Disconnect() override;
  tvr::BOOL Send(tvr::BYTE* frame, tvr::DWORD length) override;
  void OnScriptStop() override;
  // Three settings, each used at the next Connect: "Reader", a choice among
  // the readers listed at that moment; "Sharing", shared or exclusive access;
  // "CardProtocol", the protocols SCardConnect may choose from.
  tvr::BOOL HasSettings() const override { return TRUE; }
  void GetSettings(std::vector<CTVRBoardSetting>& settings) override;
  tvr::BOOL SetSetting(const std::string& name, const std::string& value) override;

  const std::string& GetReader() const { return m_strReader; }
  void SetReader(const std::string& reader) { m_strReader = reader; }

 private:
  unsigned CommandDelay() const;
  CTVRPcscLink::CAccess GetAccess() const;

  std::string m_strReader;    // stored with the document; empty: the first reader
  std::string m_strSharing;   // one of the sharing choices, stored as "Sharing"
  std::string m_strProtocol;  // one of the protocol choices, stored as "CardProtocol"
  CTVRPcscLink m_Link;        // last: its threads stop before the rest goes
};
