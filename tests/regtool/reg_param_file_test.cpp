// The register parameter model against malformed and boundary files: the
// index and the parameter file, read from text and from disk. What `tavric-run
// regs` prints of well-formed files and of the first issue of others is the
// scenario cases regs_*.par.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/user_prompts.h"
#include "regtool/reg_param_file.h"
#include "test_context.h"

namespace {

// The lines of a file, each with its CR LF.
std::string Crlf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::string FirstIssue(const CRegParamFile& file) {
  if (file.GetIssues().empty()) return "";
  const CRegParamIssue& issue = file.GetIssues().front();
  return std::to_string(issue.m_nLine) + ": " + issue.m_strText;
}

using Strings = std::vector<std::string>;

// A small file around the lines each case puts in its sections.
std::string File(const Strings& general, const Strings& registers, const Strings& mapping = {},
                 const Strings& tail = {}) {
  Strings lines{"[GENERAL]"};
  lines.insert(lines.end(), general.begin(), general.end());
  lines.push_back("[END_GENERAL]");
  lines.push_back("[REGISTERS]");
  lines.insert(lines.end(), registers.begin(), registers.end());
  lines.push_back("[END_REGISTERS]");
  lines.push_back("[REGISTER_MAPPING]");
  lines.insert(lines.end(), mapping.begin(), mapping.end());
  lines.push_back("[END_REGISTER_MAPPING]");
  lines.insert(lines.end(), tail.begin(), tail.end());
  return Crlf(lines);
}

std::string Reg(const std::string& name, int number, const std::string& access = "rw", int mappings = 0,
                int parent = -1) {
  return name + ",b0,b1,b2,b3,b4,b5,b6,b7:" + std::to_string(number) + "," + access + ",00," + std::to_string(parent) +
         "," + std::to_string(mappings) + ",50,5,51XX;";
}

TEST(RegParamFile, KeepsMalformedAndBoundaryFilesInsideTheModel) {
  struct CCase {
    const char* what;
    std::string text;
    std::function<void(const CRegParamFile&)> check;
    std::string firstIssue;  // "line: text", "" for none
  };
  const std::string longText(250, 'v');
  const CCase cases[] = {
      {"a count of 300 is kept in 8 bits", File({"NBROFREGISTERS=300;"}, {Reg("A", 1)}),
       [](const CRegParamFile& f) {
         EXPECT_EQ(f.GetRegisterCount(), 44);
         ASSERT_EQ(f.GetRegisters().size(), 44u);
         EXPECT_EQ(f.GetRegisters()[0].name, "A");
       },
       "2: NBROFREGISTERS=300 is kept in 8 bits: 44 registers"},
      {"lines beyond the count are ignored", File({"NBROFREGISTERS=1;"}, {Reg("A", 1), Reg("B", 2)}),
       [](const CRegParamFile& f) {
         ASSERT_EQ(f.GetRegisters().size(), 1u);
         EXPECT_EQ(f.GetRegisters()[0].name, "A");
       },
       "6: more register lines than NBROFREGISTERS=1: the line is ignored"},
      {"a line without CR LF is not read",
       "[GENERAL]\r\nNBROFREGISTERS=1;\r\n[END_GENERAL]\r\n[REGISTERS]\r\n" + Reg("A", 1) + "\n[END_REGISTERS]\r\n",
       [](const CRegParamFile& f) { EXPECT_EQ(f.GetRegisters().at(0).name, ""); },
       "5: a line without CR LF is not read"},
      {"a value table referenced but absent",
       File({"NBROFREGISTERS=1;"}, {Reg("A", 1, "rw", 1)}, {"F:1,3,0,1,2;"}, {"[MAPPING1]", "x;", "[END_MAPPING1]"}),
       [](const CRegParamFile& f) {
         EXPECT_EQ(f.GetRegisters()[0].mappings.at(0).values, (Strings{"", ""}));
       },
       "8: mapping line: value table 3 is not in the file; the values stay empty"},
      {"a section before the one read before it is skipped",
       Crlf({"* c", "[REGISTERS]", Reg("A", 1), "[END_REGISTERS]", "[GENERAL]", "NBROFREGISTERS=1;", "[END_GENERAL]"}),
       [](const CRegParamFile& f) { EXPECT_EQ(f.GetRegisters().at(0).name, ""); },
       "2: [REGISTERS] stands before the section read before it and is skipped"},
      {"a short line keeps the fields it does not reach", File({"NBROFREGISTERS=1;"}, {"A,b0,b1:5,r,00,-1,0,x,5,y;"}),
       [](const CRegParamFile& f) {
         const RegisterDef& r = f.GetRegisters().at(0);
         EXPECT_EQ(r.name, "A");
         EXPECT_EQ(r.bitLabel[1], "b1:5");
         EXPECT_EQ(r.bitLabel[6], "x");
         EXPECT_EQ(r.number, 0);
         EXPECT_EQ(r.parentNumber, -1);
       },
       "5: register line: the label of bit 7 has no ':'; the rest is not read"},
      {"an access other than r, w, rw, wr", File({"NBROFREGISTERS=1;"}, {Reg("A", 9, "rx")}),
       [](const CRegParamFile& f) {
         EXPECT_EQ(f.GetRegisters().at(0).number, 9);
         EXPECT_EQ(f.GetRegisters().at(0).initialValue, "");
       },
       "5: register line: the access 'rx' is not r, w, rw or wr followed by ','; the rest is not read"},
      {"a .config( read command without ')'",
       File({"NBROFREGISTERS=1;"}, {"A,b0,b1,b2,b3,b4,b5,b6,b7:1,r,00,-1,0,.config(50,10,5,x;"}),
       [](const CRegParamFile& f) { EXPECT_EQ(f.GetRegisters().at(0).readCommand, ""); },
       "5: register line: the read command's .config( has no ')' followed by ','; the rest is not read"},
      {"more mapping lines than the register declares",
       File({"NBROFREGISTERS=1;"}, {Reg("A", 1, "rw", 1)}, {"F:1,1,0,0,0;", "G:1,1,1,1,0;"}),
       [](const CRegParamFile& f) {
         ASSERT_EQ(f.GetRegisters()[0].mappings.size(), 1u);
         EXPECT_EQ(f.GetRegisters()[0].mappings[0].name, "F");
       },
       "9: mapping line: register 1 declares 1 bit fields and this is one more; the line is ignored"},
      {"a mapping for a register without bit fields ends the section",
       File({"NBROFREGISTERS=2;"}, {Reg("A", 1, "rw", 0), Reg("B", 2, "rw", 1)}, {"F:1,1,0,0,1;", "G:2,1,0,0,1;"}),
       [](const CRegParamFile& f) { EXPECT_EQ(f.GetRegisters()[1].mappings.at(0).name, ""); },
       "9: register 1 declares no bit field: the rest of [REGISTER_MAPPING] is not read"},
      {"a mapping for no register", File({"NBROFREGISTERS=1;"}, {Reg("A", 1, "rw", 1)}, {"F:2,1,0,0,1;"}),
       [](const CRegParamFile& f) { EXPECT_EQ(f.GetRegisters()[0].mappings.at(0).name, ""); },
       "8: mapping line: no register has the number 2; the line is ignored"},
      {"value lines beyond the count, and a text too long",
       File({"NBROFREGISTERS=1;"}, {Reg("A", 1, "rw", 1)}, {"F:1,1,0,3,1;"},
            {"[MAPPING1]", "  " + longText + ";", "b;", "[END_MAPPING1]"}),
       [&](const CRegParamFile& f) {
         EXPECT_EQ(f.GetRegisters()[0].mappings.at(0).values, Strings{longText.substr(0, 199)});
       },
       "11: value text longer than 199 characters: the rest is cut"},
      {"a sub-register beyond the registers",
       File({"NBROFREGISTERS=1;"}, {Reg("A", 1)}, {}, {"[SUB_REGISTERS]", "S:2,1,1,0,01;", "[END_SUB_REGISTERS]"}),
       [](const CRegParamFile& f) { EXPECT_EQ(f.GetRegisters()[0].subValue, 0); },
       "10: sub-register line: there is no register at position 2; the rest is not read"},
      {"no [GENERAL] section", Crlf({"[REGISTERS]", Reg("A", 1), "[END_REGISTERS]"}),
       [](const CRegParamFile& f) { EXPECT_EQ(f.GetRegisterCount(), 0); },
       "1: no [GENERAL] section: the file has no registers"},
      {"a start marker without its end", Crlf({"[GENERAL]", "NBROFREGISTERS=1;"}),
       [](const CRegParamFile& f) { EXPECT_EQ(f.GetRegisterCount(), 0); },
       "1: no [END_GENERAL] line after [GENERAL]: the section is not read"},
      {"an empty file", "", [](const CRegParamFile& f) { EXPECT_TRUE(f.GetRegisters().empty()); },
       "1: no [GENERAL] section: the file has no registers"},
  };
  for (const CCase& c : cases) {
    SCOPED_TRACE(c.what);
    CTVRTestContext context;
    CTVRPromptRecorder prompts{context};
    CRegParamFile file(context);
    file.LoadText(c.text);
    c.check(file);
    EXPECT_EQ(FirstIssue(file), c.firstIssue);
    EXPECT_TRUE(prompts.m_Messages.empty());
  }
}

TEST(RegParamFile, ReadsTheIndex) {
  struct CCase {
    const char* what;
    std::string text;
    Strings labels;
    Strings paths;
    std::string firstIssue;
  };
  const CCase cases[] = {
      {"entries after [GENERAL], spaces removed",
       "junk:x.par;\r\n[GENERAL]\r\n* comment\r\n\r\nMy Reader : Reg Par\\a.par ; tail\r\nB:b.par;\r\nC:c.par;",
       {"MyReader", "B"},
       {"/run/RegPar/a.par", "/run/b.par"},
       "7: the last line has no CR LF and is not read"},
      {"only comments and empty lines", Crlf({"[GENERAL]", "* none", "", "  "}), {}, {}, ""},
      {"no [GENERAL]", Crlf({"A:a.par;"}), {}, {}, "1: no [GENERAL] line: the index has no entries"},
      {"an entry without ';'",
       Crlf({"[GENERAL]", "A:a.par", "B:b.par;"}),
       {"B"},
       {"/run/b.par"},
       "2: an entry is written Label:Path; and this line is not: it is ignored"},
  };
  CTVRTestContext context;
  for (const CCase& c : cases) {
    SCOPED_TRACE(c.what);
    CRegParamFile file(context);
    file.LoadListText(c.text, "/run");
    EXPECT_EQ(file.GetLabels(), c.labels);
    EXPECT_EQ(file.GetPaths(), c.paths);
    EXPECT_EQ(FirstIssue(file), c.firstIssue);
  }
}

TEST(RegParamFile, TheShippedFilesReadWithoutAnIssue) {
  CTVRTestContext context;
  CRegParamFile file(context);
  ASSERT_EQ(file.LoadList(TAVRIC_SOURCE_DATA_DIR), 1);
  ASSERT_EQ(file.GetLabels(), (Strings{"SimulatedReader", "SimulatedReaderCommands"}));
  EXPECT_EQ(FirstIssue(file), "");
  for (const std::string& path : file.GetPaths()) {
    SCOPED_TRACE(path);
    CRegParamFile par(context);
    ASSERT_EQ(par.Load(path), 1);
    EXPECT_EQ(FirstIssue(par), "");
    EXPECT_GT(par.GetRegisterCount(), 0);
  }
}

}  // namespace
