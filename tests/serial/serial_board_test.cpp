// tavric-run with the serial board over a pseudo-terminal, the simulated
// reader's firmware at the far end (tavric-ptyreader): a script, a slow link,
// a frame split across reads, a garbled frame, the far end closing, the
// delays of the Delay Options (a port that cannot be opened: the scenario case
// run_serial_no_port). Skipped, with the reason, only where no
// pseudo-terminal can be opened.
#include <gtest/gtest.h>

#include <string>

#include "pty_reader_process.h"
#include "tavric_run.h"
#include "temp_folder.h"

namespace {

// The three reader commands of the script; their exchanges, as the trace
// shows them, are tests/data/serial/three_exchanges.txt.
const char kScript[] =
    "30;\n"
    "20 01;\n"
    "10;\n";

std::string WithoutCr(std::string text) {
  std::erase(text, '\r');
  return text;
}

using tvr_test::Contains;
using tvr_test::Count;

class SerialBoardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string why = CTVRPtyReaderProcess::WhyNoPty();
    if (!why.empty()) GTEST_SKIP() << "no pseudo-terminal: " << why;
  }

  QString Script(const char* name, const std::string& text) { return QString::fromStdString(m_Dir.Write(name, text)); }

  // The reader started with these options, then a run of the script.
  CTVRPtyReaderProcess::CRun Run(const QStringList& readerOptions, const QStringList& args) {
    EXPECT_TRUE(m_Reader.Start(readerOptions));
    CTVRPtyReaderProcess::CRun run = m_Reader.RunTavric(args);
    run.m_strOut = WithoutCr(run.m_strOut);
    run.m_strErr = WithoutCr(run.m_strErr);
    return run;
  }

  CTVRPtyReaderProcess m_Reader;
  tvr_test::CTempFolder m_Dir;
};

// Each run traces exactly the three exchanges between the line opened and
// closed, however the answers come. Pauses within answers stay far under the
// inter-byte timeout they are run with, so that a loaded machine keeps them under.
TEST_F(SerialBoardTest, TheExchangesComeThroughWholeHoweverTheAnswersArrive) {
  const std::string defaults = "115200 bit/s, parity none, flow control none";
  const struct {
    QStringList reader, args;
    std::string settings, first;  // first: a line before the three statements
    double minSeconds;            // what the reader's or the script's delays take at least
  } runs[] = {
      {{}, {}, defaults, "", 0},
      // A pseudo-terminal takes these; it refuses even parity (the kernel keeps no parity bits for it).
      {{},
       {"--speed", "9600", "--parity", "odd", "--flow", "software"},
       "9600 bit/s, parity odd, flow control software",
       "",
       0},
      // 43 answer bytes at 400 bytes a second, each its own read.
      {{"--bytes-per-second", "400"}, {"--byte-timeout", "600"}, defaults, "", 0.107},
      // Each answer in two reads 100 ms apart: longer than the default
      // timeout of 50 ms, within the one given.
      {{"--split", "100"}, {"--byte-timeout", "600"}, defaults, "", 0.3},
      // The command delay is waited before each frame.
      {{}, {}, defaults, ".t(300);\n", 0.9},
  };
  const std::string exchanges = tvr_test::CTempFolder::Read(TAVRIC_TEST_DATA_DIR "/serial/three_exchanges.txt");
  ASSERT_FALSE(exchanges.empty());
  for (const auto& r : runs) {
    SCOPED_TRACE(r.reader.join(' ').toStdString() + " " + r.args.join(' ').toStdString());
    CTVRPtyReaderProcess reader;
    ASSERT_TRUE(reader.Start(r.reader));
    const auto run = reader.RunTavric(QStringList{"--protocol", "Verta"} + r.args +
                                      QStringList{Script("three.cmd", r.first + kScript)});
    const std::string port = reader.GetPort();
    EXPECT_EQ(run.m_nStatus, 0) << run.m_strErr;
    EXPECT_EQ(WithoutCr(run.m_strOut), "Serial port " + port + " opened: " + r.settings + ", Verta frames\n" +
                                           exchanges + "Serial port " + port + " closed\n");
    EXPECT_EQ(run.m_strErr, "");
    EXPECT_GE(run.m_dSeconds, r.minSeconds);
    // The reader saw the line closed and ended.
    EXPECT_EQ(reader.WaitForEnd(5000), 0);
  }
}

