#include "document/headless_frames.h"

#include <tavric/board_doc.h>

#include "contract/host_context.h"
#include "document/board_doc_private.h"

tvr::BOOL CTVRHeadlessFrames::CreateFrame(CTVRBoardDoc& doc) {
  m_States[&doc] = CTVRChildFrameState();
  return TRUE;
}

void CTVRHeadlessFrames::LoadFrameState(CTVRBoardDoc& doc, CTVRRegistry& reg) {
  m_States[&doc].LoadState(reg);
}

void CTVRHeadlessFrames::SaveFrameState(CTVRBoardDoc& doc, CTVRRegistry& reg) {
  // A document that never had frame values leaves the section without them:
  // the desktop frame then sizes itself as for a new window.
  auto it = m_States.find(&doc);
  if (it != m_States.end()) it->second.SaveState(reg);
}

void CTVRHeadlessFrames::ShowFrame(CTVRBoardDoc& doc) {
  // As in a window manager, the frame shown last is the one in front.
  CTVRBoardDocPrivate::Of(doc).GetHostContext()->Host().SetActiveDocument(&doc);
}

void CTVRHeadlessFrames::DestroyFrame(CTVRBoardDoc& doc) {
  m_States.erase(&doc);
}

const CTVRChildFrameState* CTVRHeadlessFrames::FindState(const CTVRBoardDoc& doc) const {
  auto it = m_States.find(&doc);
  return it != m_States.end() ? &it->second : nullptr;
}
