#include "decode/answer_frame.h"

#include <cstring>

#include <tavric/protocol.h>

CTVRAnswerFrame::CTVRAnswerFrame(tvr::BYTE* bytes, tvr::DWORD length, const CTVRProtocol* pProtocol)
    : m_pBytes(bytes), m_dwLength(bytes ? length : 0), m_dwBufferLength(m_dwLength) {
  if (pProtocol) {
    m_dwHeader = pProtocol->GetHeaderLength();
    // The data position is a byte: a header and opcode of 256 bytes or more wrap.
    m_dwData = tvr::BYTE(pProtocol->GetHeaderLength() + pProtocol->GetOpCodeLength());
    m_dwLrc = pProtocol->GetLRCLength();
  }
  CountData();
}

void CTVRAnswerFrame::CountData() {
  const tvr::DWORD frameEnd = m_dwData + m_dwLrc;
  m_dwCount = m_dwLength > frameEnd ? m_dwLength - frameEnd : 0;
}

void CTVRAnswerFrame::ShiftHeader(tvr::DWORD extra) {
  m_dwHeader += extra;
  m_dwData += extra;
  CountData();
}

void CTVRAnswerFrame::DropFront(tvr::DWORD count) {
  if (count >= m_dwLength) {
    m_dwLength = 0;
  } else {
    std::memmove(m_pBytes, m_pBytes + count, m_dwLength - count);
    m_dwLength -= count;
  }
  CountData();
}
