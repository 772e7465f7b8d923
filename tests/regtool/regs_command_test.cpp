// What `tavric-run regs` prints for a valid file, an index, a file with an
// error and a file that cannot be read.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/regs_command.h"
#include "temp_folder.h"
#include "test_context.h"

namespace {

struct COutput {
  int status;
  std::string out;
  std::string err;
};

COutput RunRegs(const std::string& path) {
  CTVRTestContext context;
  char* outText = nullptr;
  char* errText = nullptr;
  std::size_t outSize = 0;
  std::size_t errSize = 0;
  std::FILE* out = open_memstream(&outText, &outSize);
  std::FILE* err = open_memstream(&errText, &errSize);
  const int status = CTVRRegsCommand::Run(context, path, out, err);
  std::fclose(out);
  std::fclose(err);
  COutput result{status, std::string(outText, outSize), std::string(errText, errSize)};
  std::free(outText);
  std::free(errText);
  return result;
}

TEST(RegsCommand, PrintsTheModelOrTheFirstError) {
  tvr_test::CTempFolder folder;
  const std::string good = folder.Write("good.par",
                                        "[GENERAL]\r\nNBROFREGISTERS=2;\r\n[END_GENERAL]\r\n[REGISTERS]\r\n"
                                        "PAGE,p0,p1,-,-,-,-,-,top:5,rw,01,-1,1,.config(50,15),5,.config(51,15,XX);\r\n"
                                        "DATA,d0,d1,d2,d3,d4,d5,d6,d7:6,r,00,5,0,5016,5,-;\r\n[END_REGISTERS]\r\n"
                                        "[REGISTER_MAPPING]\r\nPage:5,1,0,1,2;\r\n[END_REGISTER_MAPPING]\r\n"
                                        "[MAPPING1]\r\n0:First page (00)b;\r\n1:Second  page (01)b;\r\n"
                                        "[END_MAPPING1]\r\n[SUB_REGISTERS]\r\nDATA:2,5,1,0,01;\r\n"
                                        "[END_SUB_REGISTERS]\r\n");
  const std::string bad = folder.Write("bad.par",
                                       "[GENERAL]\r\nNBROFREGISTERS=1;\r\n[END_GENERAL]\r\n[REGISTERS]\r\n"
                                       "A,b0,b1,b2,b3,b4,b5,b6,b7:1,x,00,-1,0,50,5,51XX;\r\n[END_REGISTERS]\r\n");

  const COutput printed = RunRegs(good);
  EXPECT_EQ(printed.status, 0);
  EXPECT_EQ(printed.err, "");
  EXPECT_EQ(printed.out, good +
                             ": 2 registers, 1 value tables\n"
                             "\n"
                             "5 PAGE: read-write, initial 01\n"
                             "  bits 7-0: top - - - - - p1 p0\n"
                             "  read:  .config(50,15), value at answer byte 5\n"
                             "  write: .config(51,15,XX)\n"
                             "  field Page, bits 1-0, value table 1:\n"
                             "    0:First page (00)b\n"
                             "    1:Second  page (01)b\n"
                             "\n"
                             "6 DATA: read-only, initial 00\n"
                             "  bits 7-0: d7 d6 d5 d4 d3 d2 d1 d0\n"
                             "  read:  5016, value at answer byte 5\n"
                             "  write: -\n"
                             "  shown when bits 1-0 of register 5 PAGE are 1\n");

  const COutput error = RunRegs(bad);
  EXPECT_EQ(error.status, 6);
  EXPECT_EQ(error.out, "");
  EXPECT_EQ(error.err,
            bad + ":5: register line: the access 'x' is not r, w, rw or wr followed by ','; the rest is not read\n");

  const COutput missing = RunRegs(folder.PathOf("none.par"));
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, "tavric-run: " + folder.PathOf("none.par") + ": No such file or directory\n");
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
