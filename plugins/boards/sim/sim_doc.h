// The simulated reader board: a reader firmware in software behind the board
// interface. It speaks the host link of the protocol that the document
// selected (sim_link.h): Verta, PC/SC, CCID, "kiro" or the loopback link. Answers are always posted, never delivered
// from inside Send, after the reader's latency (0 ms unless TAVRIC_SIM_LATENCY_MS or escape 3 sets one) plus the
// document's command delay when it is on.
//
// Board services:
//   Config(code, code1, data)  the Verta command `code` with data `code1`
//                              (unless FF) followed by `data`, straight to the
//                              firmware
//   Write(data)                the bytes as a frame, unchanged, to the firmware
//   Read(n)                    a comment with the first n registers (0: all)
//   Escape(1, slot)            inserts a card; Escape(2, slot) removes it
//   Escape(3, ms...)           sets the latency, big-endian milliseconds
//   Escape(4)                  the next frame is garbled on its way: the
//                              reader answers with its link error
// Each of them ends the running script statement once its answers are posted.
#pragma once

#include <string>
#include <vector>

#include <tavric/board_doc.h>
#include <tavric/resources.h>

#include "sim_delay_line.h"
#include "sim_firmware.h"
#include "sim_link.h"

class CTVRSimDoc : public CTVRBoardDoc {
  TVR_DECLARE_DYNCREATE(CTVRSimDoc)

 public:
  static constexpr tvr::UINT IDR_SIM = 2100;
  static constexpr unsigned MAX_LATENCY_MS = 60000;

  enum EEscape : tvr::DWORD {
    ESCAPE_INSERT_CARD = 1,
    ESCAPE_REMOVE_CARD = 2,
    ESCAPE_SET_LATENCY = 3,
    ESCAPE_GARBLE_NEXT_FRAME = 4,
  };

  static CTVRDocStrings GetDocStrings() { return {"Sim", "Simulated reader"}; }
  static CTVRMenu GetMenu();

  CTVRSimDoc();
  ~CTVRSimDoc() override;

  void Config(tvr::BYTE code, tvr::BYTE code1, tvr::BYTE* data, tvr::DWORD length) override;
  void Write(tvr::BYTE* data, tvr::DWORD length) override;
  void Read(tvr::DWORD count) override;
  void Escape(tvr::DWORD code, tvr::BYTE* data, tvr::DWORD length) override;
  tvr::BOOL Connect() override;
  tvr::BOOL Disconnect() override;
  tvr::BOOL Send(tvr::BYTE* frame, tvr::DWORD length) override;
  void OnScriptStop() override;

  CTVRSimFirmware& GetFirmware() { return m_Firmware; }
  unsigned GetLatency() const { return m_uLatencyMs; }
  void SetLatency(unsigned ms) { m_uLatencyMs = ms > MAX_LATENCY_MS ? MAX_LATENCY_MS : ms; }

 private:
  void Deliver(CTVRSimDelayLine::EKind kind, std::vector<tvr::BYTE> bytes,
               CTVRSimDelayLine::Clock::time_point sent = CTVRSimDelayLine::Clock::time_point());
  // The firmware's answers; those to a frame handed over at `sent` are timed
  // from then to their posting (after the latency, when there is one).
  void DeliverFrames(const std::vector<CTVRSimFirmware::Frame>& frames,
                     CTVRSimDelayLine::Clock::time_point sent = CTVRSimDelayLine::Clock::time_point());
  void Comment(const std::string& text);
  void SendComment(const std::string& text);
  // Board services end the statement themselves: their answers are not the
  // answer to a frame the document sent, so the decoder does not end it.
  void EndBoardCommand();
  unsigned CurrentDelay() const;
  const CTVRSimLink& Link() const;

  CTVRSimFirmware m_Firmware;
  unsigned m_uLatencyMs = 0;
  bool m_bLinkOpen = false;
  bool m_bGarbleNextFrame = false;
  CTVRSimDelayLine m_DelayLine;  // last: its thread stops before the rest goes
};
