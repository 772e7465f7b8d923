// The error and command description tables, loaded from files with CR LF line
// ends, and the lines the format does not provide for.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tavric/cmd_code.h>
#include <tavric/error_code.h>

#include "contract/host.h"
#include "platform/user_prompts.h"
#include "temp_folder.h"
#include "test_context.h"

namespace {

const std::string kDataDir = std::string(TAVRIC_TEST_DATA_DIR) + "/decode";
constexpr char kErrorMissing[] = "The error description file could not be opened !";
constexpr char kCommandMissing[] = "The command description file could not be opened !";

// The text as stored, followed by its length when that disagrees with the
// terminated text; "-" when nothing is stored.
std::string Shown(const char* text, BYTE length) {
  if (!text) return length ? "- " + std::to_string(length) : "-";
  return std::strlen(text) == length ? text : std::string(text) + " " + std::to_string(length);
}

class DescriptionTables : public ::testing::Test {
 protected:
  // A file of the temporary folder holding exactly these bytes.
  std::string Write(const std::string& bytes) { return m_Dir.Write(std::to_string(++m_nFiles) + ".txt", bytes); }
  std::string Error(const CErrorCode& table, BYTE code) { return Shown(table.GetText(code), table.GetLength(code)); }
  std::string Command(const CCmdCode& table, BYTE cls, BYTE code) {
    return Shown(table.GetText(cls, code), table.GetLength(cls, code));
  }

  tvr_test::CTempFolder m_Dir;
  int m_nFiles = 0;
  CTVRTestContext m_Context;
  CTVRPromptRecorder m_Prompts{m_Context};
};

TEST_F(DescriptionTables, ErrorFiles) {
  const struct {
    std::string path;
    std::vector<std::pair<BYTE, std::string>> expected;
    int defined;  // codes the file defines in all
  } files[] = {
      // The separator stays in the description: " Card removed" is 13 characters.
      {kDataDir + "/Error.txt", {{0x6A, " Card removed"}, {0x6F, " Bad checksum"}, {0x6B, "-"}}, 2},
      {Write("6a lower\r\nfF upper\r\n"), {{0x6A, " lower"}, {0xFF, " upper"}}, 2},
      {Write("10 first\r\n10 second\r\n"), {{0x10, " second"}}, 1},
      {Write("01 one\r\n02 last line"), {{0x01, " one"}, {0x02, " last line"}}, 2},
      {Write("01" + std::string(150, 'x') + "\r\n02 next\r\n"), {{0x01, std::string(99, 'x')}, {0x02, " next"}}, 2},
      {Write("\r\n01 one\r\nnot a key\r\n0\r\nZ2 not hex\r\n02 lone LF\n03 stray CR\rignored\r\n04 four\r\n0"),
       {{0x01, " one"}, {0x02, " lone LF"}, {0x03, " stray CR"}, {0x04, " four"}},
       4},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.path);
    CErrorCode table;
    table.LoadPath(file.path);
    for (const auto& [code, text] : file.expected) EXPECT_EQ(Error(table, code), text) << int(code);
    int defined = 0;
    for (int code = 0; code < 256; ++code) defined += table.IsDefined(BYTE(code)) ? 1 : 0;
    EXPECT_EQ(defined, file.defined);
  }
}

TEST_F(DescriptionTables, CommandFiles) {
  struct CExpected {
    BYTE cls, code;
    std::string text;
  };
  const struct {
    std::string path;
    std::vector<CExpected> expected;
    int classes;  // classes the file defines in all
  } files[] = {
      // A code line alone defines its class, without a text for the other codes.
      {kDataDir + "/code_only.txt", {{0xD4, 0x4A, " Get firmware"}, {0xD4, 0x02, "-"}}, 1},
      // A class line names every code without an entry of its own.
      {kDataDir + "/code_and_class.txt", {{0xD4, 0x4A, " Get firmware"}, {0xD4, 0x02, " Reader command"}}, 1},
      {Write("d4-4a mixed\r\n"), {{0xD4, 0x4A, " mixed"}}, 1},
      {Write("20 class one\r\n20-01 code one\r\n20 class two\r\n20-01 code two\r\n"),
       {{0x20, 0x01, " code two"}, {0x20, 0x02, " class two"}},
       1},
      {Write("30-31 code at the end"), {{0x30, 0x31, " code at the end"}}, 1},
      {Write("05-06" + std::string(150, 'x') + "\r\n"), {{0x05, 0x06, std::string(99, 'x')}}, 1},
      // No code, a code that is not hex, one digit; a key alone defines its class with an empty text.
      {Write("40-\r\n41-Z9 bad code\r\n42-4\r\n43-01 good\r\n44"), {{0x43, 0x01, " good"}, {0x44, 0x00, ""}}, 2},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.path);
    CCmdCode table;
    table.LoadPath(file.path);
    for (const CExpected& e : file.expected) EXPECT_EQ(Command(table, e.cls, e.code), e.text) << int(e.code);
    int classes = 0;
    for (int cls = 0; cls < 256; ++cls) classes += table.IsDefined(BYTE(cls)) ? 1 : 0;
    EXPECT_EQ(classes, file.classes);
  }
}

TEST_F(DescriptionTables, LoadingAgainAddsAndReplacesButRemovesNothing) {
  CErrorCode errors;
  errors.LoadPath(kDataDir + "/error_first.txt");
  errors.LoadPath(kDataDir + "/error_first.txt");
  EXPECT_EQ(Error(errors, 0x02), " Second error");
  errors.LoadPath(kDataDir + "/error_second.txt");
  errors.LoadPath(Write(""));
  EXPECT_EQ(Error(errors, 0x01), " First error");  // only the first file named it
  EXPECT_EQ(Error(errors, 0x02), " Second error, edited");
  EXPECT_EQ(Error(errors, 0x03), " Third error");

  // A file that cannot be opened is reported, each time, and changes nothing.
  CCmdCode commands;
  CTVRHost& host = m_Context.Host();
  const std::string saved = host.GetProgramFolder();
  host.SetProgramFolder(kDataDir);
  commands.LoadFile("code_and_class.txt");  // from the program folder
  commands.LoadFile("no such file.txt");
  host.SetProgramFolder(saved);
  errors.LoadPath(kDataDir);  // a folder opens as no file does
  EXPECT_EQ(m_Prompts.m_Messages, (std::vector<std::string>{kCommandMissing, kErrorMissing}));
  EXPECT_EQ(Error(errors, 0x03), " Third error");
  EXPECT_EQ(Command(commands, 0xD4, 0x02), " Reader command");
}

}  // namespace
