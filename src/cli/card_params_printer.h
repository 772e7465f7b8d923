// tavric-run --card-params: the card parameters bar as text, printed at the
// end of a run. The bar is a tree; its children are indented under their item.
#pragma once

#include <string>

class CTVRCardSlots;

class CTVRCardParamsPrinter {
 public:
  static constexpr const char* CAPTION = "Card Parameters";
  static constexpr const char* CHILD_INDENT = "    ";

  // The caption, " ATR :" with the shown slot's lines under it, and the
  // mask item; LF line ends.
  static std::string Text(const CTVRCardSlots& slots);
};
