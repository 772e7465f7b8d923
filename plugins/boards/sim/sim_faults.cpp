#include "sim_faults.h"

#include <algorithm>
#include <cstdio>

#include "verta_frame.h"

namespace {

using Frame = CTVRSimFirmware::Frame;

void Garble(CTVRSimExchange& x, unsigned) {
  x.m_Answers.push_back(x.m_Link.LinkError(x.m_pFrame, x.m_nLength));
}

void Mute(CTVRSimExchange&, unsigned) {}

void Truncate(CTVRSimExchange& x, unsigned bytes) {
  x.Process();
  if (x.m_Answers.empty()) return;
  // Never to nothing: an empty answer is no answer at all.
  Frame& last = x.m_Answers.back();
  last.resize(bytes < last.size() ? last.size() - bytes : 1);
}

void WrongChecksum(CTVRSimExchange& x, unsigned) {
  x.Process();
  if (!x.m_Answers.empty() && !x.m_Answers.back().empty()) x.m_Answers.back().back() ^= 0xFF;
}

void Late(CTVRSimExchange& x, unsigned ms) {
  x.Process();
  x.m_uDelayMs = ms;
}

void ErrorAnswer(CTVRSimExchange& x, unsigned code) {
  x.m_Answers.push_back(x.m_Link.ErrorAnswer(x.m_pFrame, x.m_nLength, tvr::BYTE(code)));
}

void RemoveCard(CTVRSimExchange& x, unsigned) {
  const int slot = x.m_Firmware.GetSelectedCard();
  const std::vector<Frame> events = x.m_Firmware.RemoveCard(slot);
  x.m_Answers = x.m_Link.CardEvent(x.m_Firmware, slot, false, events);
  x.Process();
}

void Disconnect(CTVRSimExchange& x, unsigned) {
  x.m_bDisconnect = true;
}

// A card-detect switch that bounces: removals and insertions of the selected
// card that never happened, the card staying where it is.
void Burst(CTVRSimExchange& x, unsigned count) {
  const int slot = x.m_Firmware.GetSelectedCard();
  for (unsigned i = 0; i < count; ++i) {
    const bool inserted = i % 2 == 1;
    const Frame event =
        CTVRVertaFrame::Make(VERTA_FRAME_ANSWER, VERTA_OP_CARD_EVENT, {tvr::BYTE(slot << 4 | (inserted ? 1 : 0))});
    for (Frame& frame : x.m_Link.CardEvent(x.m_Firmware, slot, inserted, {event}))
      x.m_Answers.push_back(std::move(frame));
  }
  x.Process();
}

constexpr unsigned kMaxByte = 0xFF;
constexpr unsigned kMaxCount = 0xFFFF;

// The comment of an armed fault: "#" replaced by the argument, and the unit
// after it singular for 1 ("the next 1 frame").
std::string ArmedText(const CTVRSimFaults::CRow& row, unsigned argument) {
  std::string text = row.m_pszArmed;
  const std::size_t at = text.find('#');
  if (at == std::string::npos) return text;
  char number[16];
  // "0x#": a code, in hexadecimal.
  const bool hex = at >= 2 && text.compare(at - 2, 2, "0x") == 0;
  std::snprintf(number, sizeof number, hex ? "%02X" : "%u", argument);
  text.replace(at, 1, number);
  for (const char* unit : {"frames", "bytes"}) {
    const std::size_t found = text.find(unit, at);
    if (argument == 1 && found != std::string::npos) text.erase(found + std::char_traits<char>::length(unit) - 1, 1);
  }
  return text;
}

bool ReadNumber(const std::string& text, unsigned& value) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  if (digits.empty() || digits.size() > 8) return false;
  unsigned long long v = 0;
  for (char c : digits) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (d < 0) return false;
    v = v * (hex ? 16 : 10) + unsigned(d);
  }
  if (v > 0xFFFFFFFFull) return false;
  value = unsigned(v);
  return true;
}

}  // namespace

