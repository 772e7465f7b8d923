// Reading whole files: only regular files, whatever the path names. (A
// script's content, an empty file, a folder, a pipe and a missing file: the
// script files' tests, ScriptFiles and FileEdges, through the Open command.)
#include <fstream>
#include <string>

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include "platform/file_reader.h"

namespace {

TEST(FileReader, RefusesDevicesEmptyPathsAndFilesOverTheLimitWithoutBlocking) {
  QTemporaryDir dir;
  const std::string text = dir.path().toStdString() + "/script.cmd";
  ASSERT_TRUE(std::ofstream(text, std::ios::binary) << "30;\r\n10;");
  const struct {
    std::string path;
    std::size_t limit;
    CTVRFileReader::EResult result;
  } cases[] = {
      {"/dev/zero", 1024, CTVRFileReader::READ_NOT_A_FILE},  // would read for ever
      {"", 1024, CTVRFileReader::READ_CANNOT_OPEN},
      {text, 4, CTVRFileReader::READ_TOO_LARGE},
  };
  for (const auto& c : cases) {
    std::string out = "left over";
    EXPECT_EQ(CTVRFileReader::ReadAll(c.path, out, c.limit), c.result) << c.path;
    EXPECT_EQ(out, "") << c.path;
  }
  EXPECT_STREQ(CTVRFileReader::Describe(CTVRFileReader::READ_NOT_A_FILE), "is not a file");
}

}  // namespace
