// The settings store: value round trips, failing reads, read-only objects,
// sections and the relocation of the file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <tavric/registry.h>

namespace {

// Every test gets a settings file of its own.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    const char* previous = std::getenv("TAVRIC_SETTINGS");
    m_previous = previous != nullptr ? previous : "";
    m_file = (m_dir.path() + "/Tavric.ini").toStdString();
    setenv("TAVRIC_SETTINGS", m_file.c_str(), 1);
  }
  void TearDown() override { setenv("TAVRIC_SETTINGS", m_previous.c_str(), 1); }

  QVariant RawValue(const QString& key) {
    QSettings settings(QString::fromStdString(m_file), QSettings::IniFormat);
    return settings.value(key);
  }

  QTemporaryDir m_dir;
  std::string m_file;
  std::string m_previous;
};

}  // namespace

TEST_F(RegistryTest, SectionPathsLieBelowTheBaseSection) {
  EXPECT_EQ(CTVRRegistry::GetRegSectionPath("CTVRSimDoc"), "Settings\\CTVRSimDoc");
  EXPECT_EQ(CTVRRegistry::GetRegSectionPath("CTVRSimDoc\\0"), "Settings\\CTVRSimDoc\\0");
  EXPECT_EQ(CTVRRegistry::GetStoreFileName(), m_file);
}

TEST_F(RegistryTest, IntegersTextsAndBinaryValuesComeBackAsWritten) {
  const std::string section = CTVRRegistry::GetRegSectionPath("CTVRSimDoc\\0");
  const std::vector<tvr::BYTE> key = {0x00, 0x01, 0x7F, 0x80, 0xAB, 0xFF};
  const std::vector<std::string> texts = {
      "",
      "Verta",
      "with, commas, and \"quotes\"",
      "  leading and trailing  ",
      "a=b; c\\d / e",
      "@starts with an at",
      "00 A4 04 00 ; select",
      "caf\xC3\xA9",       // UTF-8
      "caf\xE9 \x01\x7F",  // not UTF-8: kept byte for byte
  };
  {
    CTVRRegistry reg(FALSE, FALSE);
    ASSERT_TRUE(reg.CreateKey(section));
    EXPECT_TRUE(reg.Write("Connected", tvr::DWORD(1)));
    EXPECT_TRUE(reg.Write("Negative", -12345));
    EXPECT_TRUE(reg.Write("AllBits", tvr::DWORD(0xFFFFFFFF)));
    EXPECT_TRUE(reg.Write("Key", key.data(), tvr::UINT(key.size())));
    EXPECT_TRUE(reg.Write("Empty", key.data(), 0));
    for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_TRUE(reg.Write("Text" + std::to_string(i), texts[i]));
    EXPECT_TRUE(reg.Write("Literal", "noname"));
  }
  CTVRRegistry reg(FALSE, TRUE);
  ASSERT_TRUE(reg.Open(section));
  tvr::DWORD dw = 0;
  int n = 0;
  EXPECT_TRUE(reg.Read("Connected", dw));
  EXPECT_EQ(dw, 1u);
  EXPECT_TRUE(reg.Read("Negative", n));
  EXPECT_EQ(n, -12345);
  // The 32 bits are one value, whichever way they are asked for.
  EXPECT_TRUE(reg.Read("AllBits", n));
  EXPECT_EQ(n, -1);
  EXPECT_TRUE(reg.Read("Negative", dw));
  EXPECT_EQ(dw, tvr::DWORD(-12345));
  std::vector<tvr::BYTE> bytes;
  EXPECT_TRUE(reg.Read("Key", bytes));
  EXPECT_EQ(bytes, key);
  bytes = {1};
  EXPECT_TRUE(reg.Read("Empty", bytes));
  EXPECT_TRUE(bytes.empty());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    std::string text = "unchanged";
    EXPECT_TRUE(reg.Read("Text" + std::to_string(i), text)) << i;
    EXPECT_EQ(text, texts[i]) << i;
  }
  std::string literal;
  EXPECT_TRUE(reg.Read("Literal", literal));
  EXPECT_EQ(literal, "noname");
}

