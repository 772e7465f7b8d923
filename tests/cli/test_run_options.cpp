// The runner's command line.
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "cli/run_options.h"

namespace {

using Args = std::vector<std::string>;

CTVRRunOptions Parse(const Args& args) {
  CTVRRunOptions options;
  std::string error;
  EXPECT_TRUE(options.Parse(args, error)) << error;
  return options;
}

// --list, regs and --card-params: the runs of tavric-run (TavricRunTest, the
// scenario cases); the serial line's options as the board gets them: the
// serial board's runs (SerialBoardTest).
TEST(RunOptions, ValuesSeparateOrWithEqualsCommandsAndTheSavedDocumentsWithoutAScript) {
  const CTVRRunOptions o =
      Parse({"--board", "sim", "--protocol=Other", "--max-seconds", "1.5", "--timeout=0.25", "--no-colour", "s.cmd"});
  EXPECT_EQ(o.m_strBoard + "|" + o.m_strProtocol + "|" + o.m_strScript, "sim|Other|s.cmd");
  EXPECT_EQ(std::make_pair(o.m_dMaxSeconds, o.m_dTimeout), std::make_pair(1.5, 0.25));
  EXPECT_TRUE(o.m_bNoColour);
  EXPECT_EQ(Parse({"--type", "apdu", "s.cmd"}).m_eScriptType, SCRIPT_APDU);
  // "--" ends the options: a script may begin with a dash.
  EXPECT_EQ(Parse({"--", "-odd.cmd"}).m_strScript, "-odd.cmd");
  EXPECT_EQ(Parse({"s.cmd"}).m_nKeepRecords, 10000) << "a run keeps a tail of its trace unless told";
  EXPECT_EQ(Parse({"--keep", "25", "s.cmd"}).m_nKeepRecords, 25);
  // Commands take their own arguments.
  const CTVRRunOptions atr = Parse({"atr", "3B", "02", "14", "50"});
  EXPECT_EQ(atr.m_eCommand, CTVRRunOptions::COMMAND_ATR);
  EXPECT_EQ(atr.m_AtrBytes, (Args{"3B", "02", "14", "50"}));
  // The saved documents need no script.
  const CTVRRunOptions r = Parse({"--restore", "--document", "2", "--quick", "5", "--save"});
  EXPECT_EQ(std::make_tuple(r.m_bRestore, r.m_bSave, r.m_nDocument, r.m_nQuick, r.m_strScript, r.m_bTypeGiven),
            std::make_tuple(true, true, 2LL, 5, std::string(), false));
  EXPECT_EQ(Parse({"--restore", "other.cmd"}).m_strScript, "other.cmd");
  EXPECT_TRUE(Parse({"--type", "raw", "--restore"}).m_bTypeGiven);
  EXPECT_EQ(Parse({"--save", "s.cmd"}).m_nDocument, 1);
}

// A pattern after "=" and a count: the runs over several readers (TavricRunTest).
TEST(RunOptions, ReadersByNameByPatternOrByCount) {
  EXPECT_EQ(Parse({"--reader", "A", "--reader=B C", "s.cmd"}).m_Readers, (Args{"A", "B C"}));
  const CTVRRunOptions all = Parse({"--all-readers", "s.cmd"});
  EXPECT_EQ(std::make_tuple(all.m_bAllReaders, all.m_strReaderGlob, all.m_strScript),
            std::make_tuple(true, std::string("*"), std::string("s.cmd")));
  EXPECT_EQ(Parse({"--all-readers", "Virtual*", "s.cmd"}).m_strReaderGlob, "Virtual*");
  EXPECT_EQ(Parse({"--restore", "--reader", "A"}).m_Readers, Args{"A"});
}

TEST(RunOptions, TheLogPathIsOptional) {
  const std::tuple<Args, std::string> cases[] = {
      {{"--save-log", "hello.cmd"}, ""},  // alone before the script: the script is no log path
      {{"--save-log", "out.log", "--board", "x", "hello.cmd"}, "out.log"},
      {{"--save-log", "hello.cmd", "--board", "x"}, ""},  // nor is the value of an option after it
      {{"hello.cmd", "--save-log", "out.log"}, "out.log"},
      {{"--save-log=a b.log", "hello.cmd"}, "a b.log"},
  };
  for (const auto& [args, path] : cases) {
    const CTVRRunOptions o = Parse(args);
    EXPECT_TRUE(o.m_bSaveLog);
    EXPECT_EQ(o.m_strLogPath, path) << args[1];
    EXPECT_EQ(o.m_strScript, "hello.cmd") << args[1];
  }
}

TEST(RunOptions, UsageErrorsSayWhat) {
  const std::tuple<Args, const char*> cases[] = {
      {Args{}, "no script"},
      {{"a.cmd", "b.cmd"}, "one too many"},
      {{"--bogus", "a.cmd"}, "unknown option --bogus"},
      {{"-h", "--bogus"}, "unknown option --bogus"},  // help does not hide a wrong option
      {{"--max-statements", "0", "a.cmd"}, "--max-statements"},
      {{"--max-statements", "12x", "a.cmd"}, "--max-statements"},
      {{"--max-statements", "99999999999999999999999", "a.cmd"}, "--max-statements"},
      {{"--max-seconds", "nan", "a.cmd"}, "--max-seconds"},
      {{"--timeout", "inf", "a.cmd"}, "--timeout"},
      {{"a.cmd", "--board"}, "needs a value"},
      {{"--loop=yes", "a.cmd"}, "takes no value"},
      {{"--save-log=", "a.cmd"}, "needs a path"},
      {{"--list", "a.cmd"}, "--list takes no script"},
      {{"--keep", "0", "a.cmd"}, "--keep needs a positive whole number"},
      {{"--keep", "lots", "a.cmd"}, "--keep needs a positive whole number"},
      {{"regs"}, "regs needs a parameter file"},
      {{"--quick", "2", "a.cmd"}, "--quick works on the saved documents: add --restore"},
      {{"--document", "2", "a.cmd"}, "--document works on the saved documents: add --restore"},
      {{"--restore", "--quick", "6"}, "--quick is a quick command from 1 to 5, not '6'"},
      {{"--restore", "--quick", "12"}, "from 1 to 5"},
      {{"--restore", "--document", "0"}, "--document needs a positive whole number"},
      {{"--restore", "a.cmd", "b.cmd"}, "one too many"},
      {{"--readers", "0", "a.cmd"}, "--readers needs a number of readers from 1 to 256, not '0'"},
      {{"--readers", "257", "a.cmd"}, "from 1 to 256"},
      {{"--readers", "2", "--reader", "A", "a.cmd"}, "choose the readers in different ways"},
      {{"--all-readers", "--reader", "A", "a.cmd"}, "choose the readers in different ways"},
      {{"--all-readers=", "a.cmd"}, "--all-readers= needs a reader name pattern"},
      {{"--restore", "--readers", "2"}, "--restore runs one saved document"},
  };
  for (const auto& [args, said] : cases) {
    CTVRRunOptions options;
    std::string error;
    EXPECT_FALSE(options.Parse(args, error)) << said;
    EXPECT_NE(error.find(said), std::string::npos) << error;
  }
}

}  // namespace
