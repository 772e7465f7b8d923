// Reading whole files: only regular files, whatever the path names.
#include <fstream>
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
  const std::string empty = folder + "/empty.cmd";
  ASSERT_TRUE(std::ofstream(text, std::ios::binary) << "30;\r\n10;");
  ASSERT_TRUE(std::ofstream(empty, std::ios::binary));

  const std::tuple<std::string, CTVRFileReader::EResult, std::string> cases[] = {
      {text, CTVRFileReader::READ_OK, "30;\r\n10;"},
      {empty, CTVRFileReader::READ_OK, ""},
      {folder, CTVRFileReader::READ_NOT_A_FILE, ""},
      // A device would read for ever (/dev/zero) or wait for a key (a
      // terminal). (A pipe, a folder and /dev/null through every door that
      // reads a file: FileEdges.WhatIsNotARegularFileIsRefusedAtOnceWhereverItIsNamed.)
      {"/dev/zero", CTVRFileReader::READ_NOT_A_FILE, ""},
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
