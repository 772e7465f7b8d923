#include "document/child_frame_state.h"

#include <tavric/registry.h>

int CTVRChildFrameState::LoadState(CTVRRegistry& reg) {
  std::vector<tvr::BYTE> placement;
  int row0Cur = 0, row0Min = 0, row1Cur = 0, row1Min = 0;
  // A hand-edited placement of another size would be applied as garbage: it
  // counts as missing.
  if (!reg.Read("Placement", placement) || placement.size() != PLACEMENT_SIZE || !reg.Read("Row0.cur", row0Cur) ||
      !reg.Read("Row0.min", row0Min) || !reg.Read("Row1.cur", row1Cur) || !reg.Read("Row1.min", row1Min))
    return 1;
  m_Placement = std::move(placement);
  m_nRow0Cur = row0Cur;
  m_nRow0Min = row0Min;
  m_nRow1Cur = row1Cur;
  m_nRow1Min = row1Min;
  m_bValid = TRUE;
  return 1;
}

int CTVRChildFrameState::SaveState(CTVRRegistry& reg) const {
  if (!m_bValid || m_Placement.size() != PLACEMENT_SIZE) return 0;
  return reg.Write("Placement", m_Placement.data(), PLACEMENT_SIZE) && reg.Write("Row0.cur", m_nRow0Cur) &&
                 reg.Write("Row0.min", m_nRow0Min) && reg.Write("Row1.cur", m_nRow1Cur) &&
                 reg.Write("Row1.min", m_nRow1Min)
             ? 1
             : 0;
}
