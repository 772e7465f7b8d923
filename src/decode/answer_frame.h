// One answer as the decoder reads it: the bytes, their count and the frame
// geometry of the selected protocol.
//
// Answers come from boards, and a board may hand over a frame shorter than the
// positions its protocol's geometry names. Nothing here reads past the answer:
// a byte at or beyond its length reads as 0, as it would from a board's
// zero-filled receive buffer, and a negative number of data bytes counts as 0.
#pragma once

#include <algorithm>

#include <tavric/types.h>

class CTVRProtocol;

class CTVRAnswerFrame {
 public:
  CTVRAnswerFrame(tvr::BYTE* bytes, tvr::DWORD length, const CTVRProtocol* pProtocol);

  tvr::BYTE* GetBytes() const { return m_pBytes; }
  tvr::DWORD GetLength() const { return m_dwLength; }
  tvr::DWORD GetHeader() const { return m_dwHeader; }    // h: position of the opcode
  tvr::DWORD GetData() const { return m_dwData; }        // d: position of the first data byte
  tvr::DWORD GetCount() const { return m_dwCount; }      // n: number of data bytes
  tvr::DWORD GetCheckLength() const { return m_dwLrc; }  // the check bytes that end the frame

  tvr::BYTE At(tvr::DWORD i) const { return i < m_dwLength ? m_pBytes[i] : 0; }
  // A byte of the board's buffer as it was handed over, also after a layout
  // shortened or hid the answer: the end-of-command rule reads these.
  tvr::BYTE AtBuffer(tvr::DWORD i) const { return i < m_dwBufferLength ? m_pBytes[i] : 0; }
  tvr::BYTE Opcode() const { return At(m_dwHeader); }
  tvr::BYTE FirstData() const { return At(m_dwData); }
  // The data bytes; they end at the answer's end whatever d says.
  tvr::BYTE* Data() const { return m_pBytes + std::min(m_dwData, m_dwLength); }
  // The data bytes without the two status bytes that end them.
  tvr::DWORD DataWithoutStatus() const { return m_dwCount > 2 ? m_dwCount - 2 : 0; }

  // A layout whose header is longer than the protocol says (the extended
  // "kiro" frame) moves h and d for the rest of the answer's handling.
  void ShiftHeader(tvr::DWORD extra);
  // The PC/SC layout shows the answer without its first bytes: they are moved
  // out of the caller's buffer, and a count above the length empties it.
  void DropFront(tvr::DWORD count);
  void Hide() { m_dwLength = 0; }

 private:
  void CountData();

  tvr::BYTE* m_pBytes;
  tvr::DWORD m_dwLength;
  tvr::DWORD m_dwBufferLength;
  tvr::DWORD m_dwHeader = 0;
  tvr::DWORD m_dwData = 0;
  tvr::DWORD m_dwLrc = 0;
  tvr::DWORD m_dwCount = 0;
};
