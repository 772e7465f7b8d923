// The error and command description tables, loaded from files with CR LF line
// ends, and the lines the format does not provide for.
#include <cstring>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <tavric/cmd_code.h>
#include <tavric/error_code.h>

#include "contract/host.h"
#include "platform/user_prompts.h"

namespace {

const std::string kDataDir = std::string(TAVRIC_TEST_DATA_DIR) + "/decode";
constexpr char kErrorMissing[] = "The error description file could not be opened !";
constexpr char kCommandMissing[] = "The command description file could not be opened !";

std::string Text(const CErrorCode& table, BYTE code) {
  const char* text = table.GetText(code);
  return text ? std::string(text, table.GetLength(code)) : std::string("<null>");
}

std::string Text(const CCmdCode& table, BYTE cls, BYTE code) {
  const char* text = table.GetText(cls, code);
  return text ? std::string(text, table.GetLength(cls, code)) : std::string("<null>");
}

class DescriptionTables : public ::testing::Test {
 protected:
  // Writes the bytes exactly as given into a file of the temporary folder.
  std::string Write(const std::string& name, const std::string& bytes) {
    std::string path = m_Dir.path().toStdString() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  QTemporaryDir m_Dir;
  CTVRPromptRecorder m_Prompts;
  CErrorCode m_Errors;
  CCmdCode m_Commands;
};

TEST_F(DescriptionTables, ErrorLineKeepsTheSeparatorInItsDescription) {
  m_Errors.LoadPath(kDataDir + "/Error.txt");
  EXPECT_TRUE(m_Errors.IsDefined(0x6A));
  EXPECT_EQ(m_Errors.GetLength(0x6A), 13);
  EXPECT_EQ(Text(m_Errors, 0x6A), " Card removed");
  EXPECT_STREQ(m_Errors.GetText(0x6A), " Card removed");
  EXPECT_EQ(Text(m_Errors, 0x6F), " Bad checksum");
  // A code no line names.
  EXPECT_FALSE(m_Errors.IsDefined(0x6B));
  EXPECT_EQ(m_Errors.GetLength(0x6B), 0);
  EXPECT_EQ(m_Errors.GetText(0x6B), nullptr);
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
}

TEST_F(DescriptionTables, DigitsOfEitherLetterCaseNameTheSameCode) {
  m_Errors.LoadPath(Write("e.txt", "6a lower\r\nfF upper\r\n"));
  EXPECT_EQ(Text(m_Errors, 0x6A), " lower");
  EXPECT_EQ(Text(m_Errors, 0xFF), " upper");
  m_Commands.LoadPath(Write("c.txt", "d4-4a mixed\r\n"));
  EXPECT_EQ(Text(m_Commands, 0xD4, 0x4A), " mixed");
}

TEST_F(DescriptionTables, CodeLineAloneDefinesItsClassWithoutAClassText) {
  m_Commands.LoadPath(kDataDir + "/code_only.txt");
  EXPECT_TRUE(m_Commands.IsDefined(0xD4));
  EXPECT_EQ(Text(m_Commands, 0xD4, 0x4A), " Get firmware");
  EXPECT_EQ(m_Commands.GetLength(0xD4, 0x02), 0);
  EXPECT_EQ(m_Commands.GetText(0xD4, 0x02), nullptr);
  EXPECT_FALSE(m_Commands.IsDefined(0xD5));
}

TEST_F(DescriptionTables, ClassLineNamesEveryCodeWithoutAnEntryOfItsOwn) {
  m_Commands.LoadPath(kDataDir + "/code_and_class.txt");
  EXPECT_EQ(Text(m_Commands, 0xD4, 0x4A), " Get firmware");
  EXPECT_EQ(Text(m_Commands, 0xD4, 0x02), " Reader command");
  EXPECT_EQ(m_Commands.GetLength(0xD4, 0x02), 15);
}

TEST_F(DescriptionTables, LaterLineForTheSameKeyWins) {
  m_Errors.LoadPath(Write("e.txt", "10 first\r\n10 second\r\n"));
  EXPECT_EQ(Text(m_Errors, 0x10), " second");
  m_Commands.LoadPath(Write("c.txt", "20 class one\r\n20-01 code one\r\n20 class two\r\n20-01 code two\r\n"));
  EXPECT_EQ(Text(m_Commands, 0x20, 0x01), " code two");
  EXPECT_EQ(Text(m_Commands, 0x20, 0x02), " class two");
}

TEST_F(DescriptionTables, ReloadAddsAndReplacesButRemovesNothing) {
  m_Errors.LoadPath(kDataDir + "/error_first.txt");
  m_Errors.LoadPath(kDataDir + "/error_first.txt");
  EXPECT_EQ(Text(m_Errors, 0x01), " First error");
  EXPECT_EQ(Text(m_Errors, 0x02), " Second error");

  m_Errors.LoadPath(kDataDir + "/error_second.txt");
  EXPECT_EQ(Text(m_Errors, 0x01), " First error");  // only the first file named it
  EXPECT_EQ(Text(m_Errors, 0x02), " Second error, edited");
  EXPECT_EQ(Text(m_Errors, 0x03), " Third error");

  m_Commands.LoadPath(kDataDir + "/code_only.txt");
  m_Commands.LoadPath(Write("c.txt", "D4 Reader command\r\n"));
  EXPECT_EQ(Text(m_Commands, 0xD4, 0x4A), " Get firmware");
  EXPECT_EQ(Text(m_Commands, 0xD4, 0x02), " Reader command");
}

TEST_F(DescriptionTables, LastLineWithoutLineEndRunsToTheEndOfTheFile) {
  m_Errors.LoadPath(Write("e.txt", "01 one\r\n02 last line"));
  EXPECT_EQ(Text(m_Errors, 0x01), " one");
  EXPECT_EQ(Text(m_Errors, 0x02), " last line");
  m_Commands.LoadPath(Write("c.txt", "30-31 code at the end"));
  EXPECT_EQ(Text(m_Commands, 0x30, 0x31), " code at the end");
}

TEST_F(DescriptionTables, LinesOutsideTheFormatAreSkippedAndTheirNeighboursLoad) {
  m_Errors.LoadPath(Write("e.txt",
                          "\r\n"  // empty line
                          "01 one\r\n"
                          "not a key\r\n"  // no hex digits
                          "0\r\n"          // one digit only
                          "Z2 not hex\r\n"
                          "02 lone LF\n"              // accepted as a line end
                          "03 stray CR\rignored\r\n"  // the description stops at the CR
                          "04 four\r\n"
                          "0"));  // a key cut by the end of the file
  EXPECT_EQ(Text(m_Errors, 0x01), " one");
  EXPECT_EQ(Text(m_Errors, 0x02), " lone LF");
  EXPECT_EQ(Text(m_Errors, 0x03), " stray CR");
  EXPECT_EQ(Text(m_Errors, 0x04), " four");
  int defined = 0;
  for (int code = 0; code < 256; ++code) defined += m_Errors.IsDefined(BYTE(code)) ? 1 : 0;
  EXPECT_EQ(defined, 4);
}

TEST_F(DescriptionTables, MalformedCodeLinesNameNothing) {
  m_Commands.LoadPath(Write("c.txt",
                            "40-\r\n"  // no code
                            "41-Z9 bad code\r\n"
                            "42-4\r\n"  // one digit
                            "43-01 good\r\n"
                            "44"));  // a class line with nothing after the key
  EXPECT_FALSE(m_Commands.IsDefined(0x40));
  EXPECT_FALSE(m_Commands.IsDefined(0x41));
  EXPECT_FALSE(m_Commands.IsDefined(0x42));
  EXPECT_EQ(Text(m_Commands, 0x43, 0x01), " good");
  // The key alone defines the class, with an empty description: callers then
  // report the command as unknown.
  EXPECT_TRUE(m_Commands.IsDefined(0x44));
  EXPECT_EQ(m_Commands.GetLength(0x44, 0x00), 0);
}

TEST_F(DescriptionTables, LongDescriptionIsCutAt99Characters) {
  std::string longText(150, 'x');
  m_Errors.LoadPath(Write("e.txt", "01" + longText + "\r\n02 next\r\n"));
  EXPECT_EQ(m_Errors.GetLength(0x01), 99);
  EXPECT_EQ(std::strlen(m_Errors.GetText(0x01)), 99u);
  EXPECT_EQ(Text(m_Errors, 0x02), " next");
  m_Commands.LoadPath(Write("c.txt", "05-06" + longText + "\r\n"));
  EXPECT_EQ(m_Commands.GetLength(0x05, 0x06), 99);
}

TEST_F(DescriptionTables, EmptyFileLeavesTheTablesAsTheyWere) {
  m_Errors.LoadPath(kDataDir + "/Error.txt");
  m_Errors.LoadPath(Write("empty.txt", ""));
  EXPECT_EQ(Text(m_Errors, 0x6A), " Card removed");
  EXPECT_TRUE(m_Prompts.m_Messages.empty());
}

TEST_F(DescriptionTables, MissingFileIsReportedOncePerTableAndChangesNothing) {
  m_Errors.LoadPath(kDataDir + "/Error.txt");
  m_Commands.LoadPath(kDataDir + "/code_only.txt");

  m_Errors.LoadPath(kDataDir + "/no such file.txt");
  m_Commands.LoadPath(kDataDir + "/no such file.txt");
  m_Errors.LoadPath(kDataDir);  // a folder opens as no file does
  ASSERT_EQ(m_Prompts.m_Messages.size(), 3u);
  EXPECT_EQ(m_Prompts.m_Messages[0], kErrorMissing);
  EXPECT_EQ(m_Prompts.m_Messages[1], kCommandMissing);
  EXPECT_EQ(m_Prompts.m_Messages[2], kErrorMissing);
  EXPECT_EQ(Text(m_Errors, 0x6A), " Card removed");
  EXPECT_EQ(Text(m_Commands, 0xD4, 0x4A), " Get firmware");
}

TEST_F(DescriptionTables, LoadFileReadsFromTheProgramFolder) {
  CTVRHost& host = CTVRHost::Instance();
  std::string saved = host.GetProgramFolder();
  host.SetProgramFolder(kDataDir);
  m_Errors.LoadFile("Error.txt");
  m_Commands.LoadFile("code_and_class.txt");
  m_Commands.LoadFile("kirocmd.txt");  // not in that folder
  host.SetProgramFolder(saved);

  EXPECT_EQ(Text(m_Errors, 0x6A), " Card removed");
  EXPECT_EQ(Text(m_Commands, 0xD4, 0x02), " Reader command");
  ASSERT_EQ(m_Prompts.m_Messages.size(), 1u);
  EXPECT_EQ(m_Prompts.m_Messages[0], kCommandMissing);
}

}  // namespace
