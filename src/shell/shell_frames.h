// The windows of the documents that the workspace restores, saves and closes:
// child frames of the main window. A restored frame takes its placement and
// row heights from the document's section; a section without them leaves it
// as a new window is made.
#pragma once

#include "document/doc_frames.h"

class CMainFrame;

class CTVRShellFrames : public CTVRDocFrames {
 public:
  explicit CTVRShellFrames(CMainFrame& frame) : m_Frame(frame) {}

  tvr::BOOL CreateFrame(CTVRBoardDoc& doc) override;
  tvr::BOOL HasFrame(const CTVRBoardDoc& doc) const override;
  void LoadFrameState(CTVRBoardDoc& doc, CTVRRegistry& reg) override;
  void SaveFrameState(CTVRBoardDoc& doc, CTVRRegistry& reg) override;
  void ShowFrame(CTVRBoardDoc& doc) override;
  void DestroyFrame(CTVRBoardDoc& doc) override;

 private:
  CMainFrame& m_Frame;
};
