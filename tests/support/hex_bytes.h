// Bytes written in a test as hexadecimal pairs, spaced or not ("60 00 01",
// "600001"); a text that is no such pairs fails the test.
#pragma once

#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include <tavric/hex_text.h>

namespace tvr_test {

inline std::vector<tvr::BYTE> Hex(std::string_view text) {
  std::vector<tvr::BYTE> bytes;
  EXPECT_TRUE(CTVRHexText::ReadBytes(text, bytes, CTVRHexText::SPACES_BETWEEN_BYTES)) << text;
  return bytes;
}

}  // namespace tvr_test
