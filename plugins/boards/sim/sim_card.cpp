#include "sim_card.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "triple_des.h"

namespace {

enum : tvr::BYTE {
  INS_SELECT = 0xA4,
  INS_READ_BINARY = 0xB0,
  INS_UPDATE_BINARY = 0xD6,
  INS_GET_RESPONSE = 0xC0,
  INS_GET_CHALLENGE = 0x84,
  INS_EXTERNAL_AUTHENTICATE = 0x82,
};

std::vector<tvr::BYTE> Sw(tvr::WORD sw) {
  return {tvr::BYTE(sw >> 8), tvr::BYTE(sw)};
}

std::vector<tvr::BYTE> WithSw(std::vector<tvr::BYTE> data, tvr::WORD sw) {
  data.push_back(tvr::BYTE(sw >> 8));
  data.push_back(tvr::BYTE(sw));
  return data;
}

// The body of a command APDU after its four header bytes, by ISO 7816-4 case
// (short lengths only).
struct CApduBody {
  bool m_bValid = false;
  std::size_t m_nLc = 0;
  const tvr::BYTE* m_pData = nullptr;
  bool m_bHasLe = false;
};

CApduBody ParseBody(const tvr::BYTE* apdu, std::size_t length) {
  CApduBody body;
  if (length == 4) {
    body.m_bValid = true;
  } else if (length == 5) {
    body.m_bValid = true;
    body.m_bHasLe = true;
  } else if (length > 5 && apdu[4] != 0) {
    body.m_nLc = apdu[4];
    body.m_pData = apdu + 5;
    if (length == 5 + body.m_nLc) {
      body.m_bValid = true;
    } else if (length == 6 + body.m_nLc) {
      body.m_bValid = true;
      body.m_bHasLe = true;
    }
  }
  return body;
}

std::vector<tvr::BYTE> Text(const char* text, std::size_t size) {
  std::vector<tvr::BYTE> data(size, 0);
  std::memcpy(data.data(), text, std::min(size, std::strlen(text)));
  return data;
}

}  // namespace

std::vector<tvr::BYTE> CTVRSimCard::GetT0Atr() {
  // TA1 96 (Fi 512, Di 32), TB1 00, TC1 00, ten historical bytes.
  return {0x3B, 0x7A, 0x96, 0x00, 0x00, 'T', 'V', 'R', '-', 'I', 'S', 'O', '-', '0', '1'};
}

std::vector<tvr::BYTE> CTVRSimCard::GetT1Atr() {
  std::vector<tvr::BYTE> atr{0x3B, 0xF8, 0x13, 0x00, 0x00, 0x81, 0x31, 0xFE, 0x45,
                             'T',  'V',  'R',  '-',  'T',  '1',  '-',  '3'};
  // T=1 is announced, so the answer ends with its check byte over T0..Tk.
  tvr::BYTE tck = 0;
  for (std::size_t i = 1; i < atr.size(); ++i) tck ^= atr[i];
  atr.push_back(tck);
  return atr;
}

std::vector<tvr::BYTE> CTVRSimCard::GetAuthenticationKey() {
  std::vector<tvr::BYTE> key(16);
  for (std::size_t i = 0; i < key.size(); ++i) key[i] = tvr::BYTE(0x40 + i);
  return key;
}

std::vector<tvr::BYTE> CTVRSimCard::GetInverseAtr() {
  return {0x3F, 0x65, 0x25, 0x00, 'T', 'V', 'R', '-', '4'};
}

CTVRSimCard::CTVRSimCard(std::vector<tvr::BYTE> atr, std::uint32_t seed)
    : m_Atr(std::move(atr)), m_uRandom(seed ? seed : 1) {
  std::vector<tvr::BYTE> counter(64);
  for (std::size_t i = 0; i < counter.size(); ++i) counter[i] = tvr::BYTE(i);
  m_Files = {
      {0x3F00, -1, true, false, {}},
      {0x2F01, 0, false, true, Text("TAVRIC SIM CARD SERIAL 00000001", 32)},
      {0x0001, 0, false, false, counter},
      {0x7F10, 0, true, false, {}},
      {0x6F01, 3, false, false, Text("HELLO FROM 7F10!", 16)},
  };
}

const std::vector<tvr::BYTE>& CTVRSimCard::Reset() {
  m_nCurrent = 0;
  m_PendingResponse.clear();
  m_Challenge.clear();
  m_bAuthenticated = false;
  return m_Atr;
}

