#include <algorithm>
#include <ctime>
#include <string>
#include <string_view>

#include <tavric/board_doc.h>
#include <tavric/trace_record.h>

#include "trace/trace_formatter.h"

#include "decode/answer_frame.h"
#include "decode/expectation.h"
#include "decode/expectation_texts.h"
#include "document/board_doc_private.h"
#include "document/doc_expectations.h"
#include "document/line_store.h"
#include "document/plugin_guard.h"
#include "document/run_controller.h"
#include "document/script_text.h"
#include "trace/trace_log.h"

namespace texts = tvr_expectation_texts;

namespace {

using Clock = std::chrono::steady_clock;

// The round trip of an answer, the one place that says where it comes from:
// the board's own measure at its edge when it gave one (`boardNs`, the time
// the answer record keeps), else from the frame handed to the board to the
// answer's arrival at the document (queue and command delay included) when
// the run times answers, else unknown.
double RoundTripMs(std::int64_t boardNs, bool timing, Clock::time_point handedOver) {
  if (boardNs != CTVRTraceLog::NO_TIME) return double(boardNs) / 1e6;
  if (!timing) return CTVRAnswerSeen::NO_ROUND_TRIP;
  return std::chrono::duration<double, std::milli>(Clock::now() - handedOver).count();
}

std::string TimeOfDay() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const long ms = long(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm local{};
  char text[32] = "";
  if (localtime_r(&seconds, &local) != nullptr) {
    const std::size_t n = std::strftime(text, sizeof text, "%H:%M:%S", &local);
    std::snprintf(text + n, sizeof text - n, ".%03ld", ms);
  }
  return text;
}

}  // namespace

void CTVRDocExpectations::OnRunStarted(CTVRBoardDoc& doc) {
  const std::string_view text = CTVRBoardDocPrivate::Of(doc).GetLineStore().GetText();
  CTVRRunController& run = CTVRBoardDocPrivate::Of(doc).GetRunController();
  // One pass: each ".expect" found, until one of them is a bound.
  bool named = false, bound = false;
  for (auto at = tvr_script::FindNoCase(text, ".expect"); at != std::string_view::npos && !bound;
       at = tvr_script::FindNoCase(text, ".expect", at + 1)) {
    named = true;
    bound = tvr_script::FindNoCase(text.substr(at, 12), ".expect_time") == 0;
  }
  run.SetTakingAnswers(named);
  run.SetTimingAnswers(bound || CTVRBoardDocPrivate::Of(doc).GetExpectationObserver());
}

void CTVRDocExpectations::OnFrameHandedOver(CTVRBoardDoc& doc) {
  CTVRRunController& run = CTVRBoardDocPrivate::Of(doc).GetRunController();
  run.GetAnswerSeen().m_bAnswered = false;
  if (run.IsTimingAnswers()) run.FrameHandedOverAt() = Clock::now();
}

void CTVRDocExpectations::OnAnswerSeen(CTVRBoardDoc& doc, const CTVRAnswerFrame& answer, bool error, bool statusWord) {
  CTVRRunController& run = CTVRBoardDocPrivate::Of(doc).GetRunController();
  CTVRAnswerSeen& seen = run.GetAnswerSeen();
  seen.m_bAnswered = true;
  seen.m_dRoundTripMs =
      RoundTripMs(CTVRBoardDocPrivate::Of(doc).m_nAnswerTime, run.IsTimingAnswers(), run.FrameHandedOverAt());
  seen.m_Bytes.assign(answer.GetBytes(), answer.GetBytes() + answer.GetLength());
  seen.m_bError = error;
  const tvr::DWORD length = answer.GetLength();
  const tvr::DWORD check = answer.GetCheckLength();
  seen.m_bHasStatus = statusWord && !error && length >= check + 2;
  seen.m_nCheckLength = std::min<std::size_t>(check, length);
  seen.m_nStatusAt = seen.m_bHasStatus ? std::size_t(length - check - 2) : 0;
  seen.m_wStatus =
      seen.m_bHasStatus ? tvr::WORD(answer.At(length - check - 2) << 8 | answer.At(length - check - 1)) : 0;
}

bool CTVRDocExpectations::Check(CTVRBoardDoc& doc, const CTVRExpectation& expectation, int line) {
  CTVRRunController& run = CTVRBoardDocPrivate::Of(doc).GetRunController();
  const CTVRAnswerSeen& seen = run.GetAnswerSeen();
  // A script edited under way: its answers are taken (and timed, for a
  // bound) from the next frame on.
  run.SetTakingAnswers(true);
  if (expectation.GetForm() == CTVRExpectation::FORM_TIME) run.SetTimingAnswers(true);
  if (!expectation.IsMetBy(seen)) return OnMismatch(doc, expectation, line);
  run.GetVerdicts().OnMet();
  if (const auto& observer = CTVRBoardDocPrivate::Of(doc).GetExpectationObserver())
    observer(line, expectation, seen, true);
  doc.UpdateAllViews(nullptr, HINT_VERDICT, nullptr);
  return run.IsRunning();
}

bool CTVRDocExpectations::OnMismatch(CTVRBoardDoc& doc, const CTVRExpectation& expectation, int line) {
  CTVRRunController& run = CTVRBoardDocPrivate::Of(doc).GetRunController();
  CTVRVerdictCounter& verdicts = run.GetVerdicts();
  const CTVRAnswerSeen& seen = run.GetAnswerSeen();
  CTVRVerdictCounter::Mismatch mismatch{line + 1, expectation.Expected(), expectation.Received(seen), TimeOfDay()};
  // Traced whatever trace on says: a mismatch is what the user runs the script for.
  std::string text = texts::kMismatchLine + std::to_string(mismatch.m_nLine) + texts::kMismatchExpected +
                     mismatch.m_strExpected + texts::kMismatchReceived + mismatch.m_strReceived;
  CTVRBoardDocPrivate::Of(doc).NotifyMessage(text, TRACE_MISMATCH);
  verdicts.OnFailed(std::move(mismatch));
  run.OnExpectationChecked(false);
  if (const auto& observer = CTVRBoardDocPrivate::Of(doc).GetExpectationObserver())
    observer(line, expectation, seen, false);
  doc.UpdateAllViews(nullptr, HINT_VERDICT, nullptr);
  if (verdicts.GetAction() == MISMATCH_CONTINUE) return run.IsRunning();
  if (verdicts.GetAction() == MISMATCH_STOP && run.IsRunning())
    CTVRPluginGuard::Call(doc, CTVRPluginGuard::SCRIPT_STOP, [&doc] { doc.OnScriptStop(); });
  return false;
}
