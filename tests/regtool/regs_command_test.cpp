// What `tavric-run regs` prints for an index (a valid file, a file with an
// error or with notes: the scenario cases regs_*.par).
#include <gtest/gtest.h>

#include <string>

#include "cli/regs_command.h"
#include "memory_file.h"
#include "test_context.h"

namespace {

struct COutput {
  int status;
  std::string out;
  std::string err;
};

COutput RunRegs(const std::string& path) {
  CTVRTestContext context;
  tvr_test::CMemoryFile out, err;
  const int status = CTVRRegsCommand::Run(context, path, out.Get(), err.Get());
  return {status, out.Close(), err.Close()};
}

TEST(RegsCommand, PrintsAnIndexWithItsEntries) {
  const std::string list = std::string(TAVRIC_SOURCE_DATA_DIR) + "/RegPar/List.par";
  const COutput printed = RunRegs(list);
  EXPECT_EQ(printed.status, 0);
  EXPECT_EQ(printed.out, list + ": 2 entries\n  SimulatedReader: " TAVRIC_SOURCE_DATA_DIR
                                "/RegPar/SimReader.par\n  SimulatedReaderCommands: " TAVRIC_SOURCE_DATA_DIR
                                "/RegPar/SimReaderCommands.par\n");
}

}  // namespace
