// The layouts of the answer decoder: the decoded text, the bytes traced and
// when the running statement ends, for the generic layout (Command.txt and
// Error.txt), the PC/SC, "kiro" and message-code ones with the description
// files the protocol plug-ins ship, and the family table that chooses them.
// The answers the simulated reader gives (an awaited answer or error, one
// nobody awaits, a named status word, an answer to reset under PC/SC, the
// Kiro release and error frame, a Kiro extended frame, a CCID slot status or
// data block) are decoded in the golden examples and the scenario cases
// sim_script, pcsc_more and kiro_more.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <tavric/trace_record.h>

#include "decode/answer_decoder.h"
#include "decode/protocol_family.h"
#include "doc_fixture.h"
#include "document/board_doc_private.h"
#include "hex_bytes.h"
#include "run_state.h"
#include "trace/trace_log.h"
#include "trace_reader.h"

namespace {

using Bytes = std::vector<BYTE>;
using Record = tvr_test::TraceRecord;

const std::string kPlugins = TAVRIC_PLUGINS_DIR;
const std::string kDataDir = std::string(TAVRIC_TEST_DATA_DIR) + "/decode";

using tvr_test::Hex;

std::string Str(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}
std::string Str(const char* hex) {
  return Str(Hex(hex));
}

class ExtraCodeProtocol : public CTVRTestProtocol {
 public:
  WORD GetExtraMsgCode(BYTE*, DWORD, int) override { return m_wExtra; }
  WORD m_wExtra = 0;
};

class AnswerLayouts : public CTVRDocFixture {
 protected:
  void SetUp() override {
    CTVRDocFixture::SetUp();
    UseProtocol(m_Layout);
    m_Slots.SetListener(nullptr);
  }
  // One layout's geometry and description files.
  void Use(ETVRAnswerLayout layout, BYTE header, BYTE opcode, BYTE lrc, BYTE errorCode, BYTE mask,
           const std::string& folder) {
    m_Layout.SetAnswerLayout(layout);
    m_Layout.SetHeaderLength(header);
    m_Layout.SetOpCodeLength(opcode);
    m_Layout.SetLRCLength(lrc);
    m_Layout.SetProtocolErrorCode(errorCode);
    m_Layout.SetMaskCode(mask);
    const CTVRProtocolFamily& family = CTVRProtocolFamily::ForLayout(layout);
    if (family.GetCommandFile()) m_Layout.CmdTable().LoadPath(kPlugins + folder + family.GetCommandFile());
    if (family.GetErrorFile()) m_Layout.ErrorTable().LoadPath(kPlugins + folder + family.GetErrorFile());
  }
  void Await(BYTE opcode, EScriptType type = SCRIPT_COMMANDS, BOOL wait = TRUE) {
    RunQueue();
    CTVRBoardDocPrivate::Of(*m_pDoc).m_eScriptType = type;
    tvr_test::SetRun(*m_pDoc, true, wait);
    CTVRBoardDocPrivate::Of(*m_pDoc).SetExpectedOpcode(opcode);
    CTVRBoardDocPrivate::Of(*m_pDoc).GetRunController().SetTraceOn(TRUE);
    m_nFirstRecord = CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog().GetCount();
  }
  // A copy of exactly the answer's size: a read past its end is caught by
  // the address sanitizer.
  void Decode(const Bytes& answer) {
    Bytes copy = answer;
    CTVRBoardDocPrivate::Of(*m_pDoc).OnReceiveAnswer(copy.empty() ? nullptr : copy.data(), DWORD(copy.size()));
  }
  std::vector<Record> Records() const { return tvr_test::TraceRecords(*m_pDoc, m_nFirstRecord); }
  static bool EndPosted() { return CTVRDispatcher::GetInstalled()->PendingCount() == 1; }

  struct CCase {
    const char* what;
    Bytes answer;
    const char* text;      // the decoded text, nullptr: none
    std::string received;  // the bytes traced
    bool ends;
  };
  void Check(const CCase* begin, const CCase* end, BYTE expected, EScriptType type) {
    for (const CCase* c = begin; c != end; ++c) {
      SCOPED_TRACE(c->what);
      Await(expected, type);
      Decode(c->answer);
      std::vector<Record> records;
      if (c->text) records.emplace_back(TRACE_ANSWER_TEXT, c->text);
      records.emplace_back(TRACE_RECEIVED, c->received);
      EXPECT_EQ(Records(), records);
      EXPECT_EQ(EndPosted(), c->ends);
    }
  }

