#include "trace/frame_capture.h"

#include <chrono>

#include <tavric/board_doc.h>
#include <tavric/protocol.h>
#include <tavric/protocol_descriptor.h>

#include "trace/pcapng_writer.h"

bool CTVRFrameCapture::Open() {
  m_nPackets = 0;
  if (!m_Spool.Open()) return false;
  m_Spool.Append(CTVRPcapngWriter::FileHeader());
  return true;
}

void CTVRFrameCapture::OnUpdate(CTVRView*, tvr::LPARAM lHint, void* pHint) {
  if (!(lHint & HINT_TRACE_RECORD) || pHint == nullptr) return;
  AddRecord(*static_cast<const CTVRTraceRecord*>(pHint));
}

void CTVRFrameCapture::AddRecord(const CTVRTraceRecord& record) {
  if (record.m_nKind != TRACE_SENT && record.m_nKind != TRACE_RECEIVED) return;
  // An answer the trace shows empty (a power-down's) carries nothing to decode.
  if (!m_Spool.IsOpen() || record.m_dwCount == 0) return;
  const std::uint64_t now = Now();
  const auto direction =
      record.m_nKind == TRACE_SENT ? CTVRPcapngWriter::DIRECTION_SENT : CTVRPcapngWriter::DIRECTION_RECEIVED;
  // The frames of the PC/SC layout are APDUs (the trace shows the answer
  // without the reader's two bytes before it); every other layout's are the
  // reader protocol's own frames.
  const auto* pDoc = dynamic_cast<const CTVRBoardDoc*>(GetDocument());
  const CTVRProtocol* pProtocol = pDoc != nullptr ? pDoc->GetProtocol() : nullptr;
  if (pProtocol != nullptr && pProtocol->GetDescriptor().m_eAnswerLayout == ANSWER_PCSC) {
    m_Spool.Append(CTVRPcapngWriter::ApduPacket(now, direction, record.m_pData, record.m_dwCount));
  } else {
    const std::string name = pProtocol != nullptr ? pProtocol->GetName() : std::string();
    m_Spool.Append(CTVRPcapngWriter::FramePacket(now, direction, record.m_pData, record.m_dwCount, name));
  }
  ++m_nPackets;
}

bool CTVRFrameCapture::SaveTo(const std::string& path) {
  return m_Spool.SaveTo(path);
}

std::uint64_t CTVRFrameCapture::Now() {
  return std::uint64_t(
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}
