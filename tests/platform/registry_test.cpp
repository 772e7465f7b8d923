// The settings store: value round trips, failing reads, refused writes and the
// relocation of the file. The tests share the run's private settings file,
// each in sections of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <QSettings>
#include <QTemporaryDir>

#include <tavric/registry.h>

namespace {

QSettings Raw(const std::string& file = CTVRRegistry::GetStoreFileName()) {
  return QSettings(QString::fromStdString(file), QSettings::IniFormat);
}

// Writes texts into a section; on disk once the writer is gone.
void WriteTexts(const std::string& section, const std::vector<std::pair<std::string, std::string>>& values) {
  CTVRRegistry reg(FALSE, FALSE);
  ASSERT_TRUE(reg.CreateKey(section));
  for (const auto& [name, text] : values) ASSERT_TRUE(reg.Write(name, text)) << name;
}

}  // namespace

TEST(Registry, IntegersTextsAndBinaryValuesComeBackAsWritten) {
  const std::vector<tvr::BYTE> key = {0x00, 0x01, 0x7F, 0x80, 0xAB, 0xFF};
  // The last is not UTF-8: kept byte for byte.
  const std::vector<std::string> texts = {"",
                                          "with, commas, and \"quotes\"",
                                          "  leading and trailing  ",
                                          "a=b; c\\d / e",
                                          "@starts with an at",
                                          "caf\xC3\xA9",
                                          "caf\xE9 \x01\x7F"};
  {
    CTVRRegistry reg(FALSE, FALSE);
    ASSERT_TRUE(reg.CreateKey("CTVRSimDoc\\0"));  // below the base section without saying so
    for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_TRUE(reg.Write("Text" + std::to_string(i), texts[i]));
    EXPECT_TRUE(reg.Write("Negative", -12345) && reg.Write("AllBits", tvr::DWORD(0xFFFFFFFF)));
    EXPECT_TRUE(reg.Write("Key", key.data(), tvr::UINT(key.size())) && reg.Write("NoBytes", key.data(), 0));
  }
  EXPECT_EQ(Raw().value("Settings/CTVRSimDoc/0/Key").toString(), "00017F80ABFF");  // readable by hand
  CTVRRegistry reg(FALSE, TRUE);
  ASSERT_TRUE(reg.Open(CTVRRegistry::GetRegSectionPath("CTVRSimDoc\\0")));
  int n = 0;
  tvr::DWORD dw = 0;
  std::vector<tvr::BYTE> bytes;
  // The 32 bits are one value, whichever way they are asked for.
  EXPECT_TRUE(reg.Read("AllBits", n) && n == -1);
  EXPECT_TRUE(reg.Read("Negative", n) && n == -12345);
  EXPECT_TRUE(reg.Read("Negative", dw) && dw == tvr::DWORD(-12345));
  EXPECT_TRUE(reg.Read("Key", bytes) && bytes == key);
  EXPECT_TRUE(reg.Read("NoBytes", bytes) && bytes.empty());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    std::string read = "unchanged";
    EXPECT_TRUE(reg.Read("Text" + std::to_string(i), read) && read == texts[i]) << i << ": " << read;
  }
}

TEST(Registry, AMissingOrMalformedValueOrSectionFailsToReadAndLeavesTheTargetAlone) {
  WriteTexts("Kinds",
             {{"Word", "Verta"}, {"Trailing", "12abc"}, {"Huge", "99999999999"}, {"Odd", "ABC"}, {"NotHex", "0G"}});
  CTVRRegistry reg(FALSE, TRUE);
  ASSERT_TRUE(reg.Open("Settings\\Kinds"));
  int n = 5;
  tvr::DWORD dw = 6;
  std::string text = "keep";
  std::vector<tvr::BYTE> bytes = {1, 2};
  for (const char* name : {"Absent", "Word", "Trailing", "Huge"})
    EXPECT_FALSE(reg.Read(name, n) || reg.Read(name, dw)) << name;
  for (const char* name : {"Absent", "Word", "Odd", "NotHex"}) EXPECT_FALSE(reg.Read(name, bytes)) << name;
  EXPECT_FALSE(reg.Read("Absent", text));
  EXPECT_FALSE(reg.Open("Settings\\NotThere"));
  EXPECT_FALSE(reg.Read("Word", text));
  EXPECT_FALSE(CTVRRegistry(FALSE, TRUE).Read("Word", text));  // nothing opened
  EXPECT_TRUE(n == 5 && dw == 6 && text == "keep" && bytes == std::vector<tvr::BYTE>({1, 2}));
}

TEST(Registry, RefusedWritesLeaveTheFileAlone) {
  WriteTexts("Doc", {{"Title", "before"}});
  const tvr::BYTE bytes[] = {1};
  {
    CTVRRegistry reader(FALSE, TRUE);
    ASSERT_TRUE(reader.Open("Settings\\Doc"));
    EXPECT_FALSE(reader.Write("Title", "after") || reader.Write("Number", 1) || reader.Write("Dword", tvr::DWORD(1)) ||
                 reader.Write("Bytes", bytes, 1));
    EXPECT_FALSE(reader.CreateKey("Settings\\Fresh"));  // only opens what exists
  }
  CTVRRegistry writer(FALSE, FALSE);
  ASSERT_TRUE(writer.CreateKey("Settings\\Doc"));
  for (const char* name : {"Other\\Title", "Other/Title", ""}) EXPECT_FALSE(writer.Write(name, "x")) << name;
  EXPECT_FALSE(writer.Write("Bytes", nullptr, 3));
  EXPECT_FALSE(writer.Open("Settings\\NotThere"));  // looking does not create it
  EXPECT_FALSE(writer.Write("Title", "x"));
  QSettings raw = Raw();
  EXPECT_FALSE(raw.contains("Settings/NotThere/Title"));
  raw.beginGroup("Settings/Doc");
  EXPECT_EQ(raw.allKeys(), QStringList{"Title"});
  EXPECT_EQ(raw.value("Title"), "before");
}

TEST(Registry, TheEnvironmentRelocatesTheFileAndTheDefaultIsPerUser) {
  const std::string previous = CTVRRegistry::GetStoreFileName();
  QTemporaryDir dir;
  const std::string other = (dir.path() + "/elsewhere/portable.ini").toStdString();
  setenv("TAVRIC_SETTINGS", other.c_str(), 1);
  WriteTexts("Moved", {{"Title", "portable"}});  // its folder made
  EXPECT_EQ(Raw(other).value("Settings/Moved/Title"), "portable");
  EXPECT_FALSE(Raw(previous).contains("Settings/Moved/Title"));
  unsetenv("TAVRIC_SETTINGS");
  EXPECT_TRUE(QString::fromStdString(CTVRRegistry::GetStoreFileName()).endsWith("/Norvale Devices/Tavric.ini"));
  setenv("TAVRIC_SETTINGS", previous.c_str(), 1);
}
