#include "shell_frames.h"

#include <QMdiArea>

#include <tavric/board_doc.h>

#include "child_frame.h"
#include "contract/host_context.h"
#include "document/board_doc_private.h"
#include "document/child_frame_state.h"
#include "main_frame.h"

tvr::BOOL CTVRShellFrames::CreateFrame(CTVRBoardDoc& doc) {
  return m_Frame.AddDocumentFrame(&doc) != nullptr ? TRUE : FALSE;
}

tvr::BOOL CTVRShellFrames::HasFrame(const CTVRBoardDoc& doc) const {
  return m_Frame.FindFrame(&doc) != nullptr ? TRUE : FALSE;
}

void CTVRShellFrames::LoadFrameState(CTVRBoardDoc& doc, CTVRRegistry& reg) {
  CTVRChildFrame* pFrame = m_Frame.FindFrame(&doc);
  if (pFrame == nullptr) return;
  CTVRChildFrameState state;
  state.LoadState(reg);
  // All five values or nothing: a section that lacks one restores nothing.
  if (state.m_bValid == FALSE) return;
  pFrame->SetPlacement(state.m_Placement);
  pFrame->SetRows(state.m_nRow0Cur, state.m_nRow0Min, state.m_nRow1Cur, state.m_nRow1Min);
}

void CTVRShellFrames::SaveFrameState(CTVRBoardDoc& doc, CTVRRegistry& reg) {
  CTVRChildFrame* pFrame = m_Frame.FindFrame(&doc);
  if (pFrame == nullptr) return;
  CTVRChildFrameState state;
  state.m_Placement = pFrame->GetPlacement();
  state.m_nRow0Cur = pFrame->GetRowHeight(0);
  state.m_nRow0Min = pFrame->GetRowMinimum(0);
  state.m_nRow1Cur = pFrame->GetRowHeight(1);
  state.m_nRow1Min = pFrame->GetRowMinimum(1);
  state.m_bValid = TRUE;
  state.SaveState(reg);
}

void CTVRShellFrames::ShowFrame(CTVRBoardDoc& doc) {
  CTVRChildFrame* pFrame = m_Frame.FindFrame(&doc);
  if (pFrame == nullptr) return;
  // The title comes from the restored state, after the frame was made.
  pFrame->UpdateTitle();
  pFrame->show();
  m_Frame.GetMdiArea()->setActiveSubWindow(pFrame);
  CTVRBoardDocPrivate::Of(doc).GetHostContext()->Host().SetActiveDocument(&doc);
}

void CTVRShellFrames::DestroyFrame(CTVRBoardDoc& doc) {
  CTVRChildFrame* pFrame = m_Frame.FindFrame(&doc);
  if (pFrame == nullptr) return;
  // The workspace closes the document itself, through its template.
  pFrame->SetOwnsDocument(false);
  m_Frame.RemoveDocumentFrame(&doc);
}
