// Round-trip times through a whole loop run: the board reports a time with
// every answer; the answer records keep it and the statistics per script line
// agree with what is computed here, independently, from the recorded times.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "document/round_trip_stats.h"
#include "document/run_controller.h"
#include "interpreter_fixture.h"

namespace {

using namespace std::chrono_literals;

TEST_F(InterpreterTest, StatisticsOfATenThousandRoundLoopAgreeWithTheRecordedTimes) {
  constexpr std::size_t kRounds = 10000;
  // Line 2 (index 1) answers in 1, 2, 3 ... microseconds, round after round,
  // plus a jitter of up to 996 us; line 4 (index 3) always in 250 us. Whole
  // microseconds: what an answer record keeps.
  m_pDoc->SetResponder(CTVRTestBoard::EchoResponder());
  m_pDoc->m_RoundTrip = [](std::size_t n) -> std::chrono::nanoseconds {
    if (n % 2 == 1) return 250us;
    const std::int64_t round = std::int64_t(n / 2);
    return std::chrono::microseconds(round + 1 + (round * 7919) % 997);
  };
  CTVRRoundTripStats stats;
  CTVRBoardDocPrivate::Of(*m_pDoc).SetRoundTripStats(&stats);
  CTVRBoardDocPrivate::Of(*m_pDoc).SetLoopMode(TRUE);
  SetScript({".command;", "40 01;", "* the second command", "40 02;"});
  CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStart();
  ASSERT_TRUE(CTVRDispatcher::GetInstalled()->RunUntil([&] { return m_pDoc->m_Sent.size() >= 2 * kRounds; }, 120s));
  m_pDoc->OnScriptStop();
  RunQueue();
  CTVRBoardDocPrivate::Of(*m_pDoc).SetRoundTripStats(nullptr);

  // The recorded times: the answer records (kind 1) in order, the two lines in turn.
  std::map<int, std::vector<std::int64_t>> recorded;
  const CTVRTraceLog& log = CTVRBoardDocPrivate::Of(*m_pDoc).GetTraceLog();
  for (std::size_t i = 0; i < log.GetCount(); ++i) {
    if (log.GetAt(i).m_nKind != TRACE_RECEIVED) continue;
    const std::int64_t time = log.GetTimeAt(i);
    ASSERT_NE(time, CTVRTraceLog::NO_TIME) << "every answer record keeps its time";
    recorded[recorded[1].size() == recorded[3].size() ? 1 : 3].push_back(time);
  }
  ASSERT_GE(recorded[1].size(), kRounds);
  EXPECT_EQ(recorded[1].front(), 1000) << "the first answer's time as the board gave it";
  EXPECT_EQ(recorded[3].front(), 250000);

  ASSERT_EQ(stats.GetLineCount(), 2u) << "lines 2 and 4 only: the comment and .command send nothing";
  for (const int line : {1, 3}) {
    SCOPED_TRACE("line " + std::to_string(line + 1));
    ASSERT_NE(stats.GetLine(line), nullptr);
    const CTVRTimeHistogram& times = *stats.GetLine(line);
    std::vector<std::int64_t> sorted = recorded.at(line);
    // The answer to the frame sent as the run stopped came after it: not counted.
    if (times.GetCount() + 1 == sorted.size()) sorted.pop_back();
    ASSERT_EQ(times.GetCount(), sorted.size());
    std::sort(sorted.begin(), sorted.end());
    double sum = 0;
    for (std::int64_t t : sorted) sum += double(t);
    EXPECT_EQ(times.GetMin(), sorted.front());
    EXPECT_EQ(times.GetMax(), sorted.back());
    EXPECT_NEAR(times.GetMean(), sum / double(sorted.size()), 1e-6);
    // Nearest rank: the ceil(0.95 n)-th smallest, within the histogram's 1/64.
    const std::int64_t p95 = sorted[std::size_t(std::ceil(0.95 * double(sorted.size()))) - 1];
    EXPECT_NEAR(double(times.GetPercentile(0.95)), double(p95), double(p95) / 64);
  }
  EXPECT_EQ(stats.GetLine(3)->GetPercentile(0.95), 250000) << "a constant time is exact";
}

// .expect_time judges the time the board measured, not the host's own: the
// echo board answers at once, but says 7 ms, then 3 ms.
TEST_F(InterpreterTest, AnExpectedTimeIsJudgedOnTheBoardsMeasure) {
  m_pDoc->SetResponder(CTVRTestBoard::EchoResponder());
  m_pDoc->m_RoundTrip = [](std::size_t n) -> std::chrono::nanoseconds { return n == 0 ? 7ms : 3ms; };
  SetScript({".command;", "40 01;", ".expect_time(<= 5 ms);", "40 02;", ".expect_time(<= 5 ms);"});
  CTVRBoardDocPrivate::Of(*m_pDoc).OnScriptStart();
  ASSERT_TRUE(CTVRDispatcher::GetInstalled()->RunUntil([&] { return !m_pDoc->IsRunning(); }, 10s));
  const CTVRVerdictCounter& verdicts = CTVRBoardDocPrivate::Of(*m_pDoc).GetRunController().GetVerdicts();
  EXPECT_EQ(verdicts.GetMet(), 1u);
  EXPECT_EQ(verdicts.GetFailed(), 1u);
}

}  // namespace
