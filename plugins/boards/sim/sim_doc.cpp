#include "sim_doc.h"

#include <cstdlib>

#include <tavric/board_menu.h>
#include <tavric/board_options.h>
#include <tavric/hex_text.h>
#include <tavric/messages.h>
#include <tavric/prompts.h>
#include <tavric/protocol.h>
#include <tavric/trace_record.h>

#include "verta_frame.h"

TVR_IMPLEMENT_DYNCREATE(CTVRSimDoc)

namespace {

unsigned LatencyFromEnvironment() {
  const char* text = std::getenv("TAVRIC_SIM_LATENCY_MS");
  if (!text || !*text) return 0;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text, &end, 10);
  return end && *end == '\0' ? unsigned(value > CTVRSimDoc::MAX_LATENCY_MS ? CTVRSimDoc::MAX_LATENCY_MS : value) : 0;
}

}  // namespace

CTVRMenu CTVRSimDoc::GetMenu() {
  return TVRBoardMenu(false);
}

CTVRSimDoc::CTVRSimDoc() : m_uLatencyMs(LatencyFromEnvironment()) {}

CTVRSimDoc::~CTVRSimDoc() = default;

unsigned CTVRSimDoc::CurrentDelay() const {
  const CTVRDelayOptions& options = GetDelayOptions();
  return m_uLatencyMs + (options.m_bCommandDelay ? options.m_dwCommandDelay : 0);
}

void CTVRSimDoc::Deliver(CTVRSimDelayLine::EKind kind, std::vector<tvr::BYTE> bytes,
                         CTVRSimDelayLine::Clock::time_point sent, unsigned extraMs) {
  const tvr::HWND hWnd = GetDummyWindow()->GetSafeHwnd();
  const unsigned delay = CurrentDelay() + extraMs;
  // A direct post must not overtake what still waits on the delay line.
  if (delay == 0 && m_DelayLine.IsIdle())
    CTVRSimDelayLine::Deliver(hWnd, kind, bytes, sent);
  else
    m_DelayLine.Push(hWnd, kind, std::move(bytes), delay, sent);
}

void CTVRSimDoc::DeliverFrames(const std::vector<CTVRSimFirmware::Frame>& frames,
                               CTVRSimDelayLine::Clock::time_point sent, unsigned extraMs) {
  for (const CTVRSimFirmware::Frame& frame : frames) Deliver(CTVRSimDelayLine::KIND_ANSWER, frame, sent, extraMs);
}

void CTVRSimDoc::Comment(const std::string& text) {
  Deliver(CTVRSimDelayLine::KIND_COMMENT, std::vector<tvr::BYTE>(text.begin(), text.end()));
}

void CTVRSimDoc::SendComment(const std::string& text) {
  SendMessage(GetDummyWindow()->GetSafeHwnd(), WM_RECV_COMMENTS, reinterpret_cast<tvr::WPARAM>(text.c_str()),
              TRACE_COMMENT);
}

void CTVRSimDoc::EndBoardCommand() {
  if (IsRunning()) Deliver(CTVRSimDelayLine::KIND_END_COMMAND, {});
}

tvr::BOOL CTVRSimDoc::Connect() {
  if (std::getenv("TAVRIC_SIM_FAIL_CONNECT")) {
    TVRMessageBox(
        "The simulated reader could not be connected: the environment variable TAVRIC_SIM_FAIL_CONNECT is set.");
    return FALSE;
  }
  // The faults of the command line count their frames from the connection.
  m_Faults.Reset();
  const std::string faults = GetBoardOption("sim-fault");
  std::vector<std::string> armed;
  const std::string refused = m_Faults.ArmFromText(faults, armed);
  if (!refused.empty()) {
    m_Faults.Reset();
    TVRMessageBox("The simulated reader could not be connected: --sim-fault: " + refused + ".");
    return FALSE;
  }
  m_bLinkOpen = true;
  // Sent, not posted: the trace says so before the first frame of a run that
  // starts right after the connection.
  SendComment("Simulated reader connected\r\n");
  for (const std::string& text : armed) SendComment("Simulated reader: " + text + "\r\n");
  return TRUE;
}

tvr::BOOL CTVRSimDoc::Disconnect() {
  m_DelayLine.Clear();
  m_bLinkOpen = false;
  SendComment("Simulated reader disconnected\r\n");
  return TRUE;
}

const CTVRSimLink& CTVRSimDoc::Link() const {
  return CTVRSimLink::ForLayout(GetProtocol() ? GetProtocol()->GetDescriptor().m_eAnswerLayout : ANSWER_GENERIC);
}

tvr::BOOL CTVRSimDoc::Send(tvr::BYTE* frame, tvr::DWORD length) {
  if (!m_bLinkOpen) return FALSE;
  // The exchange is timed from here, the frame handed to the reader.
  const auto sent = CTVRSimDelayLine::Clock::now();
  const CTVRSimLink& link = Link();
  CTVRSimExchange exchange{m_Firmware, link, frame, frame ? std::size_t(length) : 0, {}};
  m_Faults.Apply(exchange);
  if (exchange.m_bDisconnect) {
    // The reader is gone before it answers: the host hears of it as of a
    // cable pulled out, in turn with what is still on its way.
    Deliver(CTVRSimDelayLine::KIND_DISCONNECTED, {});
    return TRUE;
  }
  DeliverFrames(exchange.m_Answers, sent, exchange.m_uDelayMs);
  // In a raw-data script any answer ends the statement; otherwise a link whose
  // answers the host does not match to their command needs the board to. A
  // mute reader ends nothing.
  if (link.EndsStatement() && GetScriptType() != SCRIPT_RAWDATA && !exchange.m_Answers.empty()) EndBoardCommand();
  return TRUE;
}

