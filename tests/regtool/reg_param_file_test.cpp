// The register parameter model against malformed and boundary files: the
// index and the parameter file. The malformed files are the scenario cases
// regs_*.par, which show what `tavric-run regs` prints of them (their first
// error); here, the model each leaves and its first issue.
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

TEST(RegParamFile, KeepsMalformedAndBoundaryFilesInsideTheModel) {
  using Check = std::function<void(const CRegParamFile&)>;
  const auto firstName = [](const char* name) {
    return [name](const CRegParamFile& f) { EXPECT_EQ(f.GetRegisters().at(0).name, name); };
  };
  const auto noRegister = [](const CRegParamFile& f) { EXPECT_EQ(f.GetRegisterCount(), 0); };
  // The first issue is the error `regs` prints of the case, but for these
  // three files, where a note comes before it.
  const struct {
    const char* name;
    Check check;
    const char* firstIssue = nullptr;
  } cases[] = {
      {"regs_no_crlf", firstName(""), "7: a line without CR LF is not read"},
      {"regs_section_order", firstName(""), "4: [REGISTERS] stands before the section read before it and is skipped"},
      {"regs_table_absent",
       [](const CRegParamFile& f) {
         EXPECT_EQ(f.GetRegisters()[0].mappings.at(0).values, (Strings{"", ""}));
       }},
      {"regs_short_line",
       [](const CRegParamFile& f) {
         const RegisterDef& r = f.GetRegisters().at(0);
         EXPECT_EQ(r.name, "A");
         EXPECT_EQ(r.bitLabel[1], "b1:5");
         EXPECT_EQ(r.bitLabel[6], "x");
         EXPECT_EQ(r.number, 0);
         EXPECT_EQ(r.parentNumber, -1);
       }},
      {"regs_access",
       [](const CRegParamFile& f) {
         EXPECT_EQ(f.GetRegisters().at(0).number, 9);
         EXPECT_EQ(f.GetRegisters().at(0).initialValue, "");
       }},
      {"regs_config_unclosed", [](const CRegParamFile& f) { EXPECT_EQ(f.GetRegisters().at(0).readCommand, ""); }},
      {"regs_mapping_lines",
       [](const CRegParamFile& f) {
         ASSERT_EQ(f.GetRegisters()[0].mappings.size(), 1u);
         EXPECT_EQ(f.GetRegisters()[0].mappings[0].name, "F");
       }},
      {"regs_mapping_without_fields",
       [](const CRegParamFile& f) { EXPECT_EQ(f.GetRegisters()[1].mappings.at(0).name, ""); },
       "11: register 1 declares no bit field: the rest of [REGISTER_MAPPING] is not read"},
      {"regs_mapping_no_register",
       [](const CRegParamFile& f) { EXPECT_EQ(f.GetRegisters()[0].mappings.at(0).name, ""); }},
      {"regs_value_lines",
       [](const CRegParamFile& f) {
         EXPECT_EQ(f.GetRegisters()[0].mappings.at(0).values, Strings{std::string(199, 'v')});
       }},
      {"regs_sub_beyond", [](const CRegParamFile& f) { EXPECT_EQ(f.GetRegisters()[0].subValue, 0); }},
      {"regs_no_general", noRegister},
      {"regs_no_end", noRegister},
  };
  for (const auto& [name, check, firstIssue] : cases) {
    SCOPED_TRACE(name);
    CTVRTestContext context;
    CTVRPromptRecorder prompts{context};
    CRegParamFile file(context);
    ASSERT_EQ(file.Load(std::string(TAVRIC_SCENARIO_DIR "/") + name + ".par"), 1);
    check(file);
    EXPECT_TRUE(prompts.m_Messages.empty());
    if (firstIssue == nullptr) continue;
    EXPECT_EQ(FirstIssue(file), firstIssue);
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