TEST_F(SerialBoardTest, ASplitLongerThanTheTimeoutIsATruncatedFrame) {
  // The first answer's halves are 200 ms apart; the line falls silent after 50.
  const auto run = Run({"--split", "200"}, {Script("three.cmd", kScript)});
  EXPECT_TRUE(Contains(run.m_strOut,
                       "Serial: a truncated Verta frame was dropped (the line fell silent after 8 bytes): "
                       "60 00 0D 30 56 52 54 2D\n"))
      << run.m_strOut;
  // Auto pause: the reader error stops the run at its first statement, and
  // the run says it ended early.
  EXPECT_FALSE(Contains(run.m_strOut, "SELECT CARD 1")) << run.m_strOut;
  EXPECT_EQ(run.m_nStatus, 6) << run.m_strErr;
  EXPECT_TRUE(Contains(run.m_strErr, "tavric-run: the run ended early on a reader error, at the statement on line 1\n"))
      << run.m_strErr;
}

TEST_F(SerialBoardTest, AGarbledFrameIsAnErrorCommentAndTheNextFrameComesThrough) {
  // Noise shaped like the second answer, its last byte wrong, then the answer itself.
  const auto run = Run({"--garble", "2"}, {Script("three.cmd", kScript)});
  const std::string expected = std::string(
                                   "PC -> IFD : SELECT CARD 1\n"
                                   "            40 00 02 20 01 63 \n") +
                               "Serial: a garbled Verta frame was dropped (6 bytes, its checksum is wrong): "
                               "60 00 02 20 01 19\n"
                               // Traced as an answer nobody waits for any more: the run has stopped.
                               "IFD -> PC : SELECT CARD 1\n"
                               "            60 00 02 20 01 43 \n";
  EXPECT_TRUE(Contains(run.m_strOut, expected)) << run.m_strOut;
  EXPECT_EQ(Count(run.m_strOut, "Serial: a garbled"), 1u) << run.m_strOut;
  // Auto pause stops the run on the error; the answer after it is still read whole.
  EXPECT_FALSE(Contains(run.m_strOut, "RESET CARD")) << run.m_strOut;
  EXPECT_EQ(run.m_nStatus, 6) << run.m_strErr;
}

TEST_F(SerialBoardTest, FreeReceptionHandsOverWhatCameBeforeTheSilence) {
  // A raw-data script receives freely: the garbled copy and the answer behind
  // it are one piece, with no error.
  const auto run = Run({"--garble", "1"}, {"--type", "raw", Script("raw.cmd", "40 00 02 20 01 63;\n")});
  EXPECT_EQ(run.m_nStatus, 0) << run.m_strErr;
  EXPECT_TRUE(Contains(run.m_strOut, "            60 00 02 20 01 19 60 00 02 20 01 43 \n")) << run.m_strOut;
  EXPECT_FALSE(Contains(run.m_strOut, "Serial: a garbled")) << run.m_strOut;
}

TEST_F(SerialBoardTest, TheFarEndClosingIsOneDisconnection) {
  // A pseudo-terminal whose far end closed fails the next read, as an adapter pulled out does.
  const auto run = Run({"--close-after", "2"}, {Script("three.cmd", kScript)});
  EXPECT_EQ(run.m_nStatus, 4) << run.m_strErr;
  EXPECT_TRUE(Contains(run.m_strOut, "IFD -> PC : SELECT CARD 1 EXECUTED")) << run.m_strOut;
  EXPECT_EQ(Count(run.m_strOut, "Serial: " + m_Reader.GetPort() + ": reading the line failed\n"), 1u) << run.m_strOut;
  EXPECT_EQ(Count(run.m_strErr, "The USB connection has been broken !"), 1u) << run.m_strErr;
  EXPECT_TRUE(Contains(run.m_strErr, "tavric-run: the reader was disconnected")) << run.m_strErr;
  EXPECT_TRUE(Contains(run.m_strOut, "Serial port " + m_Reader.GetPort() + " closed\n")) << run.m_strOut;
  EXPECT_FALSE(Contains(run.m_strOut, "RESET CARD EXECUTED")) << run.m_strOut;
}

TEST_F(SerialBoardTest, AKiroStatementEndsWhenTheLineFallsSilentAfterItsAnswer) {
  // GET RELEASE, then DIAGNOSE with two bytes: the host does not end kiro statements.
  const auto run = Run({"--protocol", "Kiro"}, {"--protocol", "Kiro", Script("kiro.cmd", "02;\n00 AB CD;\n")});
  EXPECT_EQ(run.m_nStatus, 0) << run.m_strErr;
  EXPECT_TRUE(Contains(run.m_strOut, "Kiro frames")) << run.m_strOut;
  EXPECT_EQ(Count(run.m_strOut, "PC -> IFD :"), 2u) << run.m_strOut;
  EXPECT_TRUE(Contains(run.m_strOut, "00 00 FF 04 FC D5 01 AB CD B2 00")) << run.m_strOut;
}

}  // namespace
