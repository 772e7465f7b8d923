// Command.txt and Error.txt against what the simulated reader really sends:
// every answer opcode and every error code it can produce has a description,
// and the files hold nothing it cannot produce.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <tavric/cmd_code.h>
#include <tavric/error_code.h>

#include "sim_firmware.h"
#include "sim_test_util.h"

namespace {

using namespace simtest;

const std::string kDataDir = TAVRIC_SOURCE_DATA_DIR;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Drives a firmware through every opcode with a spread of data, in every
// slot, and through card movements; collects what its answers carry.
struct CProduced {
  std::set<BYTE> m_AnswerOpcodes;
  std::set<BYTE> m_Errors;

  void Add(const std::vector<Bytes>& answers) {
    for (const Bytes& a : answers) {
      ASSERT_GE(a.size(), CTVRVertaFrame::OVERHEAD);
      if (a[0] == VERTA_FRAME_ANSWER) m_AnswerOpcodes.insert(a[3]);
      if (a[0] == VERTA_FRAME_ERROR) m_Errors.insert(a[4]);
    }
  }
};

CProduced Explore() {
  CProduced produced;
  CTVRSimFirmware firmware;
  const std::vector<Bytes> variants = {{},
                                       {0x00},
                                       {0x01},
                                       {0x02},
                                       {0x09},
                                       {0x01, 0x00},
                                       {0x02, 0x02},
                                       {0x10, 0x01},
                                       {0x3F, 0x04},
                                       {0x02, 0x01, 0x02},
                                       {0x00, 0x84, 0x00, 0x00, 0x08},
                                       {0x00, 0xA4, 0x00, 0x00, 0x02, 0x3F, 0x00}};
  for (int slot = 1; slot <= CTVRSimFirmware::SLOT_COUNT; ++slot) {
    for (const Bytes& frame : {CommandFrame(VERTA_OP_SELECT_CARD, {BYTE(slot)}), CommandFrame(VERTA_OP_RESET_CARD)})
      produced.Add(firmware.ProcessFrame(frame.data(), frame.size()));
    for (int opcode = 0; opcode < 256; ++opcode)
      for (const Bytes& data : variants) {
        const Bytes frame = CommandFrame(BYTE(opcode), data);
        produced.Add(firmware.ProcessFrame(frame.data(), frame.size()));
      }
  }
  for (int slot = 1; slot <= CTVRSimFirmware::SLOT_COUNT; ++slot) {
    produced.Add(firmware.RemoveCard(slot));
    produced.Add(firmware.InsertCard(slot));
  }
  Bytes bad = CommandFrame(VERTA_OP_LOOPBACK, {0x01});
  bad.back() ^= 0xFF;
  produced.Add(firmware.ProcessFrame(bad.data(), bad.size()));
  produced.Add(firmware.ProcessFrame(bad.data(), 3));
  bad = CTVRVertaFrame::Make(0x41, VERTA_OP_LOOPBACK, {});
  produced.Add(firmware.ProcessFrame(bad.data(), bad.size()));
  return produced;
}

class DescriptionFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_pCommands = new CCmdCode;
    s_pErrors = new CErrorCode;
    s_pCommands->LoadPath(kDataDir + "/Command.txt");
    s_pErrors->LoadPath(kDataDir + "/Error.txt");
    s_Produced = Explore();
  }
  static void TearDownTestSuite() {
    delete s_pCommands;
    delete s_pErrors;
  }

  static std::string CommandName(BYTE cls, BYTE code) {
    const BYTE n = s_pCommands->GetLength(cls, code);
    return n ? std::string(s_pCommands->GetText(cls, code), n) : std::string();
  }

  static CCmdCode* s_pCommands;
  static CErrorCode* s_pErrors;
  static CProduced s_Produced;
};

CCmdCode* DescriptionFiles::s_pCommands = nullptr;
CErrorCode* DescriptionFiles::s_pErrors = nullptr;
CProduced DescriptionFiles::s_Produced;

TEST_F(DescriptionFiles, EveryAnswerOpcodeHasAClassAndNothingElseDoes) {
  ASSERT_FALSE(s_Produced.m_AnswerOpcodes.empty());
  std::set<BYTE> defined;
  for (int cls = 0; cls < 256; ++cls)
    if (s_pCommands->IsDefined(BYTE(cls))) defined.insert(BYTE(cls));
  EXPECT_EQ(defined, s_Produced.m_AnswerOpcodes);
  for (BYTE cls : defined)
    EXPECT_NE(s_pCommands->GetLength(cls, 0xEE), 0) << "class without its own name: " << int(cls);
}

TEST_F(DescriptionFiles, EveryErrorTheReaderSendsIsDescribedAndNoOther) {
  std::set<BYTE> defined;
  for (int code = 0; code < 256; ++code)
    if (s_pErrors->IsDefined(BYTE(code))) defined.insert(BYTE(code));
  EXPECT_EQ(defined, s_Produced.m_Errors);
  EXPECT_EQ(std::string(s_pErrors->GetText(VERTA_ERR_NO_CARD), s_pErrors->GetLength(VERTA_ERR_NO_CARD)),
            " NO CARD IN THE SELECTED SLOT");
}

TEST_F(DescriptionFiles, SubFunctionsAndCardEventsHaveNamesOfTheirOwn) {
  EXPECT_EQ(CommandName(VERTA_OP_RESET_CARD, 0x3B), " RESET CARD");
  EXPECT_EQ(CommandName(VERTA_OP_SET_SLOT_PARAMETER, VERTA_PARAM_VOLTAGE), " SET SLOT PARAMETER : VOLTAGE CLASS");
  EXPECT_EQ(CommandName(VERTA_OP_SET_SLOT_PARAMETER, 0x09), " SET SLOT PARAMETER");
  EXPECT_EQ(CommandName(VERTA_OP_READER_INFO, VERTA_INFO_SERIAL), " READER INFO : SERIAL NUMBER");
  EXPECT_EQ(CommandName(VERTA_OP_SELECT_CARD, 0x04), " SELECT CARD 4");
  for (int slot = 1; slot <= 6; ++slot) {
    EXPECT_EQ(CommandName(VERTA_OP_CARD_EVENT, BYTE(slot << 4 | 1)),
              " CARD EVENT : CARD INSERTED IN SLOT " + std::to_string(slot));
    EXPECT_EQ(CommandName(VERTA_OP_CARD_EVENT, BYTE(slot << 4)),
              " CARD EVENT : CARD REMOVED FROM SLOT " + std::to_string(slot));
  }
}

TEST_F(DescriptionFiles, LinesEndWithCrLfAndDescriptionsBeginWithASpace) {
  for (const char* name : {"/Command.txt", "/Error.txt"}) {
    const std::string text = ReadFile(kDataDir + name);
    ASSERT_FALSE(text.empty()) << name;
    ASSERT_EQ(text.substr(text.size() - 2), "\r\n") << name;
    std::size_t start = 0;
    while (start < text.size()) {
      const std::size_t end = text.find("\r\n", start);
      ASSERT_NE(end, std::string::npos) << name;
      const std::string line = text.substr(start, end - start);
      EXPECT_EQ(line.find('\n'), std::string::npos) << name << ": " << line;
      const std::size_t key = line.size() > 2 && line[2] == '-' ? 5 : 2;
      ASSERT_GT(line.size(), key + 1) << name << ": " << line;
      EXPECT_EQ(line[key], ' ') << name << ": " << line;
      EXPECT_LT(line.size() - key, 100u) << name << ": " << line;
      start = end + 2;
    }
  }
}

}  // namespace
