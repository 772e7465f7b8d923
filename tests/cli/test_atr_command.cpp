// tavric-run atr: the bytes it takes from the command line (the text it
// prints: the runner's outcome table; the card parameters as --card-params
// prints them: the scenario cases run_card_params and verta_loop_atr).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/atr_command.h"

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

}  // namespace
