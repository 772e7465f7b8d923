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

bool CTVRDocExpectations::Check(CTVRBoardDoc& doc, const CTVRExpectation& expectation, int line, bool tellViews) {
  CTVRRunController& run = CTVRBoardDocPrivate::Of(doc).GetRunController();
  const CTVRAnswerSeen& seen = run.GetAnswerSeen();
  // A script edited under way: its answers are taken (and timed, for a
  // bound) from the next frame on.
  run.SetTakingAnswers(true);
  if (expectation.GetForm() == CTVRExpectation::FORM_TIME) run.SetTimingAnswers(true);
  if (!expectation.IsMetBy(seen)) return OnMismatch(doc, expectation, line, tellViews);
  run.GetVerdicts().OnMet();
  if (const auto& observer = CTVRBoardDocPrivate::Of(doc).GetExpectationObserver())
    observer(line, expectation, seen, true);
  if (tellViews) doc.UpdateAllViews(nullptr, HINT_VERDICT, nullptr);
  return run.IsRunning();
}

bool CTVRDocExpectations::OnMismatch(CTVRBoardDoc& doc, const CTVRExpectation& expectation, int line, bool tellViews) {
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
  if (tellViews) doc.UpdateAllViews(nullptr, HINT_VERDICT, nullptr);
  if (verdicts.GetAction() == MISMATCH_CONTINUE) return run.IsRunning();
  if (verdicts.GetAction() == MISMATCH_STOP && run.IsRunning())
    CTVRPluginGuard::Call(doc, CTVRPluginGuard::SCRIPT_STOP, [&doc] { doc.OnScriptStop(); });
  return false;
}