const std::vector<CTVRSimFaults::CRow>& CTVRSimFaults::GetTable() {
  static const std::vector<CRow> table = {
      {0x04, "garble", 0, 0, false, "the next frame will be garbled", Garble},
      {0x05, "mute", 1, kMaxCount, true, "no answer to the next # frames", Mute},
      {0x06, "truncate", 1, kMaxCount, false, "the next answer loses its last # bytes", Truncate},
      {0x07, "checksum", 0, 0, false, "the next answer's check byte will be wrong", WrongChecksum},
      {0x08, "late", 1000, 60000, false, "the next answer comes # ms late", Late},
      {0x09, "error", VERTA_ERR_UNKNOWN_COMMAND, kMaxByte, false, "the next frame is answered with error 0x#",
       ErrorAnswer},
      {0x0A, "remove", 0, 0, false, "the selected card will be removed before the next frame", RemoveCard},
      {0x0B, "disconnect", 0, 0, false, "the reader will be disconnected at the next frame", Disconnect},
      {0x0C, "burst", 8, 256, false, "# unsolicited frames before the next answer", Burst},
  };
  return table;
}

const CTVRSimFaults::CRow* CTVRSimFaults::Find(tvr::DWORD escape) {
  for (const CRow& row : GetTable())
    if (row.m_dwEscape == escape) return &row;
  return nullptr;
}

std::string CTVRSimFaults::Arm(const CRow& row, unsigned argument, unsigned long long due) {
  if (argument > row.m_uMax) argument = row.m_uMax;
  if (row.m_bPerFrame && argument == 0) argument = 1;
  m_Armed.push_back({&row, argument, due});
  return ArmedText(row, argument);
}

std::string CTVRSimFaults::Arm(const CRow& row, const tvr::BYTE* argument, tvr::DWORD length) {
  unsigned value = row.m_uDefault;
  if (argument && length > 0) {
    value = 0;
    for (tvr::DWORD i = 0; i < length && i < 4; ++i) value = value << 8 | argument[i];
  }
  return Arm(row, value, m_nFrames + 1);
}

std::string CTVRSimFaults::ArmFromText(const std::string& text, std::vector<std::string>& armed) {
  std::size_t at = 0;
  while (true) {
    at = text.find_first_not_of(" \t", at);
    if (at == std::string::npos) return {};
    const std::size_t end = std::min(text.find_first_of(" \t", at), text.size());
    const std::string fault = text.substr(at, end - at);
    at = end;
    const std::size_t atSign = fault.find('@');
    const std::string head = fault.substr(0, atSign);
    const std::size_t colon = head.find(':');
    const std::string name = head.substr(0, colon);
    const CRow* pRow = nullptr;
    std::string names;
    for (const CRow& row : GetTable()) {
      if (name == row.m_pszName) pRow = &row;
      names += std::string(names.empty() ? "" : ", ") + row.m_pszName;
    }
    if (!pRow) return "no fault '" + name + "' (faults: " + names + ")";
    unsigned argument = pRow->m_uDefault;
    unsigned frame = 1;
    if (colon != std::string::npos && !ReadNumber(head.substr(colon + 1), argument))
      return "the fault '" + fault + "' needs a number after ':'";
    if (atSign != std::string::npos && (!ReadNumber(fault.substr(atSign + 1), frame) || frame == 0))
      return "the fault '" + fault + "' needs a frame number from 1 after '@'";
    armed.push_back(Arm(*pRow, argument, m_nFrames + frame) +
                    (frame > 1 ? " (at frame " + std::to_string(frame) + ")" : ""));
  }
}

void CTVRSimFaults::Reset() {
  m_Armed.clear();
  m_nFrames = 0;
}

void CTVRSimFaults::Apply(CTVRSimExchange& exchange) {
  ++m_nFrames;
  for (auto it = m_Armed.begin(); it != m_Armed.end(); ++it) {
    if (it->m_nDue > m_nFrames) continue;
    const CArmed fault = *it;
    m_Armed.erase(it);
    // A fault that lasts several frames hits the next one too.
    if (fault.m_pRow->m_bPerFrame && fault.m_uArgument > 1)
      m_Armed.push_front({fault.m_pRow, fault.m_uArgument - 1, m_nFrames + 1});
    fault.m_pRow->m_pfnApply(exchange, fault.m_uArgument);
    return;
  }
  exchange.Process();
}
