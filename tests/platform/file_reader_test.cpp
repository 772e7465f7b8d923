// Reading whole files: only regular files, whatever the path names.
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <tuple>

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include "platform/file_reader.h"

namespace {

TEST(FileReader, ReadsRegularFilesAndRefusesEverythingElseWithoutBlocking) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  const std::string text = folder + "/script.cmd";
  {
    FILE* f = std::fopen(text.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("30;\r\n10;", f);
    std::fclose(f);
  }
  const std::string fifo = folder + "/pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string empty = folder + "/empty.cmd";
  std::fclose(std::fopen(empty.c_str(), "wb"));

  const std::tuple<std::string, CTVRFileReader::EResult, std::string> cases[] = {
      {text, CTVRFileReader::READ_OK, "30;\r\n10;"},
      {empty, CTVRFileReader::READ_OK, ""},
      {folder, CTVRFileReader::READ_NOT_A_FILE, ""},
      {folder + "/", CTVRFileReader::READ_NOT_A_FILE, ""},
      // A pipe with no writer would block a stream for ever; a device would
      // read for ever (/dev/zero) or wait for a key (a terminal).
      {fifo, CTVRFileReader::READ_NOT_A_FILE, ""},
      {"/dev/zero", CTVRFileReader::READ_NOT_A_FILE, ""},
      {"/dev/null", CTVRFileReader::READ_NOT_A_FILE, ""},
      {folder + "/missing.cmd", CTVRFileReader::READ_CANNOT_OPEN, ""},
      {"", CTVRFileReader::READ_CANNOT_OPEN, ""},
  };
  for (const auto& [path, result, content] : cases) {
    std::string out = "left over";
    EXPECT_EQ(CTVRFileReader::ReadAll(path, out), result) << path;
    EXPECT_EQ(out, content) << path;
  }

  std::string out;
  EXPECT_EQ(CTVRFileReader::ReadAll(text, out, 4), CTVRFileReader::READ_TOO_LARGE);
  EXPECT_EQ(out, "");
  EXPECT_STREQ(CTVRFileReader::Describe(CTVRFileReader::READ_NOT_A_FILE), "is not a file");
}

}  // namespace