void CTVRSimDoc::OnScriptStop() {
  CTVRBoardDoc::OnScriptStop();
  // Answers still on their way belong to the exchange that was stopped.
  m_DelayLine.Clear();
}

void CTVRSimDoc::Config(tvr::BYTE code, tvr::BYTE code1, tvr::BYTE* data, tvr::DWORD length) {
  // Not a Verta opcode: the door of the faults for the register tool and
  // scripts that speak in configuration codes.
  if (code == CTVRSimFaults::CONFIG_FAULT) {
    ArmFault(code1, data, length);
    EndBoardCommand();
    return;
  }
  std::vector<tvr::BYTE> payload;
  payload.reserve(std::size_t(length) + 1);
  if (code1 != 0xFF) payload.push_back(code1);
  for (tvr::DWORD i = 0; data && i < length; ++i) payload.push_back(data[i]);
  const std::vector<tvr::BYTE> frame = CTVRVertaFrame::Make(VERTA_FRAME_COMMAND, code, payload);
  const auto sent = CTVRSimDelayLine::Clock::now();
  if (frame.empty())
    Comment("Simulated reader: configuration data too long\r\n");
  else
    DeliverFrames(m_Firmware.ProcessFrame(frame.data(), frame.size()), sent);
  EndBoardCommand();
}

void CTVRSimDoc::Write(tvr::BYTE* data, tvr::DWORD length) {
  const auto sent = CTVRSimDelayLine::Clock::now();
  DeliverFrames(m_Firmware.ProcessFrame(data, data ? length : 0), sent);
  EndBoardCommand();
}

void CTVRSimDoc::Read(tvr::DWORD count) {
  const tvr::DWORD total = CTVRSimFirmware::REGISTER_COUNT;
  const tvr::DWORD n = count == 0 || count > total ? total : count;
  std::string text = "Simulated reader registers:";
  for (tvr::DWORD i = 0; i < n; ++i) {
    if (i % 16 == 0) text += "\r\n" + CTVRHexText::ByteText(tvr::BYTE(i)) + ":";
    text += " " + CTVRHexText::ByteText(m_Firmware.GetRegister(tvr::BYTE(i)));
  }
  Comment(text + "\r\n");
  EndBoardCommand();
}

void CTVRSimDoc::ArmFault(tvr::DWORD code, tvr::BYTE* data, tvr::DWORD length) {
  const CTVRSimFaults::CRow* pRow = CTVRSimFaults::Find(code);
  if (pRow)
    Comment("Simulated reader: " + m_Faults.Arm(*pRow, data, length) + "\r\n");
  else
    Comment("Simulated reader: unknown escape code " + std::to_string(code) + "\r\n");
}

void CTVRSimDoc::Escape(tvr::DWORD code, tvr::BYTE* data, tvr::DWORD length) {
  const bool hasData = data && length > 0;
  switch (code) {
    case ESCAPE_INSERT_CARD:
    case ESCAPE_REMOVE_CARD: {
      const bool insert = code == ESCAPE_INSERT_CARD;
      const int slot = hasData ? data[0] : 0;
      if (slot < 1 || slot > CTVRSimFirmware::SLOT_COUNT) {
        Comment("Simulated reader: there is no slot " + std::to_string(slot) + "\r\n");
        break;
      }
      if (m_Firmware.IsCardPresent(slot) == insert) {
        Comment(std::string("Simulated reader: slot ") + std::to_string(slot) +
                (insert ? " already holds a card\r\n" : " holds no card\r\n"));
        break;
      }
      const auto events = insert ? m_Firmware.InsertCard(slot) : m_Firmware.RemoveCard(slot);
      const auto frames = Link().CardEvent(m_Firmware, slot, insert, events);
      if (!events.empty() && frames.empty())
        Comment(std::string("Simulated reader: card ") + (insert ? "inserted in" : "removed from") + " slot " +
                std::to_string(slot) + "\r\n");
      if (events.empty())
        Comment(std::string("Simulated reader: card ") + (insert ? "inserted in" : "removed from") + " slot " +
                std::to_string(slot) + ", its events are masked\r\n");
      DeliverFrames(frames);
      break;
    }
    case ESCAPE_SET_LATENCY: {
      unsigned ms = 0;
      for (tvr::DWORD i = 0; hasData && i < length && i < 4; ++i) ms = ms << 8 | data[i];
      SetLatency(ms);
      Comment("Simulated reader: answer latency " + std::to_string(m_uLatencyMs) + " ms\r\n");
      break;
    }
    default:
      ArmFault(code, data, length);
      break;
  }
  EndBoardCommand();
}
