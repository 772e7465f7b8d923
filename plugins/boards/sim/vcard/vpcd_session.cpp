#include "vpcd_session.h"

#include <algorithm>

#include "sim_card.h"

void CTVRVpcdSession::Answer(const std::vector<tvr::BYTE>& bytes, std::vector<tvr::BYTE>& out) {
  out.push_back(tvr::BYTE(bytes.size() >> 8));
  out.push_back(tvr::BYTE(bytes.size()));
  out.insert(out.end(), bytes.begin(), bytes.end());
}

std::size_t CTVRVpcdSession::Feed(const tvr::BYTE* data, std::size_t length, std::vector<tvr::BYTE>& out) {
  const std::size_t before = m_nApdus;
  std::size_t at = 0;
  while (data && at < length) {
    if (m_nExpected == 0) {
      m_Length[m_nHave++] = data[at++];
      if (m_nHave < 2) continue;
      m_nHave = 0;
      m_nExpected = std::size_t(m_Length[0]) << 8 | m_Length[1];
      if (m_nExpected == 0) {
        // Nothing to act on; the driver never sends it, a stray peer might.
        ++m_nIgnored;
        continue;
      }
      m_bDiscarding = m_nExpected > MAX_APDU_LENGTH;
      m_Message.clear();
      continue;
    }
    const std::size_t take = std::min(length - at, m_nExpected - m_nHave);
    if (!m_bDiscarding) m_Message.insert(m_Message.end(), data + at, data + at + take);
    m_nHave += take;
    at += take;
    if (m_nHave < m_nExpected) continue;
    if (m_bDiscarding) {
      ++m_nApdus;
      Answer({0x67, 0x00}, out);
    } else {
      OnMessage(m_Message.data(), m_Message.size(), out);
    }
    m_nHave = 0;
    m_nExpected = 0;
    m_bDiscarding = false;
  }
  return m_nApdus - before;
}

void CTVRVpcdSession::OnMessage(const tvr::BYTE* message, std::size_t length, std::vector<tvr::BYTE>& out) {
  if (length > 1) {
    ++m_nApdus;
    Answer(m_Card.Process(message, length), out);
    return;
  }
  switch (message[0]) {
    case CONTROL_POWER_OFF:
      m_Card.PowerOff();
      m_bPowered = false;
      break;
    case CONTROL_POWER_ON:
    case CONTROL_RESET:
      m_Card.Reset();
      m_bPowered = true;
      break;
    case CONTROL_GET_ATR:
      Answer(m_Card.GetAtr(), out);
      break;
    default:
      ++m_nIgnored;
      break;
  }
}
