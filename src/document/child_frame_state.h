// What the child frame of a document keeps in the document's settings
// section: its window placement and the heights of its two rows (script
// editor above, trace below). The desktop frame applies and fills it; the
// runner only carries it through, so a bench saved by the runner reopens its
// windows where the desktop program left them.
#pragma once

#include <vector>

#include <tavric/types.h>

class CTVRRegistry;

class CTVRChildFrameState {
 public:
  // The platform's window-placement record is 44 bytes.
  static constexpr tvr::UINT PLACEMENT_SIZE = 44;

  std::vector<tvr::BYTE> m_Placement;
  int m_nRow0Cur = 0;
  int m_nRow0Min = 0;
  int m_nRow1Cur = 0;
  int m_nRow1Min = 0;
  // TRUE once loaded or filled by the frame: only then is there anything to save.
  tvr::BOOL m_bValid = FALSE;

  // Reads "Placement", "Row0.cur", "Row0.min", "Row1.cur", "Row1.min"; only
  // when all five are there (and the placement has its 44 bytes) does the
  // state change and become valid. Returns 1 in every case.
  int LoadState(CTVRRegistry& reg);
  // Writes the five values in that order, stopping at the first failure:
  // 1 only when all were written, 0 otherwise (also with nothing valid).
  int SaveState(CTVRRegistry& reg) const;
};
