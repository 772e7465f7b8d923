// What the workspace needs of the windows that show documents: the desktop
// program's child frames, or the runner's stand-ins (CTVRHeadlessFrames).
#pragma once

#include <tavric/types.h>

class CTVRBoardDoc;
class CTVRRegistry;

class CTVRDocFrames {
 public:
  virtual ~CTVRDocFrames() = default;

  // Makes the window of a document being restored; FALSE when it cannot be made.
  virtual tvr::BOOL CreateFrame(CTVRBoardDoc& doc) = 0;
  // The document stands in a child frame of ours: the save loop stops at the
  // first document that does not.
  virtual tvr::BOOL HasFrame(const CTVRBoardDoc& doc) const = 0;
  // The frame's own values in the document's section (placement, row heights).
  virtual void LoadFrameState(CTVRBoardDoc& doc, CTVRRegistry& reg) = 0;
  virtual void SaveFrameState(CTVRBoardDoc& doc, CTVRRegistry& reg) = 0;
  // Makes the restored frame visible with its initial update.
  virtual void ShowFrame(CTVRBoardDoc& doc) = 0;
  // The document is about to be closed by the workspace.
  virtual void DestroyFrame(CTVRBoardDoc& doc) = 0;
};
