// Frames for a program without windows (the runner, tests): every document
// counts as framed, a restored document becomes the active one, and the
// frame values read from the settings are written back unchanged, so the
// desktop program finds its windows as it left them.
#pragma once

#include <map>

#include "document/child_frame_state.h"
#include "document/doc_frames.h"

class CTVRHeadlessFrames : public CTVRDocFrames {
 public:
  tvr::BOOL CreateFrame(CTVRBoardDoc& doc) override;
  tvr::BOOL HasFrame(const CTVRBoardDoc&) const override { return TRUE; }
  void LoadFrameState(CTVRBoardDoc& doc, CTVRRegistry& reg) override;
  void SaveFrameState(CTVRBoardDoc& doc, CTVRRegistry& reg) override;
  void ShowFrame(CTVRBoardDoc& doc) override;
  void DestroyFrame(CTVRBoardDoc& doc) override;

  // Null when the document has no frame state.
  const CTVRChildFrameState* FindState(const CTVRBoardDoc& doc) const;

 private:
  std::map<const CTVRBoardDoc*, CTVRChildFrameState> m_States;
};
