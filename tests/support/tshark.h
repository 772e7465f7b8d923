// Debian's tshark, reading back the pcapng captures the program writes.
#pragma once

#include <string>
#include <vector>

namespace tvr_test {

// Empty when tshark can be run; otherwise why not, for GTEST_SKIP.
std::string TsharkMissing();
// The fields asked for (tshark's -e names) of every packet of the file, one
// row a packet; a field the dissectors did not give is empty. No rows when
// tshark could not read the file.
std::vector<std::vector<std::string>> TsharkFields(const std::string& file, const std::vector<std::string>& fields);

}  // namespace tvr_test
