// What `tavric-run regs` prints for a valid file, an index, a file with an
// error and a file that cannot be read.
#include <gtest/gtest.h>

#include <string>

#include "cli/regs_command.h"
#include "memory_file.h"
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
  tvr_test::CMemoryFile out, err;
  const int status = CTVRRegsCommand::Run(context, path, out.Get(), err.Get());
  return {status, out.Close(), err.Close()};
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

  // What the files' own rules ignore is read as the register tool reads it,
  // each with a note: 257 registers held in 8 bits are one, the second
  // register line is one too many, a sub-register whose parent does not match
  // is kept.
  const std::string ignored =
      folder.Write("ignored.par",
                   "[GENERAL]\r\nNBROFREGISTERS=257;\r\n[END_GENERAL]\r\n[REGISTERS]\r\n"
                   "CTRL,b0,b1,b2,b3,b4,b5,b6,b7:5,rw,00,9,0,.read(05),4,.write(05 XX);\r\n"
                   "EXTRA,b0,b1,b2,b3,b4,b5,b6,b7:6,r,00,5,0,.read(06),4,.write(06 XX);\r\n"
                   "[END_REGISTERS]\r\n[SUB_REGISTERS]\r\nSUB:1,7,2,0,01;\r\n[END_SUB_REGISTERS]\r\n");
  const COutput noted = RunRegs(ignored);
  EXPECT_EQ(noted.status, 0);
  EXPECT_EQ(noted.err, ignored + ":2: note: NBROFREGISTERS=257 is kept in 8 bits: 1 registers\n" + ignored +
                           ":6: note: more register lines than NBROFREGISTERS=1: the line is ignored\n" + ignored +
                           ":9: note: Syntax error for the parent reg number mentionned in the [SUB_REGISTER] part\n"
                           " in the '*.par' file\n");
  EXPECT_EQ(noted.out.substr(0, ignored.size() + 31), ignored + ": 1 registers, 0 value tables\n\n");
  EXPECT_NE(noted.out.find("\n5 CTRL: read-write, initial 00\n"), std::string::npos) << noted.out;
  EXPECT_EQ(noted.out.find("EXTRA"), std::string::npos) << noted.out;

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
