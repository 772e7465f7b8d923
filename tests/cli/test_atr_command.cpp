// tavric-run atr: the bytes it takes from the command line (the text it
// prints: the runner's outcome table); and the card parameters as
// --card-params prints them.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/atr_command.h"
#include "cli/card_params_printer.h"
#include "decode/card_slots.h"

namespace {

using Bytes = std::vector<BYTE>;
using Args = std::vector<std::string>;

TEST(AtrCommand, BytesFromTheArguments) {
  const struct {
    Args args;
    Bytes bytes;        // when accepted
    const char* error;  // when refused
  } cases[] = {
      {{"3B", "02", "14", "50"}, {0x3B, 0x02, 0x14, 0x50}, nullptr},
      {{"3b021450"}, {0x3B, 0x02, 0x14, 0x50}, nullptr},
      {{"3B 02", "14 50"}, {0x3B, 0x02, 0x14, 0x50}, nullptr},
      {{"3F", "0"}, {0x3F, 0x00}, nullptr},
      {{"3B02"}, {0x3B, 0x02}, nullptr},
      {{"3B", "0G"}, {}, "'0G' is not a hexadecimal byte"},
      {{"3B", "021"}, {}, "'021' is not a hexadecimal byte"},
      {{"3B0"}, {}, "'3B0' has an odd number of hex digits"},
      {{"3B02X4"}, {}, "'3B02X4' is not hexadecimal"},
      {{"3B"}, {}, "an answer to reset needs at least two bytes, TS and T0"},
      {{}, {}, "an answer to reset needs at least two bytes, TS and T0"},
      {{" "}, {}, "an answer to reset needs at least two bytes, TS and T0"},
  };
  for (const auto& c : cases) {
    std::string joined;
    for (const std::string& a : c.args) joined += "[" + a + "]";
    SCOPED_TRACE(joined);
    Bytes bytes;
    std::string error;
    EXPECT_EQ(CTVRAtrCommand::ParseBytes(c.args, bytes, error), c.error == nullptr);
    if (c.error)
      EXPECT_EQ(error, c.error);
    else
      EXPECT_EQ(bytes, c.bytes);
  }
}

TEST(CardParamsPrinter, TheBarAsText) {
  CTVRCardSlots slots;
  EXPECT_EQ(CTVRCardParamsPrinter::Text(slots), "Card Parameters\n ATR :\n    no data\n Mask :\n");
  const BYTE atr[] = {0x3F, 0x01, 0x99};
  slots.SetAtr(atr, sizeof atr, 2);
  slots.SetMask(reinterpret_cast<const BYTE*>("V1"), 2, 0);
  slots.ShowSlot(2);
  EXPECT_EQ(CTVRCardParamsPrinter::Text(slots),
            "Card Parameters\n ATR :\n    TS  - 0x3F\n             Inverse Conv.\n    T0   - 0x01\n"
            "             Nbr of histo bytes : 0x01\n    Histo bytes : = 0x99 \n Mask : V1\n");
}

}  // namespace
