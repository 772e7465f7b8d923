// The font of both panes of a reader: "Courier", 13 pixels high, normal
// weight, fixed pitch. Where no Courier is installed, the platform's
// typewriter font stands in for it.
#pragma once

#include <QFont>

class CTVRFixedFont {
 public:
  static QFont Create();
};