TEST_F(RegistryTest, TheFileIsPlainTextInNestedGroups) {
  {
    CTVRRegistry reg(FALSE, FALSE);
    ASSERT_TRUE(reg.CreateKey(CTVRRegistry::GetRegSectionPath("CTVRSimDoc\\1")));
    ASSERT_TRUE(reg.Write("Command", tvr::DWORD(2)));
    const tvr::BYTE key[] = {0x0A, 0xBC};
    ASSERT_TRUE(reg.Write("Key", key, 2));
  }  // flushed when the object goes
  EXPECT_EQ(RawValue("Settings/CTVRSimDoc/1/Command").toString(), "2");
  EXPECT_EQ(RawValue("Settings/CTVRSimDoc/1/Key").toString(), "0ABC");
}

TEST_F(RegistryTest, AMissingValueFailsAndLeavesTheTargetAlone) {
  CTVRRegistry reg(FALSE, FALSE);
  ASSERT_TRUE(reg.CreateKey("Settings\\Board"));
  ASSERT_TRUE(reg.Write("Present", 3));
  int n = 77;
  tvr::DWORD dw = 78;
  std::string text = "keep";
  std::vector<tvr::BYTE> bytes = {9};
  EXPECT_FALSE(reg.Read("Absent", n));
  EXPECT_FALSE(reg.Read("Absent", dw));
  EXPECT_FALSE(reg.Read("Absent", text));
  EXPECT_FALSE(reg.Read("Absent", bytes));
  EXPECT_EQ(n, 77);
  EXPECT_EQ(dw, 78u);
  EXPECT_EQ(text, "keep");
  EXPECT_EQ(bytes, std::vector<tvr::BYTE>{9});
}

TEST_F(RegistryTest, AValueOfAnotherKindFailsToReadAsANumberOrBinary) {
  {
    CTVRRegistry reg(FALSE, FALSE);
    ASSERT_TRUE(reg.CreateKey("Settings\\Kinds"));
    ASSERT_TRUE(reg.Write("Word", "Verta"));
    ASSERT_TRUE(reg.Write("Trailing", "12abc"));
    ASSERT_TRUE(reg.Write("Huge", "99999999999"));
    ASSERT_TRUE(reg.Write("Odd", "ABC"));
    ASSERT_TRUE(reg.Write("NotHex", "0G"));
  }
  CTVRRegistry reg(FALSE, TRUE);
  ASSERT_TRUE(reg.Open("Settings\\Kinds"));
  int n = 5;
  tvr::DWORD dw = 6;
  std::vector<tvr::BYTE> bytes = {1, 2};
  EXPECT_FALSE(reg.Read("Word", n));
  EXPECT_FALSE(reg.Read("Trailing", n));
  EXPECT_FALSE(reg.Read("Huge", dw));
  EXPECT_EQ(n, 5);
  EXPECT_EQ(dw, 6u);
  EXPECT_FALSE(reg.Read("Word", bytes));
  EXPECT_FALSE(reg.Read("Odd", bytes));
  EXPECT_FALSE(reg.Read("NotHex", bytes));
  EXPECT_EQ(bytes, (std::vector<tvr::BYTE>{1, 2}));
}

TEST_F(RegistryTest, OpeningAMissingSectionMakesEveryReadFail) {
  {
    CTVRRegistry reg(FALSE, FALSE);
    ASSERT_TRUE(reg.CreateKey("Settings\\There"));
    ASSERT_TRUE(reg.Write("Title", "Sim1"));
  }
  CTVRRegistry reg(FALSE, TRUE);
  EXPECT_FALSE(reg.Open("Settings\\NotThere"));
  std::string text = "keep";
  EXPECT_FALSE(reg.Read("Title", text));
  EXPECT_EQ(text, "keep");
  // A missing section is not created by looking at it.
  CTVRRegistry writer(FALSE, FALSE);
  EXPECT_FALSE(writer.Open("Settings\\NotThere\\Deeper"));
  EXPECT_FALSE(writer.Write("Title", "x"));
  EXPECT_FALSE(RawValue("Settings/NotThere/Deeper/Title").isValid());
  // Nothing read before any Open or CreateKey either.
  CTVRRegistry unopened(FALSE, TRUE);
  EXPECT_FALSE(unopened.Read("Title", text));
}

