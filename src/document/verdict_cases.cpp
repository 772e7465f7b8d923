#include "document/verdict_cases.h"

#include "decode/answer_seen.h"
#include "decode/expectation.h"
#include "document/board_doc_private.h"

void CTVRVerdictCases::OnChecked(const CTVRBoardDoc& doc, int line, const CTVRExpectation& expectation,
                                 const CTVRAnswerSeen& seen, bool met) {
  auto [it, added] = m_Cases.try_emplace(line + 1);
  Case& entry = it->second;
  if (added) entry.m_strStatement = StatementText(CTVRBoardDocPrivate::Of(doc).GetLine(line));
  ++entry.m_nChecks;
  if (seen.m_bAnswered && seen.m_dRoundTripMs != CTVRAnswerSeen::NO_ROUND_TRIP)
    entry.m_dSeconds += seen.m_dRoundTripMs / 1000.0;
  if (met) return;
  if (entry.m_nFailed++ != 0) return;
  ++m_nFailedCases;
  entry.m_strExpected = expectation.Expected();
  entry.m_strReceived = expectation.Received(seen);
}

std::string CTVRVerdictCases::StatementText(std::string_view line) {
  bool quoted = false;
  std::size_t end = line.size();
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (!quoted && line[i] == '/' && i + 1 < line.size() && line[i + 1] == '/') {
      end = i;
      break;
    }
  }
  line = line.substr(0, end);
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!line.empty() && blank(line.front())) line.remove_prefix(1);
  while (!line.empty() && blank(line.back())) line.remove_suffix(1);
  return std::string(line);
}
