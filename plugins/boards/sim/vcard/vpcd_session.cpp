#include "vpcd_session.h"

#include <algorithm>

#include "sim_card.h"

namespace {

constexpr tvr::BYTE INS_GET_RESPONSE = 0xC0;
constexpr std::size_t HEADER = 4;

// A zero where a short APDU has its Lc or Le, and more after it.
bool IsExtended(const tvr::BYTE* apdu, std::size_t length) {
  return length > CTVRVpcdSession::MAX_APDU_LENGTH || (length >= HEADER + 3 && apdu[HEADER] == 0);
}

}  // namespace

void CTVRVpcdSession::Answer(const std::vector<tvr::BYTE>& bytes, std::vector<tvr::BYTE>& out) {
  out.push_back(tvr::BYTE(bytes.size() >> 8));
  out.push_back(tvr::BYTE(bytes.size()));
  out.insert(out.end(), bytes.begin(), bytes.end());
}

std::size_t CTVRVpcdSession::Feed(const tvr::BYTE* data, std::size_t length, std::vector<tvr::BYTE>& out) {
  const std::size_t before = m_nApdus;
  std::size_t at = 0;
  // A removal or a drop ends the exchange where it stands.
  while (data && at < length && m_Cue.m_eKind != CCue::CUE_REMOVE && m_Cue.m_eKind != CCue::CUE_DROP) {
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
      m_bDiscarding = m_nExpected > MAX_APDU_LENGTH && !m_bExtended;
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
    const CTVRVcardRules::CRule* pRule = m_pRules ? m_pRules->Match(message, length) : nullptr;
    const CTVRVcardRules::EAction action = pRule ? pRule->m_eAction : CTVRVcardRules::ACTION_CHAIN;
    if (pRule && action == CTVRVcardRules::ACTION_MUTE) return;
    if (pRule && action == CTVRVcardRules::ACTION_REMOVE) {
      m_Cue = {CCue::CUE_REMOVE, pRule->m_uArgument, pRule->m_bHasArgument};
      return;
    }
    std::vector<tvr::BYTE> answer;
    Answer(Respond(message, length, pRule), answer);
    if (pRule && action == CTVRVcardRules::ACTION_DROP) {
      // The length and some of the bytes: the driver waits for the rest.
      out.insert(out.end(), answer.begin(), answer.begin() + std::ptrdiff_t(answer.size() / 2));
      m_Cue = {CCue::CUE_DROP, 0, false};
      return;
    }
    if (pRule && action == CTVRVcardRules::ACTION_DELAY) m_Cue = {CCue::CUE_DELAY, pRule->m_uArgument, false};
    out.insert(out.end(), answer.begin(), answer.end());
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
      Answer(m_pRules && m_pRules->HasAtr() ? m_pRules->GetAtr() : m_Card.GetAtr(), out);
      break;
    default:
      ++m_nIgnored;
      break;
  }
}

std::vector<tvr::BYTE> CTVRVpcdSession::Respond(const tvr::BYTE* apdu, std::size_t length,
                                                const CTVRVcardRules::CRule* pRule) {
  if (IsExtended(apdu, length)) return m_bExtended ? ExtendedAnswer(apdu, length) : std::vector<tvr::BYTE>{0x67, 0x00};
  if (!m_Pending.empty() && length >= HEADER + 1 && apdu[1] == INS_GET_RESPONSE) return NextChunk(apdu[HEADER]);
  m_Pending.clear();
  const CTVRVcardRules::EAction action = pRule ? pRule->m_eAction : CTVRVcardRules::ACTION_MUTE;
  if (pRule && action == CTVRVcardRules::ACTION_LE) {
    // Le is the last byte of a case 2 or case 4 command; the card wants another.
    const bool hasLe = length == HEADER + 1 || (length > HEADER + 1 && length == HEADER + 2 + apdu[HEADER]);
    if (!hasLe || apdu[length - 1] != pRule->m_uArgument) return {0x6C, tvr::BYTE(pRule->m_uArgument)};
  }
  std::vector<tvr::BYTE> answer = m_Card.Process(apdu, length);
  const std::size_t chunk = pRule && action == CTVRVcardRules::ACTION_CHAIN ? pRule->m_uArgument : m_nChunk;
  // The card's own GET RESPONSE (after its own 61xx) is answered whole.
  if (chunk == 0 || answer.size() <= 2 || apdu[1] == INS_GET_RESPONSE) return answer;
  m_Pending = std::move(answer);
  m_nPendingChunk = chunk;
  return MoreData();
}

std::vector<tvr::BYTE> CTVRVpcdSession::MoreData() const {
  const std::size_t left = m_Pending.size() - 2;
  return {0x61, tvr::BYTE(std::min(left, m_nPendingChunk))};  // 256 is 00
}

std::vector<tvr::BYTE> CTVRVpcdSession::NextChunk(std::size_t le) {
  const std::size_t take = std::min({le == 0 ? std::size_t(256) : le, m_nPendingChunk, m_Pending.size() - 2});
  std::vector<tvr::BYTE> answer(m_Pending.begin(), m_Pending.begin() + std::ptrdiff_t(take));
  m_Pending.erase(m_Pending.begin(), m_Pending.begin() + std::ptrdiff_t(take));
  if (m_Pending.size() > 2) {
    const std::vector<tvr::BYTE> more = MoreData();
    answer.insert(answer.end(), more.begin(), more.end());
  } else {
    answer.insert(answer.end(), m_Pending.begin(), m_Pending.end());
    m_Pending.clear();
  }
  return answer;
}

std::vector<tvr::BYTE> CTVRVpcdSession::ExtendedAnswer(const tvr::BYTE* apdu, std::size_t length) const {
  const auto wrongLength = [] { return std::vector<tvr::BYTE>{0x67, 0x00}; };
  if (length < HEADER + 3) return wrongLength();
  const std::size_t field = std::size_t(apdu[HEADER + 1]) << 8 | apdu[HEADER + 2];
  std::vector<tvr::BYTE> answer;
  if (length == HEADER + 3) {
    // Case 2: Le alone, 0 for 65,536.
    const std::size_t le = std::min(field == 0 ? std::size_t(0x10000) : field, MAX_EXTENDED_DATA);
    answer.resize(le);
    for (std::size_t i = 0; i < le; ++i) answer[i] = tvr::BYTE(i);
  } else {
    // Cases 3 and 4: Lc, the data, and Le in two bytes or none.
    const std::size_t end = HEADER + 3 + field;
    if (field == 0 || (length != end && length != end + 2)) return wrongLength();
    answer.assign(apdu + HEADER + 3, apdu + std::min(end, HEADER + 3 + MAX_EXTENDED_DATA));
  }
  answer.push_back(0x90);
  answer.push_back(0x00);
  return answer;
}