TEST_F(RegistryTest, AReadOnlyObjectRefusesEveryWrite) {
  {
    CTVRRegistry reg(FALSE, FALSE);
    ASSERT_TRUE(reg.CreateKey("Settings\\Doc"));
    ASSERT_TRUE(reg.Write("Title", "before"));
  }
  {
    CTVRRegistry reg(FALSE, TRUE);
    ASSERT_TRUE(reg.Open("Settings\\Doc"));
    const tvr::BYTE bytes[] = {1};
    EXPECT_FALSE(reg.Write("Title", "after"));
    EXPECT_FALSE(reg.Write("Number", 1));
    EXPECT_FALSE(reg.Write("Dword", tvr::DWORD(1)));
    EXPECT_FALSE(reg.Write("Bytes", bytes, 1));
    // CreateKey on a read-only object only opens what exists.
    EXPECT_FALSE(reg.CreateKey("Settings\\Fresh"));
  }
  EXPECT_EQ(RawValue("Settings/Doc/Title").toString(), "before");
  EXPECT_FALSE(RawValue("Settings/Doc/Number").isValid());
}

TEST_F(RegistryTest, ValueNamesCannotReachIntoAnotherSection) {
  CTVRRegistry reg(FALSE, FALSE);
  ASSERT_TRUE(reg.CreateKey("Settings\\A"));
  EXPECT_FALSE(reg.Write("B\\Title", "x"));
  EXPECT_FALSE(reg.Write("B/Title", "x"));
  EXPECT_FALSE(reg.Write("", "x"));
  const tvr::BYTE* none = nullptr;
  EXPECT_FALSE(reg.Write("Bytes", none, 3));
}

TEST_F(RegistryTest, PathsWithoutTheBaseSectionAreTakenBelowIt) {
  {
    CTVRRegistry reg(FALSE, FALSE);
    ASSERT_TRUE(reg.CreateKey("Board\\0"));
    ASSERT_TRUE(reg.Write("Title", "relative"));
  }
  CTVRRegistry reg(FALSE, TRUE);
  ASSERT_TRUE(reg.Open("Settings\\Board\\0"));
  std::string text;
  EXPECT_TRUE(reg.Read("Title", text));
  EXPECT_EQ(text, "relative");
}

TEST_F(RegistryTest, TwoObjectsOnTheSameFileSeeEachOthersWrites) {
  CTVRRegistry writer(FALSE, FALSE);
  ASSERT_TRUE(writer.CreateKey("Settings\\Shared"));
  ASSERT_TRUE(writer.Write("NbDoc", tvr::DWORD(2)));
  CTVRRegistry reader(FALSE, TRUE);
  ASSERT_TRUE(reader.Open("Settings\\Shared"));
  tvr::DWORD n = 0;
  EXPECT_TRUE(reader.Read("NbDoc", n));
  EXPECT_EQ(n, 2u);
}

TEST_F(RegistryTest, TheEnvironmentRelocatesTheFileAndTheDefaultIsPerUser) {
  const std::string other = (m_dir.path() + "/elsewhere/portable.ini").toStdString();
  setenv("TAVRIC_SETTINGS", other.c_str(), 1);
  EXPECT_EQ(CTVRRegistry::GetStoreFileName(), other);
  {
    CTVRRegistry reg(FALSE, FALSE);
    ASSERT_TRUE(reg.CreateKey("Settings\\Moved"));
    ASSERT_TRUE(reg.Write("Title", "portable"));
  }
  EXPECT_TRUE(QFile::exists(QString::fromStdString(other)));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(m_file)));
  QSettings moved(QString::fromStdString(other), QSettings::IniFormat);
  EXPECT_EQ(moved.value("Settings/Moved/Title").toString(), "portable");

  unsetenv("TAVRIC_SETTINGS");
  const std::string fallback = CTVRRegistry::GetStoreFileName();
  const std::string tail = "/Norvale Devices/Tavric.ini";
  ASSERT_GE(fallback.size(), tail.size());
  EXPECT_EQ(fallback.substr(fallback.size() - tail.size()), tail);
}
