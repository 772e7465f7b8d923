// The runner's command line.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/run_options.h"

namespace {

struct CParsed {
  bool ok;
  std::string error;
  CTVRRunOptions options;
};

CParsed Parse(const std::vector<std::string>& args) {
  CParsed parsed;
  parsed.ok = parsed.options.Parse(args, parsed.error);
  return parsed;
}

}  // namespace

TEST(RunOptions, DefaultsAreTheSimulatedReaderWithVertaAndCommands) {
  auto parsed = Parse({"hello.cmd"});
  ASSERT_TRUE(parsed.ok) << parsed.error;
  const CTVRRunOptions& o = parsed.options;
  EXPECT_EQ(o.m_strScript, "hello.cmd");
  EXPECT_EQ(o.m_strBoard, "CTVRSimDoc");
  EXPECT_EQ(o.m_strProtocol, "Verta");
  EXPECT_EQ(o.m_eScriptType, SCRIPT_COMMANDS);
  EXPECT_EQ(o.m_strPluginFolder, ".");
  EXPECT_DOUBLE_EQ(o.m_dTimeout, 10);
  EXPECT_FALSE(o.m_bLoop || o.m_bStep || o.m_bSaveLog || o.m_bStopAtBreakpoint || o.m_bNoColour);
  EXPECT_EQ(o.m_nMaxStatements, 0);
  EXPECT_DOUBLE_EQ(o.m_dMaxSeconds, 0);
}

TEST(RunOptions, ValuesBothSeparateAndWithEquals) {
  auto parsed =
      Parse({"--board", "sim", "--protocol=Other", "--type", "apdu", "--loop", "--max-statements=12", "--max-seconds",
             "1.5", "--timeout=0.25", "--plugins", "/opt/p", "--no-colour", "--stop-at-breakpoint", "s.cmd"});
  ASSERT_TRUE(parsed.ok) << parsed.error;
  const CTVRRunOptions& o = parsed.options;
  EXPECT_EQ(o.m_strBoard, "sim");
  EXPECT_EQ(o.m_strProtocol, "Other");
  EXPECT_EQ(o.m_eScriptType, SCRIPT_APDU);
  EXPECT_TRUE(o.m_bLoop);
  EXPECT_EQ(o.m_nMaxStatements, 12);
  EXPECT_DOUBLE_EQ(o.m_dMaxSeconds, 1.5);
  EXPECT_DOUBLE_EQ(o.m_dTimeout, 0.25);
  EXPECT_EQ(o.m_strPluginFolder, "/opt/p");
  EXPECT_TRUE(o.m_bNoColour);
  EXPECT_TRUE(o.m_bStopAtBreakpoint);
  EXPECT_EQ(o.m_strScript, "s.cmd");

  EXPECT_EQ(Parse({"--type", "raw", "s.cmd"}).options.m_eScriptType, SCRIPT_RAWDATA);
}

TEST(RunOptions, TheLogPathIsOptional) {
  // Alone before the script: the script is not taken for a log path.
  auto bare = Parse({"--save-log", "hello.cmd"});
  ASSERT_TRUE(bare.ok) << bare.error;
  EXPECT_TRUE(bare.options.m_bSaveLog);
  EXPECT_EQ(bare.options.m_strLogPath, "");
  EXPECT_EQ(bare.options.m_strScript, "hello.cmd");

  auto before = Parse({"--save-log", "out.log", "--board", "x", "hello.cmd"});
  ASSERT_TRUE(before.ok) << before.error;
  EXPECT_EQ(before.options.m_strLogPath, "out.log");
  EXPECT_EQ(before.options.m_strScript, "hello.cmd");

  // The value of an option after it is no script.
  auto valueOnly = Parse({"--save-log", "hello.cmd", "--board", "x"});
  ASSERT_TRUE(valueOnly.ok) << valueOnly.error;
  EXPECT_EQ(valueOnly.options.m_strLogPath, "");
  EXPECT_EQ(valueOnly.options.m_strScript, "hello.cmd");

  auto after = Parse({"hello.cmd", "--save-log", "out.log"});
  ASSERT_TRUE(after.ok) << after.error;
  EXPECT_EQ(after.options.m_strLogPath, "out.log");

  auto equals = Parse({"--save-log=a b.log", "hello.cmd"});
  ASSERT_TRUE(equals.ok) << equals.error;
  EXPECT_EQ(equals.options.m_strLogPath, "a b.log");
}

TEST(RunOptions, UsageErrorsSayWhat) {
  struct {
    std::vector<std::string> args;
    const char* said;
  } cases[] = {
      {{}, "no script"},
      {{"a.cmd", "b.cmd"}, "one too many"},
      {{"--bogus", "a.cmd"}, "unknown option --bogus"},
      {{"--type", "hex", "a.cmd"}, "raw, commands or apdu"},
      {{"--max-statements", "0", "a.cmd"}, "--max-statements"},
      {{"--max-statements", "-3", "a.cmd"}, "--max-statements"},
      {{"--max-statements", "12x", "a.cmd"}, "--max-statements"},
      {{"--max-statements", "99999999999999999999999", "a.cmd"}, "--max-statements"},
      {{"--max-seconds", "nan", "a.cmd"}, "--max-seconds"},
      {{"--timeout", "0", "a.cmd"}, "--timeout"},
      {{"--timeout", "inf", "a.cmd"}, "--timeout"},
      {{"a.cmd", "--board"}, "needs a value"},
      {{"--loop=yes", "a.cmd"}, "takes no value"},
      {{"--save-log=", "a.cmd"}, "needs a path"},
      {{"--list", "a.cmd"}, "--list takes no script"},
  };
  for (const auto& c : cases) {
    auto parsed = Parse(c.args);
    EXPECT_FALSE(parsed.ok) << c.said;
    EXPECT_NE(parsed.error.find(c.said), std::string::npos) << parsed.error;
  }
}

TEST(RunOptions, HelpAndListNeedNoScript) {
  EXPECT_TRUE(Parse({"--help"}).options.m_bHelp);
  EXPECT_FALSE(Parse({"-h", "--bogus"}).ok);  // help does not hide a wrong option
  auto list = Parse({"--list", "--plugins", "dir"});
  ASSERT_TRUE(list.ok);
  EXPECT_TRUE(list.options.m_bList);
  // "--" ends the options: a script may begin with a dash.
  auto dashed = Parse({"--", "-odd.cmd"});
  ASSERT_TRUE(dashed.ok) << dashed.error;
  EXPECT_EQ(dashed.options.m_strScript, "-odd.cmd");
}

TEST(RunOptions, HelpListsEveryExitStatus) {
  const std::string help = CTVRRunOptions::HelpText();
  for (const char* line :
       {"\n  0    the run ended", "\n  1    usage error", "\n  2    the script file", "\n  3    no plug-in found",
        "\n  4    the reader could not be connected", "\n  5    the run stalled", "\n  130  interrupted"})
    EXPECT_NE(help.find(line), std::string::npos) << line;
}
