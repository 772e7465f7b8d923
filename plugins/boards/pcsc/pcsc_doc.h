// The PC/SC board: a reader that pcsc-lite knows, driven through the PC/SC
// protocol's answer layout (select the protocol "PC/SC"). The reader is the one
// the program names (tavric-run --reader), else the one stored with the
// document ("Reader" in its section), else the first reader of the list; a
// name not listed finds the reader listed under another index
// (CTVRPcscReplies::FindReader). Once the settings window has asked for the
// readers, a watch follows the readers list and refreshes an open settings
// window when a reader comes or goes.
//
// Board services:
//   Escape(code, data)   SCardControl with the CCID escape control code when
//                        code is 0, with `code` itself otherwise; the answer
//                        is the reader's response as a card result
//   Write(data)          the bytes as an APDU, like a statement
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <tavric/board_doc.h>
#include <tavric/resources.h>

#include "pcsc_link.h"
#include "pcsc_reader_watch.h"

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
  // Four settings, each used at the next Connect: "Reader", a choice among
  // the readers listed at that moment; "Sharing", shared or exclusive access;
  // "CardProtocol", the protocols SCardConnect may choose from;
  // "AnswerTimeout", the time limit of each call to the reader, in ms.
  tvr::BOOL HasSettings() const override { return TRUE; }
  void GetSettings(std::vector<CTVRBoardSetting>& settings) override;
  tvr::BOOL SetSetting(const std::string& name, const std::string& value) override;

  const std::string& GetReader() const { return m_strReader; }
  void SetReader(const std::string& reader) { m_strReader = reader; }

  // The readers the daemon lists now, in its order: what the settings window
  // offers and Connect chooses from. Empty with `error` set (the daemon's
  // text) when the list cannot be read; empty without when no reader is.
  static std::vector<std::string> ListCurrentReaders(std::string& error);

  // The answer timeout's bounds and default, in milliseconds.
  static constexpr unsigned MIN_ANSWER_TIMEOUT_MS = 100;
  static constexpr unsigned MAX_ANSWER_TIMEOUT_MS = 3600000;
  static constexpr unsigned DEFAULT_ANSWER_TIMEOUT_MS = 10000;

 private:
  unsigned CommandDelay() const;
  CTVRPcscLink::CAccess GetAccess() const;

  std::string m_strReader;                                  // stored with the document; empty: the first reader
  std::string m_strSharing;                                 // one of the sharing choices, stored as "Sharing"
  std::string m_strProtocol;                                // one of the protocol choices, stored as "CardProtocol"
  unsigned m_uAnswerTimeoutMs = DEFAULT_ANSWER_TIMEOUT_MS;  // stored as "AnswerTimeout"
  CTVRPcscReaderWatch m_ReaderWatch;
  // A new one for each connection: a link whose worker is stuck in a call
  // past the time limit lives on with it (pcsc_link.h).
  std::shared_ptr<CTVRPcscLink> m_pLink = std::make_shared<CTVRPcscLink>();
};
