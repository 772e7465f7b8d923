// A reader window's placement as the settings keep it ("Placement", 44
// bytes): eleven little-endian 32-bit fields, the length (44), flags, the
// show state, the minimised and maximised positions and the normal rectangle
// (left, top, right, bottom) in the work area's coordinates. The value comes
// from a file a person may have edited: decoding takes any bytes.
#pragma once

#include <vector>

#include <tavric/types.h>

class CTVRWindowPlacement {
 public:
  static constexpr tvr::UINT SIZE = 44;
  enum EShow : int { SHOW_NORMAL = 1, SHOW_MINIMIZED = 2, SHOW_MAXIMIZED = 3 };
  // Beyond this many pixels from the origin, or as wide or high, a rectangle
  // is no window of this machine's screens.
  static constexpr int FAR_PIXELS = 100000;

  int m_nFlags = 0;
  int m_nShow = SHOW_NORMAL;
  int m_nMinX = -1, m_nMinY = -1;
  int m_nMaxX = -1, m_nMaxY = -1;
  int m_nLeft = 0, m_nTop = 0, m_nRight = 0, m_nBottom = 0;

  // FALSE, and the placement unchanged, for a record of another length.
  tvr::BOOL Decode(const std::vector<tvr::BYTE>& bytes);
  std::vector<tvr::BYTE> Encode() const;
  // The normal rectangle can be given to a window: not empty, not turned
  // inside out, not far off every screen.
  tvr::BOOL HasUsableRect() const;
};
