// The PC/SC, "kiro", message-code and loopback layouts of the answer decoder,
// and the family table that chooses them, with the description files that
// the protocol plug-ins ship.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <tavric/trace_record.h>

#include "decode/answer_decoder.h"
#include "decode/protocol_family.h"
#include "doc_fixture.h"
#include "run_state.h"
#include "trace/trace_log.h"
#include "trace_reader.h"

namespace {

using Bytes = std::vector<BYTE>;
using Record = tvr_test::TraceRecord;

const std::string kPlugins = TAVRIC_PLUGINS_DIR;

std::string Str(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

TEST(ProtocolFamilies, EachAnswerLayoutHasItsDescriptionFilesAndRules) {
  struct CCase {
    ETVRAnswerLayout layout;
    const char* commandFile;
    const char* errorFile;
    bool rawOnly;
  };
  const CCase cases[] = {
      {ANSWER_GENERIC, "Command.txt", "Error.txt", false}, {ANSWER_CCID, "ccidcmd.txt", "cciderr.txt", false},
      {ANSWER_PCSC, "pcsccmd.txt", "pcscerr.txt", true},   {ANSWER_KIRO, "kirocmd.txt", "kiroerr.txt", false},
      {ANSWER_LOOPBACK, nullptr, nullptr, false},          {ANSWER_MESSAGE_CODE, nullptr, nullptr, false},
      {ETVRAnswerLayout(99), nullptr, nullptr, false},  // a value a plug-in got wrong
  };
  for (const CCase& c : cases) {
    SCOPED_TRACE(int(c.layout));
    const CTVRProtocolFamily& family = CTVRProtocolFamily::ForLayout(c.layout);
    EXPECT_EQ(family.GetCommandFile() ? std::string(family.GetCommandFile()) : "-",
              c.commandFile ? std::string(c.commandFile) : "-");
    EXPECT_EQ(family.GetErrorFile() ? std::string(family.GetErrorFile()) : "-",
              c.errorFile ? std::string(c.errorFile) : "-");
    EXPECT_EQ(family.IsRawDataOnly(), c.rawOnly);
  }
  // The CCID layout and the plain message-code one decode alike.
  EXPECT_EQ(typeid(CTVRProtocolFamily::ForLayout(ANSWER_CCID)),
            typeid(CTVRProtocolFamily::ForLayout(ANSWER_MESSAGE_CODE)));
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
    m_pDoc->m_eScriptType = type;
    tvr_test::SetRun(*m_pDoc, true, wait);
    m_pDoc->SetExpectedOpcode(opcode);
    m_pDoc->GetRunController().SetTraceOn(TRUE);
    m_nFirstRecord = m_pDoc->GetTraceLog().GetCount();
  }
  // A copy of exactly the answer's size: a read past its end is caught by
  // the address sanitizer.
  void Decode(const Bytes& answer) {
    Bytes copy = answer;
    m_pDoc->OnReceiveAnswer(copy.empty() ? nullptr : copy.data(), DWORD(copy.size()));
  }
  std::vector<Record> Records() const { return tvr_test::TraceRecords(*m_pDoc, m_nFirstRecord); }
  static bool EndPosted() { return CTVRDispatcher::Instance().PendingCount() == 1; }

  struct CCase {
    const char* what;
    Bytes answer;
    std::vector<Record> records;
    bool ends;
  };
  void Check(const CCase* begin, const CCase* end, BYTE expected, EScriptType type) {
    for (const CCase* c = begin; c != end; ++c) {
      SCOPED_TRACE(c->what);
      Await(expected, type);
      Decode(c->answer);
      EXPECT_EQ(Records(), c->records);
      EXPECT_EQ(EndPosted(), c->ends);
    }
  }

  ExtraCodeProtocol m_Layout;
  CTVRCardSlots& m_Slots = CTVRHost::Instance().GetCardSlots();
  std::size_t m_nFirstRecord = 0;
};

TEST_F(AnswerLayouts, PcscCardResultsErrorsAndTheTwoHiddenBytes) {
  Use(ANSWER_PCSC, 1, 1, 0, 0xE1, 0x0A, "/pcsc/");
  const CCase cases[] = {
      {"named status word",
       {0x60, 0x00, 0x01, 0x90, 0x00},
       {{TRACE_ANSWER_TEXT, " NORMAL PROCESSING"}, {TRACE_RECEIVED, Str({0x01, 0x90, 0x00})}},
       true},
      {"family of a status word",
       {0x60, 0x00, 0x6C, 0x20},
       {{TRACE_ANSWER_TEXT, " WRONG LE FIELD (SW2 GIVES THE EXACT LENGTH)"}, {TRACE_RECEIVED, Str({0x6C, 0x20})}},
       true},
      {"unknown status word",
       {0x60, 0x00, 0x90, 0x12},
       {{TRACE_ANSWER_TEXT, " UNKNOWN CARD RESULT"}, {TRACE_RECEIVED, Str({0x90, 0x12})}},
       true},
      {"no status word", {0x60, 0x00}, {{TRACE_ANSWER_TEXT, " UNKNOWN CARD RESULT"}, {TRACE_RECEIVED, ""}}, true},
      {"mask", {0x60, 0x0A, 'M', '1'}, {{TRACE_ANSWER_TEXT, " VENDOR COMMAND : MASK"}, {TRACE_RECEIVED, "M1"}}, true},
      {"answer to reset",
       {0x60, 0x6E, 0x3B, 0x00},
       {{TRACE_ANSWER_TEXT, " ATR"}, {TRACE_RECEIVED, Str({0x3B, 0x00})}},
       true},
      {"other kind", {0x60, 0x33, 0x01}, {{TRACE_RECEIVED, Str({0x01})}}, true},
      {"error text up to its zero",
       {0xE1, 0x0C, ' ', 'N', 'O', 0x00, 'X'},
       {{TRACE_ANSWER_TEXT, " NO"}, {TRACE_RECEIVED, Str({' ', 'N', 'O', 0x00, 'X'})}},
       true},
      {"error text to the end",
       {0xE1, 0x0C, ' ', 'N', 'O'},
       {{TRACE_ANSWER_TEXT, " NO"}, {TRACE_RECEIVED, " NO"}},
       true},
      {"nothing to show", {0xE0, 0x00, 0x55}, {{TRACE_RECEIVED, ""}}, true},
      {"one byte", {0x60}, {{TRACE_RECEIVED, ""}}, true},
      {"empty", {}, {{TRACE_RECEIVED, ""}}, true},
  };
  Check(std::begin(cases), std::end(cases), 0, SCRIPT_RAWDATA);
  EXPECT_EQ(m_Slots.GetMask(0), "M1");
  EXPECT_EQ(m_Slots.GetAtr(0), (Bytes{0x3B, 0x00}));
}

TEST_F(AnswerLayouts, PcscEmptyAnswerEndsAStatementOfAnyScriptType) {
  Use(ANSWER_PCSC, 1, 1, 0, 0xE1, 0x0A, "/pcsc/");
  const CCase cases[] = {{"E0", {0xE0, 0x00}, {{TRACE_RECEIVED, ""}}, true},
                         {"another expected opcode",
                          {0x60, 0x00, 0x90, 0x00},
                          {{TRACE_ANSWER_TEXT, " NORMAL PROCESSING"}, {TRACE_RECEIVED, Str({0x90, 0x00})}},
                          false}};
  Check(std::begin(cases), std::end(cases), 0x77, SCRIPT_COMMANDS);
}

TEST_F(AnswerLayouts, KiroFramesErrorsUnknownCodesAndTheRelease) {
  Use(ANSWER_KIRO, 5, 1, 2, 0x7F, 0x02, "/kiro/");
  const Bytes release{0x00, 0x00, 0xFF, 0x04, 0xFC, 0xD5, 0x03, 0x01, 0x06, 0x23, 0x00};
  const Bytes unknownCode{0x00, 0x00, 0xFF, 0x02, 0xFE, 0xD5, 0x45, 0xE6, 0x00};
  const Bytes unknownClass{0x00, 0x00, 0xFF, 0x02, 0xFE, 0xD7, 0x01, 0x28, 0x00};
  const Bytes error{0x00, 0x00, 0xFF, 0x01, 0xFF, 0x7F, 0x81, 0x00};
  const Bytes badLength{0x00, 0x00, 0xFF, 0x02, 0xFD, 0xD5, 0x03, 0x28, 0x00};
  Bytes extended{0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x03, 0xFD, 0xD5, 0x41, 0x00, 0xEA, 0x00};
  const CCase cases[] = {
      {"release", release, {{TRACE_ANSWER_TEXT, " GET RELEASE EXECUTED"}, {TRACE_RECEIVED, Str(release)}}, true},
      {"unknown code",
       unknownCode,
       {{TRACE_ANSWER_TEXT, " UNKNOWN COMMAND (see kirocmd.txt) EXECUTED"}, {TRACE_RECEIVED, Str(unknownCode)}},
       true},
      {"unknown class",
       unknownClass,
       {{TRACE_ANSWER_TEXT, " UNKNOWN COMMAND EXECUTED"}, {TRACE_RECEIVED, Str(unknownClass)}},
       false},
      {"error frame",
       error,
       {{TRACE_ANSWER_TEXT, " ERROR 0x7F : THE READER COULD NOT READ THE FRAME"}, {TRACE_RECEIVED, Str(error)}},
       false},
      {"length checksum wrong", badLength, {{TRACE_RECEIVED, Str(badLength)}}, true},
      // The header is three bytes longer: D5 41 at 8 and 9, also for the end of the statement.
      {"extended", extended, {{TRACE_ANSWER_TEXT, " EXCHANGE APDU EXECUTED"}, {TRACE_RECEIVED, Str(extended)}}, true},
  };
  Check(std::begin(cases), std::end(cases), 0xD5, SCRIPT_COMMANDS);
  EXPECT_EQ(m_Slots.GetMask(3), "Release 1.6");

  // Raw data: no text, and every answer ends the statement.
  const CCase raw[] = {{"raw", release, {{TRACE_RECEIVED, Str(release)}}, true},
                       {"raw error", error, {{TRACE_RECEIVED, Str(error)}}, true}};
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

TEST_F(AnswerLayouts, MessageCodesNameErrorsCommandsAndExtraMessages) {
  Use(ANSWER_CCID, 0, 10, 0, 0, 0, "/ccid/");
  struct CCodeCase {
    const char* what;
    WORD code;
    WORD extra;
    const char* text;
  };
  const CCodeCase cases[] = {
      {"error", 0x00FE, 0, " ICC MUTE"},
      {"unknown error", 0x0042, 0, " UNKNOWN ERROR"},
      {"command", 0x8101, 0, " SLOT STATUS : CARD INACTIVE"},
      {"class without that code", 0x8107, 0, " UNDEFINED COMMAND"},
      {"class not described", 0x9901, 0, " UNKNOWN COMMAND EXECUTED"},
      {"extra message", 0x8000, 0x9000, " DATA BLOCK : NORMAL PROCESSING"},
      {"extra message of a family", 0x8000, 0x6C10, " DATA BLOCK : WRONG LE FIELD"},
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

TEST_F(AnswerLayouts, AnIntermediateMessageLeavesTheCommandAwaitingItsFinalAnswer) {
  Use(ANSWER_CCID, 0, 10, 0, 0, 0, "/ccid/");
  m_Layout.SetMsgCode([](const BYTE*, DWORD, int) -> WORD { return 0x0101; });
  const Bytes answer{0x80, 0x01};
  for (BOOL awaited : {TRUE, FALSE}) {
    SCOPED_TRACE(awaited);
    Await(0x80, SCRIPT_COMMANDS, awaited);
    m_pDoc->GetRunController().SetTraceOn(FALSE);
    Decode(answer);
    // Traced only when trace is on, which it is for an answer nobody awaits;
    // nothing decoded, nothing ended, nothing restored.
    const std::vector<Record> traced{{TRACE_RECEIVED, Str(answer)}};
    EXPECT_EQ(Records(), awaited ? std::vector<Record>() : traced);
    EXPECT_FALSE(EndPosted());
    EXPECT_EQ(m_pDoc->IsWaitingAnswer(), awaited);
    EXPECT_EQ(m_pDoc->IsTraceOn(), awaited ? FALSE : TRUE);
  }
}

TEST_F(AnswerLayouts, ALoopbackStepCompletesOneSecondBeforeTheNextStarts) {
  Use(ANSWER_LOOPBACK, 2, 1, 1, 0x15, 0, "/none/");
  CTVRDispatcher& dispatcher = CTVRDispatcher::Instance();
  Await(0x00);
  Decode({0x03, 0x00, 0x47, 0x44});
  EXPECT_EQ(dispatcher.PendingTimedCount(), 0u);  // not a completed step

  Await(0x00);
  const auto start = std::chrono::steady_clock::now();
  Decode({0x02, 0x00, 0x47, 0x45});
  EXPECT_EQ(dispatcher.PendingTimedCount(), 1u);
  EXPECT_EQ(m_Layout.m_nStartLpbCalls, 0);
  ASSERT_TRUE(dispatcher.RunUntil([&] { return m_Layout.m_nStartLpbCalls == 1; }, std::chrono::seconds(3)));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(seconds, 0.99);
  EXPECT_LT(seconds, 1.5);
}

}  // namespace
