// Frames out of a byte stream. A serial line delivers bytes in pieces of any
// size; the cutter keeps them until they make a whole frame of the selected
// protocol (its frame geometry: where a frame may begin, its length, its
// checksum) and hands back, in the order of the line, the frames and the runs
// of bytes that make no good frame. Without a geometry (a protocol whose
// answers carry no length, or free reception) a frame is whatever arrived
// before the line fell silent.
//
// A frame whose checksum fails, or that the line left unfinished, loses only
// its first byte at a time: the bytes after it are searched again for a frame
// start, so the next good frame comes through even when a garbled length made
// the broken one look longer than it was.
#pragma once

#include <cstddef>
#include <vector>

#include <tavric/protocol_descriptor.h>
#include <tavric/types.h>

class CTVRFrameCutter {
 public:
  enum EKind {
    CUT_FRAME,      // a whole frame (or, without a geometry, what came before a silence)
    CUT_GARBLED,    // bytes that began a frame of the right length whose checksum failed
    CUT_TRUNCATED,  // bytes that began a frame the line left unfinished
    CUT_NOISE,      // bytes that begin no frame of the protocol
  };
  struct CPiece {
    EKind m_eKind;
    std::vector<tvr::BYTE> m_Bytes;
  };

  // Bytes kept at most before they go up as one piece: without a geometry,
  // a stream that never falls silent; with one, a run of bad bytes.
  static constexpr std::size_t MAX_PIECE = 4096;

  // A null geometry: frames end where the line falls silent.
  explicit CTVRFrameCutter(const CTVRFrameGeometry* pGeometry = nullptr) : m_pGeometry(pGeometry) {}

  void SetGeometry(const CTVRFrameGeometry* pGeometry) { m_pGeometry = pGeometry; }
  const CTVRFrameGeometry* GetGeometry() const { return m_pGeometry; }

  // Bytes as the line delivered them: the pieces they complete.
  std::vector<CPiece> Feed(const tvr::BYTE* bytes, std::size_t count);
  // The line was silent for the inter-byte timeout: nothing more belongs to
  // what is pending, so it is cut now, an unfinished frame included.
  std::vector<CPiece> Flush();
  // Bytes wait for more (the inter-byte timer has to run).
  bool IsPending() const { return m_nStart < m_Pending.size() || !m_Skipped.empty(); }
  void Clear();

 private:
  void Cut(bool bSilent, std::vector<CPiece>& out);
  void Skip(EKind why);
  void EmitSkipped(std::vector<CPiece>& out);

  const CTVRFrameGeometry* m_pGeometry;
  std::vector<tvr::BYTE> m_Pending;  // bytes from m_nStart on are not cut yet
  std::size_t m_nStart = 0;
  std::vector<tvr::BYTE> m_Skipped;  // bytes of no good frame, reported as one piece
  EKind m_eSkipped = CUT_NOISE;      // what the skipped run began with
};
