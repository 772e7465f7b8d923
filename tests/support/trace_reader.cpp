#include "trace_reader.h"

#include "document/board_doc_private.h"
#include "trace/trace_log.h"

namespace tvr_test {

std::vector<TraceRecord> TraceRecords(CTVRBoardDoc& doc, std::size_t from) {
  std::vector<TraceRecord> records;
  const CTVRTraceLog& log = CTVRBoardDocPrivate::Of(doc).GetTraceLog();
  for (std::size_t i = from; i < log.GetCount(); ++i) {
    const CTVRTraceRecord r = log.GetAt(i);
    records.emplace_back(r.m_nKind, std::string(reinterpret_cast<const char*>(r.m_pData), r.m_dwCount));
  }
  return records;
}

std::vector<std::string> TraceTexts(CTVRBoardDoc& doc, int kind, std::size_t from) {
  std::vector<std::string> texts;
  for (auto& [recordKind, text] : TraceRecords(doc, from))
    if (recordKind == kind) texts.push_back(std::move(text));
  return texts;
}

std::vector<int> TraceKinds(CTVRBoardDoc& doc) {
  std::vector<int> kinds;
  for (const auto& record : TraceRecords(doc)) kinds.push_back(record.first);
  return kinds;
}

std::vector<int> MarkedLines(const CTVRBoardDoc& doc) {
  std::vector<int> marked;
  for (int i = 0; i < CTVRBoardDocPrivate::Of(doc).GetLineCount(); ++i)
    if (CTVRBoardDocPrivate::Of(doc).GetLineState(i) & LINE_NEXT) marked.push_back(i);
  return marked;
}

int MarkedLine(const CTVRBoardDoc& doc) {
  const std::vector<int> marked = MarkedLines(doc);
  return marked.empty() ? -1 : marked.front();
}

}  // namespace tvr_test
