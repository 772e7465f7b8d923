// The buttons of the toolbars as the user arranged them, packed into one
// value of the workspace next to the window state. Reading checks what it
// reads: a damaged value gives nothing, and the frame keeps its bars.
#pragma once

#include <map>
#include <vector>

#include <QByteArray>

#include <tavric/types.h>

class CTVRToolBarStore {
 public:
  // Toolbar identifier → its buttons in order, 0 for a separator.
  using Layout = std::map<tvr::UINT, std::vector<tvr::UINT>>;
  // Bounds on what is read back: more than this is damage, not a layout.
  static constexpr int MAX_BARS = 32;
  static constexpr int MAX_BUTTONS = 128;

  static QByteArray Pack(const Layout& layout);
  // FALSE, and layout empty, for a value that is not one Pack made.
  static bool Unpack(const QByteArray& bytes, Layout& layout);
};