tvr::WORD CTVRSimCard::GetCurrentFile() const {
  return m_Files[std::size_t(m_nCurrent)].m_wId;
}

std::vector<tvr::BYTE> CTVRSimCard::GetFileData(tvr::WORD fileId) const {
  for (const CFile& file : m_Files)
    if (file.m_wId == fileId && !file.m_bDf) return file.m_Data;
  return {};
}

std::vector<tvr::BYTE> CTVRSimCard::Process(const tvr::BYTE* apdu, std::size_t length) {
  if (!apdu || length < 4) return Sw(0x6700);
  const tvr::BYTE ins = apdu[1];
  // Only the command right after the 61xx may fetch the data.
  if (ins != INS_GET_RESPONSE) m_PendingResponse.clear();
  if ((apdu[0] & 0xF0) != 0) return Sw(0x6E00);
  switch (ins) {
    case INS_SELECT:
      return Select(apdu, length);
    case INS_READ_BINARY:
      return ReadBinary(apdu, length);
    case INS_UPDATE_BINARY:
      return UpdateBinary(apdu, length);
    case INS_GET_RESPONSE:
      return GetResponse(apdu, length);
    case INS_GET_CHALLENGE:
      return GetChallenge(apdu, length);
    case INS_EXTERNAL_AUTHENTICATE:
      return ExternalAuthenticate(apdu, length);
    default:
      return Sw(0x6D00);
  }
}

int CTVRSimCard::CurrentDf() const {
  const CFile& current = m_Files[std::size_t(m_nCurrent)];
  return current.m_bDf ? m_nCurrent : current.m_nParent;
}

// Selection by identifier reaches the MF, the current DF's children, its
// parent and the parent's children, as ISO 7816-4 allows.
int CTVRSimCard::FindFile(tvr::WORD fileId) const {
  if (fileId == 0x3F00) return 0;
  const int df = CurrentDf();
  const int parent = m_Files[std::size_t(df)].m_nParent;
  for (int scope : {df, parent}) {
    if (scope < 0) continue;
    for (std::size_t i = 0; i < m_Files.size(); ++i)
      if (m_Files[i].m_nParent == scope && m_Files[i].m_wId == fileId) return int(i);
  }
  if (parent >= 0 && m_Files[std::size_t(parent)].m_wId == fileId) return parent;
  return -1;
}

std::vector<tvr::BYTE> CTVRSimCard::Fci(const CFile& file) const {
  const tvr::BYTE id[2] = {tvr::BYTE(file.m_wId >> 8), tvr::BYTE(file.m_wId)};
  if (file.m_bDf) return {0x62, 0x07, 0x82, 0x01, 0x38, 0x83, 0x02, id[0], id[1]};
  const std::size_t size = file.m_Data.size();
  return {0x62, 0x0B, 0x82, 0x01, 0x01, 0x83, 0x02, id[0], id[1], 0x80, 0x02, tvr::BYTE(size >> 8), tvr::BYTE(size)};
}

std::vector<tvr::BYTE> CTVRSimCard::Select(const tvr::BYTE* apdu, std::size_t length) {
  const tvr::BYTE p1 = apdu[2], p2 = apdu[3];
  if (p1 != 0x00 || (p2 != 0x00 && p2 != 0x0C)) return Sw(0x6A86);
  const CApduBody body = ParseBody(apdu, length);
  if (!body.m_bValid || body.m_nLc != 2) return Sw(0x6700);
  const int index = FindFile(tvr::WORD(body.m_pData[0] << 8 | body.m_pData[1]));
  if (index < 0) return Sw(0x6A82);
  m_nCurrent = index;
  if (p2 == 0x0C) return Sw(0x9000);
  m_PendingResponse = Fci(m_Files[std::size_t(index)]);
  return Sw(tvr::WORD(0x6100 | m_PendingResponse.size()));
}

