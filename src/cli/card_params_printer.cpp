#include "cli/card_params_printer.h"

#include "decode/card_slots.h"

std::string CTVRCardParamsPrinter::Text(const CTVRCardSlots& slots) {
  std::string text = std::string(CAPTION) + "\n" + CTVRCardSlots::ATR_ITEM + "\n";
  for (const std::string& line : slots.GetShownAtrLines()) text += CHILD_INDENT + line + "\n";
  text += slots.GetShownMaskLine() + "\n";
  return text;
}
