// Every frame a document sends and receives, as a pcapng capture that
// Wireshark opens (docs/pcap.md). It is a view of the document: the frames
// are the trace's records of bytes sent and received, each stamped on the
// monotonic clock as the host sees it, and kept on disk as the capture grows
// (a private spool), so a night's loop costs no memory. A clear of the trace
// does not clear the capture: it holds every frame since it was attached.
// tavric-run --pcap and the desktop's File > Export > pcapng save it.
#pragma once

#include <cstdint>
#include <string>

#include <tavric/document.h>
#include <tavric/trace_record.h>
#include <tavric/types.h>

#include "trace/trace_spool.h"

class CTVRFrameCapture : public CTVRView {
 public:
  // Starts an empty capture; false when no spool could be made.
  bool Open();
  bool IsOpen() const { return m_Spool.IsOpen(); }

  // Acts on hint 16 (a trace record) only.
  void OnUpdate(CTVRView* pSender, tvr::LPARAM lHint, void* pHint) override;
  // A record of bytes sent or received becomes a packet; others are ignored.
  void AddRecord(const CTVRTraceRecord& record);

  // Packets written so far.
  std::uint64_t GetPacketCount() const { return m_nPackets; }
  // Writes the capture to `path`, replacing the file in one step; false when
  // it could not be written whole (the file is then left as it was).
  bool SaveTo(const std::string& path);

  // The time stamp of every packet: nanoseconds on the monotonic clock.
  static std::uint64_t Now();

 private:
  CTVRTraceSpool m_Spool;
  std::uint64_t m_nPackets = 0;
};