std::vector<tvr::BYTE> CTVRSimCard::ReadBinary(const tvr::BYTE* apdu, std::size_t length) {
  if (length != 5) return Sw(0x6700);
  if (apdu[2] & 0x80) return Sw(0x6A81);  // short EF identifiers are not supported
  const CFile& file = m_Files[std::size_t(m_nCurrent)];
  if (file.m_bDf) return Sw(0x6986);
  const std::size_t offset = std::size_t(apdu[2]) << 8 | apdu[3];
  if (offset >= file.m_Data.size()) return Sw(0x6B00);
  const std::size_t le = apdu[4] ? apdu[4] : 256;
  const std::size_t available = file.m_Data.size() - offset;
  if (le > available) return Sw(tvr::WORD(0x6C00 | (available & 0xFF)));
  return WithSw(std::vector<tvr::BYTE>(file.m_Data.begin() + std::ptrdiff_t(offset),
                                       file.m_Data.begin() + std::ptrdiff_t(offset + le)),
                0x9000);
}

std::vector<tvr::BYTE> CTVRSimCard::UpdateBinary(const tvr::BYTE* apdu, std::size_t length) {
  const CApduBody body = ParseBody(apdu, length);
  if (!body.m_bValid || body.m_nLc == 0 || body.m_bHasLe) return Sw(0x6700);
  if (apdu[2] & 0x80) return Sw(0x6A81);
  CFile& file = m_Files[std::size_t(m_nCurrent)];
  if (file.m_bDf) return Sw(0x6986);
  const std::size_t offset = std::size_t(apdu[2]) << 8 | apdu[3];
  if (offset >= file.m_Data.size()) return Sw(0x6B00);
  if (offset + body.m_nLc > file.m_Data.size()) return Sw(0x6700);
  if (file.m_bNeedsAuth && !m_bAuthenticated) return Sw(0x6982);
  std::memcpy(file.m_Data.data() + offset, body.m_pData, body.m_nLc);
  return Sw(0x9000);
}

std::vector<tvr::BYTE> CTVRSimCard::GetResponse(const tvr::BYTE* apdu, std::size_t length) {
  if (apdu[2] != 0 || apdu[3] != 0) return Sw(0x6A86);
  if (length != 5) return Sw(0x6700);
  if (m_PendingResponse.empty()) return Sw(0x6985);
  const std::size_t le = apdu[4] ? apdu[4] : 256;
  const std::size_t pending = m_PendingResponse.size();
  if (le > pending) return Sw(tvr::WORD(0x6C00 | (pending & 0xFF)));
  std::vector<tvr::BYTE> data(m_PendingResponse.begin(), m_PendingResponse.begin() + std::ptrdiff_t(le));
  m_PendingResponse.erase(m_PendingResponse.begin(), m_PendingResponse.begin() + std::ptrdiff_t(le));
  if (m_PendingResponse.empty()) return WithSw(std::move(data), 0x9000);
  return WithSw(std::move(data), tvr::WORD(0x6100 | (m_PendingResponse.size() & 0xFF)));
}

std::vector<tvr::BYTE> CTVRSimCard::GetChallenge(const tvr::BYTE* apdu, std::size_t length) {
  if (apdu[2] != 0 || apdu[3] != 0) return Sw(0x6A86);
  if (length != 5) return Sw(0x6700);
  const std::size_t le = apdu[4] ? apdu[4] : 256;
  m_Challenge.resize(le);
  for (tvr::BYTE& byte : m_Challenge) byte = NextRandom();
  return WithSw(m_Challenge, 0x9000);
}

// One try per challenge: a wrong cryptogram uses the challenge up, as a card
// that counts its failed attempts would.
std::vector<tvr::BYTE> CTVRSimCard::ExternalAuthenticate(const tvr::BYTE* apdu, std::size_t length) {
  const CApduBody body = ParseBody(apdu, length);
  if (!body.m_bValid || body.m_bHasLe || body.m_nLc < CTVRTripleDes::BLOCK) return Sw(0x6700);
  if (m_Challenge.empty()) return Sw(0x6985);
  std::vector<tvr::BYTE> expected;
  const bool computed =
      CTVRTripleDes::Cryptogram(GetAuthenticationKey(), m_Challenge.data(), m_Challenge.size(), body.m_nLc, expected);
  m_Challenge.clear();
  m_bAuthenticated = computed && std::equal(expected.begin(), expected.end(), body.m_pData);
  return Sw(m_bAuthenticated ? 0x9000 : 0x6300);
}

tvr::BYTE CTVRSimCard::NextRandom() {
  m_uRandom ^= m_uRandom << 13;
  m_uRandom ^= m_uRandom >> 17;
  m_uRandom ^= m_uRandom << 5;
  return tvr::BYTE(m_uRandom >> 24);
}
