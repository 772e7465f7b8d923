#include "frame_cutter.h"

std::vector<CTVRFrameCutter::CPiece> CTVRFrameCutter::Feed(const tvr::BYTE* bytes, std::size_t count) {
  std::vector<CPiece> out;
  if (bytes && count) m_Pending.insert(m_Pending.end(), bytes, bytes + count);
  Cut(false, out);
  return out;
}

std::vector<CTVRFrameCutter::CPiece> CTVRFrameCutter::Flush() {
  std::vector<CPiece> out;
  Cut(true, out);
  return out;
}

void CTVRFrameCutter::Clear() {
  m_Pending.clear();
  m_nStart = 0;
  m_Skipped.clear();
}

void CTVRFrameCutter::Skip(EKind why) {
  if (m_Skipped.empty()) m_eSkipped = why;
  m_Skipped.push_back(m_Pending[m_nStart++]);
}

void CTVRFrameCutter::EmitSkipped(std::vector<CPiece>& out) {
  if (m_Skipped.empty()) return;
  out.push_back({m_eSkipped, std::move(m_Skipped)});
  m_Skipped.clear();
}

void CTVRFrameCutter::Cut(bool bSilent, std::vector<CPiece>& out) {
  if (!m_pGeometry) {
    // Without a length to go by, a piece is what came before a silence.
    while (m_Pending.size() - m_nStart >= MAX_PIECE) {
      const auto from = m_Pending.begin() + std::ptrdiff_t(m_nStart);
      out.push_back({CUT_FRAME, std::vector<tvr::BYTE>(from, from + std::ptrdiff_t(MAX_PIECE))});
      m_nStart += MAX_PIECE;
    }
    if (bSilent && m_nStart < m_Pending.size())
      out.push_back({CUT_FRAME, std::vector<tvr::BYTE>(m_Pending.begin() + std::ptrdiff_t(m_nStart), m_Pending.end())});
    if (bSilent) m_nStart = m_Pending.size();
  } else {
    while (m_nStart < m_Pending.size()) {
      const tvr::BYTE* p = m_Pending.data() + m_nStart;
      const std::size_t available = m_Pending.size() - m_nStart;
      const long length = m_pGeometry->m_pfnMeasure(p, available);
      if (length == CTVRFrameGeometry::FRAME_NONE || length < 0) {
        Skip(CUT_NOISE);
      } else if (length == CTVRFrameGeometry::FRAME_MORE || std::size_t(length) > available) {
        if (!bSilent) break;
        Skip(CUT_TRUNCATED);
      } else if (!m_pGeometry->m_pfnCheck(p, std::size_t(length))) {
        Skip(CUT_GARBLED);
      } else {
        EmitSkipped(out);
        out.push_back({CUT_FRAME, std::vector<tvr::BYTE>(p, p + length)});
        m_nStart += std::size_t(length);
        continue;
      }
      if (m_Skipped.size() >= MAX_PIECE) EmitSkipped(out);
    }
    if (bSilent) EmitSkipped(out);
  }
  // Cut bytes go; the uncut rest moves to the front now and then, not at every byte.
  if (m_nStart == m_Pending.size()) {
    m_Pending.clear();
    m_nStart = 0;
  } else if (m_nStart >= MAX_PIECE) {
    m_Pending.erase(m_Pending.begin(), m_Pending.begin() + std::ptrdiff_t(m_nStart));
    m_nStart = 0;
  }
}