  ExtraCodeProtocol m_Layout;
  CTVRCardSlots& m_Slots = m_Context.Host().GetCardSlots();
  std::size_t m_nFirstRecord = 0;
};

TEST_F(AnswerLayouts, GenericTextsBytesAndTheEndOfTheStatement) {
  m_Layout.CmdTable().LoadPath(kDataDir + "/Command.txt");
  m_Layout.ErrorTable().LoadPath(kDataDir + "/Error.txt");
  struct CGenericCase {
    const char* what;
    Bytes answer;
    const char* text;  // the decoded text, nullptr: none
    bool ends;         // the end of the statement is posted
    BYTE expected = 0xD4;
    BOOL wait = TRUE;  // the statement awaits an answer
    BOOL traceOn = TRUE;
    EScriptType type = SCRIPT_COMMANDS;
    bool bytes = true;  // the answer's bytes are traced
  };
  const CGenericCase cases[] = {
      {"another opcode", MakeAnswerFrame(0x60, 0xD4, {0x02}), " Reader command EXECUTED", false, 0x30},
      {"raw data", MakeAnswerFrame(0x60, 0xD4, {0x4A}), nullptr, true, 0x55, TRUE, TRUE, SCRIPT_RAWDATA},
      {"unnamed code", MakeAnswerFrame(0x60, 0x30, {0x02}), " UNKNOWN COMMAND (see command.txt) EXECUTED", false},
      {"class not in the file", MakeAnswerFrame(0x60, 0x77, {0x01}), " UNKNOWN COMMAND EXECUTED", false},
      {"undefined error, any opcode", MakeAnswerFrame(0xE0, 0x30, {0x55}), " ERROR 0x55 :", true},
      {"unsolicited, trace off", MakeAnswerFrame(0x60, 0xD4, {0x4A}), " Get firmware", false, 0xD4, FALSE, FALSE},
      {"trace off", MakeAnswerFrame(0x60, 0xD4, {0x4A}), nullptr, true, 0xD4, TRUE, FALSE, SCRIPT_COMMANDS, false},
      // Bytes beyond the answer read as zero.
      {"no data byte", {0x60, 0x00, 0x00, 0xD4}, " Reader command EXECUTED", true},
      {"no error code", {0xE0}, " ERROR 0x00 :", true},
  };
  for (const CGenericCase& c : cases) {
    SCOPED_TRACE(c.what);
    Await(c.expected, c.type, c.wait);
    CTVRBoardDocPrivate::Of(*m_pDoc).GetRunController().SetTraceOn(c.traceOn);
    CTVRBoardDocPrivate::Of(*m_pDoc).m_DelayOptions.m_bFreeReception = TRUE;
    Decode(c.answer);
    std::vector<Record> expected;
    if (c.text) expected.emplace_back(TRACE_ANSWER_TEXT, c.text);
    if (c.bytes) expected.emplace_back(TRACE_RECEIVED, Str(c.answer));
    EXPECT_EQ(Records(), expected);
    EXPECT_EQ(EndPosted(), c.ends);
    EXPECT_FALSE(m_pDoc->IsWaitingAnswer());
    EXPECT_EQ(m_pDoc->IsTraceOn(),
              c.traceOn);  // forced on for an unsolicited answer, then restored
    EXPECT_EQ(m_pDoc->GetDelayOptions().m_bFreeReception, c.type == SCRIPT_RAWDATA ? FALSE : TRUE);
  }

  // Every prefix of three answers, in both script types: the sanitizer build
  // checks the reads, and the bytes traced are exactly the answer's.
  for (EScriptType type : {SCRIPT_RAWDATA, SCRIPT_COMMANDS})
    for (const Bytes& frame : {MakeAnswerFrame(0xE0, 0x20, {0x6A}), MakeAnswerFrame(0x60, 0xA0, {0x20}),
                               MakeAnswerFrame(0x60, 0x10, {0x3B, 0x00})})
      for (std::size_t length = 0; length <= frame.size(); ++length) {
        Await(0xD4, type);
        const Bytes prefix(frame.begin(), frame.begin() + std::ptrdiff_t(length));
        Decode(prefix);
        ASSERT_FALSE(Records().empty());
        EXPECT_EQ(Records().back(), Record(TRACE_RECEIVED, Str(prefix))) << "length " << length;
      }
}

TEST_F(AnswerLayouts, PcscCardResultsErrorsAndTheTwoHiddenBytes) {
  Use(ANSWER_PCSC, 1, 1, 0, 0xE1, 0x0A, "/pcsc/");
  const CCase cases[] = {
      {"unknown status word", Hex("60 00 90 12"), " UNKNOWN CARD RESULT", Str("90 12"), true},
      {"no status word", Hex("60 00"), " UNKNOWN CARD RESULT", "", true},
      {"mask", Hex("60 0A 4D 31"), " VENDOR COMMAND : MASK", "M1", true},
      {"other kind", Hex("60 33 01"), nullptr, Str("01"), true},
      {"error text up to its zero", Hex("E1 0C 20 4E 4F 00 58"), " NO", Str("20 4E 4F 00 58"), true},
      {"error text to the end", Hex("E1 0C 20 4E 4F"), " NO", " NO", true},
      {"nothing to show", Hex("E0 00 55"), nullptr, "", true},
      {"one byte", Hex("60"), nullptr, "", true},
      {"empty", {}, nullptr, "", true},
  };
  Check(std::begin(cases), std::end(cases), 0, SCRIPT_RAWDATA);
  EXPECT_EQ(m_Slots.GetMask(0), "M1");
  // An empty answer ends a statement of any script type; any other ends only its own.
  const CCase commands[] = {{"E0", Hex("E0 00"), nullptr, "", true},
                            {"another expected opcode", Hex("60 00 90 00"), " NORMAL PROCESSING", Str("90 00"), false}};
  Check(std::begin(commands), std::end(commands), 0x77, SCRIPT_COMMANDS);
}

TEST_F(AnswerLayouts, KiroFramesErrorsUnknownCodesAndTheRelease) {
  Use(ANSWER_KIRO, 5, 1, 2, 0x7F, 0x02, "/kiro/");
  const char* const release = "00 00 FF 04 FC D5 03 01 06 23 00";
  const char* const error = "00 00 FF 01 FF 7F 81 00";
  const CCase cases[] = {
      {"unknown code", Hex("00 00 FF 02 FE D5 45 E6 00"), " UNKNOWN COMMAND (see kirocmd.txt) EXECUTED",
       Str("00 00 FF 02 FE D5 45 E6 00"), true},
      {"unknown class", Hex("00 00 FF 02 FE D7 01 28 00"), " UNKNOWN COMMAND EXECUTED",
       Str("00 00 FF 02 FE D7 01 28 00"), false},
      {"length checksum wrong", Hex("00 00 FF 02 FD D5 03 28 00"), nullptr, Str("00 00 FF 02 FD D5 03 28 00"), true},
  };
  Check(std::begin(cases), std::end(cases), 0xD5, SCRIPT_COMMANDS);

  // Raw data: no text, and every answer ends the statement.
  const CCase raw[] = {{"raw", Hex(release), nullptr, Str(release), true},
                       {"raw error", Hex(error), nullptr, Str(error), true}};
  Check(std::begin(raw), std::end(raw), 0x00, SCRIPT_RAWDATA);
}

TEST_F(AnswerLayouts, ShortAnswersOfEveryLayoutAreNeverReadPastTheirEnd) {
  struct CLayout {
    ETVRAnswerLayout layout;
    BYTE header, opcode, lrc, error;
    Bytes frame;
  };
  const CLayout layouts[] = {
      {ANSWER_PCSC, 1, 1, 0, 0xE1, {0x60, 0x6E, 0x3B, 0x00, 0x90, 0x00}},
      {ANSWER_PCSC, 1, 1, 0, 0xE1, {0xE1, 0x0C, 'A', 'B'}},
      {ANSWER_KIRO, 5, 1, 2, 0x7F, {0x00, 0x00, 0xFF, 0x04, 0xFC, 0xD5, 0x03, 0x01, 0x06, 0x23, 0x00}},
      {ANSWER_KIRO, 5, 1, 2, 0x7F, {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x03, 0xFD, 0xD5, 0x41, 0x00, 0xEA, 0x00}},
      // Not a completed step: a 02 would post the next step a second later.
      {ANSWER_LOOPBACK, 2, 1, 1, 0x15, {0x15, 0x01, 0x47, 0x01, 0x52}},
      {ANSWER_MESSAGE_CODE, 0, 10, 0, 0, {0x80, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0x90, 0x00}},
  };
  m_Layout.SetMsgCode([](const BYTE* bytes, DWORD length, int) -> WORD { return length ? bytes[length - 1] : 0; });
  for (const CLayout& l : layouts) {
    Use(l.layout, l.header, l.opcode, l.lrc, l.error, 0x02, "/none/");
    for (EScriptType type : {SCRIPT_RAWDATA, SCRIPT_COMMANDS})
      for (std::size_t length = 0; length <= l.frame.size(); ++length) {
        Await(0, type);
        Decode(Bytes(l.frame.begin(), l.frame.begin() + std::ptrdiff_t(length)));
        ASSERT_FALSE(Records().empty()) << int(l.layout) << " length " << length;
        EXPECT_EQ(Records().back().first, TRACE_RECEIVED);
      }
  }
}

// (A named error and a family's extra message: the golden example ccid.)
TEST_F(AnswerLayouts, MessageCodesNameErrorsCommandsAndExtraMessages) {
  Use(ANSWER_CCID, 0, 10, 0, 0, 0, "/ccid/");
  struct CCodeCase {
    const char* what;
    WORD code;
    WORD extra;
    const char* text;
  };
  const CCodeCase cases[] = {
      {"unknown error", 0x0042, 0, " UNKNOWN ERROR"},
      {"class without that code", 0x8107, 0, " UNDEFINED COMMAND"},
      {"class not described", 0x9901, 0, " UNKNOWN COMMAND EXECUTED"},
      {"undefined extra message", 0x8000, 0x6A87, " DATA BLOCK UNDEFINED EXTRA MSG"},
      {"unknown extra message", 0x8000, 0x9101, " DATA BLOCK UNKNOWN EXTRA MSG"},
      {"error with an extra message", 0x00FB, 0x9000, " HW ERROR : NORMAL PROCESSING"},
  };
  const Bytes answer{0x01, 0x02};
  for (const CCodeCase& c : cases) {
    SCOPED_TRACE(c.what);
    m_Layout.SetMsgCode([&c](const BYTE*, DWORD, int isCommand) -> WORD { return isCommand ? 0 : c.code; });
    m_Layout.m_wExtra = c.extra;
    Await(0x01);
    Decode(answer);
    EXPECT_EQ(Records(), (std::vector<Record>{{TRACE_ANSWER_TEXT, c.text}, {TRACE_RECEIVED, Str(answer)}}));
    EXPECT_EQ(EndPosted(), true);  // byte 0 is the expected opcode
  }
}

// An intermediate message leaves the command awaiting its final answer: the
// time extension of the golden example ccid. One nobody awaits is traced, the
// trace turned on for it; nothing decoded, nothing ended, nothing restored.
TEST_F(AnswerLayouts, AnIntermediateMessageNobodyAwaitsIsTracedAndEndsNothing) {
  Use(ANSWER_CCID, 0, 10, 0, 0, 0, "/ccid/");
  m_Layout.SetMsgCode([](const BYTE*, DWORD, int) -> WORD { return 0x0101; });
  const Bytes answer{0x80, 0x01};
  Await(0x80, SCRIPT_COMMANDS, FALSE);
  CTVRBoardDocPrivate::Of(*m_pDoc).GetRunController().SetTraceOn(FALSE);
  Decode(answer);
  EXPECT_EQ(Records(), (std::vector<Record>{{TRACE_RECEIVED, Str(answer)}}));
  EXPECT_FALSE(EndPosted());
  EXPECT_FALSE(m_pDoc->IsWaitingAnswer());
  EXPECT_TRUE(m_pDoc->IsTraceOn());
}

}  // namespace
