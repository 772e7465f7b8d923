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
//   Escape(4 to C, argument)   a fault on cue (sim_faults.h): the next frame
//                              garbled, unanswered, answered cut short, with a
//                              wrong check byte, late or with an error; the
//                              card pulled out, the reader gone, a storm of
//                              card events. Config(FA, code, argument) and
//                              tavric-run's --sim-fault arm them too.
// Each of them ends the running script statement once its answers are posted.
#pragma once

#include <string>
#include <vector>

#include <tavric/board_doc.h>
#include <tavric/resources.h>

#include "sim_delay_line.h"
#include "sim_faults.h"
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
    // 4 and on: the faults of CTVRSimFaults's table.
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
               CTVRSimDelayLine::Clock::time_point sent = CTVRSimDelayLine::Clock::time_point(), unsigned extraMs = 0);
  // The firmware's answers; those to a frame handed over at `sent` are timed
  // from then to their posting (after the latency, when there is one).
  void DeliverFrames(const std::vector<CTVRSimFirmware::Frame>& frames,
                     CTVRSimDelayLine::Clock::time_point sent = CTVRSimDelayLine::Clock::time_point(),
                     unsigned extraMs = 0);
  void Comment(const std::string& text);
  void SendComment(const std::string& text);
  // Board services end the statement themselves: their answers are not the
  // answer to a frame the document sent, so the decoder does not end it.
  void EndBoardCommand();
  // A fault of the table by its escape code, or a comment that there is none.
  void ArmFault(tvr::DWORD code, tvr::BYTE* data, tvr::DWORD length);
  unsigned CurrentDelay() const;
  const CTVRSimLink& Link() const;

  CTVRSimFirmware m_Firmware;
  unsigned m_uLatencyMs = 0;
  bool m_bLinkOpen = false;
  CTVRSimFaults m_Faults;
  CTVRSimDelayLine m_DelayLine;  // last: its thread stops before the rest goes
};
