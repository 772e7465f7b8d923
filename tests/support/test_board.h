// A reader document for tests: it records everything the host asks of the
// board and, when a responder is set, answers each frame through the message
// queue, as a board on a receiving thread of its own would.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

#include <tavric/board_doc.h>

#include "test_protocol.h"

class CTVRTestBoard : public CTVRBoardDoc {
  TVR_DECLARE_DYNCREATE(CTVRTestBoard)

 public:
  // Answers to one frame; each is posted to the board's own window with
  // PostAnswer, after Send has returned.
  using Responder = std::function<std::vector<std::vector<BYTE>>(const BYTE* frame, DWORD n)>;

  struct ConfigCall {
    BYTE code;
    BYTE code1;
    std::vector<BYTE> data;
  };
  struct EscapeCall {
    DWORD code;
    std::vector<BYTE> data;
  };

  void Config(BYTE code, BYTE code1, BYTE* data, DWORD length) override;
  void Write(BYTE* data, DWORD length) override;
  void Read(DWORD count) override;
  void Escape(DWORD code, BYTE* data, DWORD length) override;
  BOOL Connect() override;
  BOOL Disconnect() override;
  BOOL Send(BYTE* frame, DWORD length) override;
  void OnScriptStop() override;
  BOOL HasSettings() const override { return !m_Settings.empty(); }
  void GetSettings(std::vector<CTVRBoardSetting>& settings) override;
  BOOL SetSetting(const std::string& name, const std::string& value) override;

  void SetResponder(Responder responder) { m_Responder = std::move(responder); }
  // The round-trip time the board reports with the answers to frame n (from
  // 0, in sending order), through ReportAnswer with a time; unset: untimed.
  std::function<std::chrono::nanoseconds(std::size_t n)> m_RoundTrip;
  // The usual reader: a command answer (0x60) that echoes the opcode at frame
  // byte 3 (0 for a frame too short to have one), so every statement ends.
  static Responder EchoResponder();

  // What Connect answers.
  BOOL m_bConnectResult = TRUE;

  // What the host asked, in order.
  std::vector<std::vector<BYTE>> m_Sent;
  std::vector<DWORD> m_SentCommandKinds;  // the document's command kind at each Send
  std::vector<ConfigCall> m_Configs;
  std::vector<std::vector<BYTE>> m_Writes;
  std::vector<DWORD> m_Reads;
  std::vector<EscapeCall> m_Escapes;
  int m_nConnectCalls = 0;
  int m_nDisconnectCalls = 0;
  int m_nScriptStopCalls = 0;

  // The settings the board describes (none unless a test gives some): a
  // value taken by SetSetting becomes its current value; "refused" is
  // refused. Each SetSetting call is recorded as name=value.
  std::vector<CTVRBoardSetting> m_Settings;
  std::vector<std::string> m_SettingCalls;

 private:
  Responder m_Responder;
};
