// Reading a document's trace and script marks back in tests: the records as
// kind and text, the texts of one kind, the marked lines. One copy of each,
// for every test area.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include <tavric/board_doc.h>

namespace tvr_test {

using TraceRecord = std::pair<int, std::string>;  // kind and bytes as text

// The document's kept records from index `from` on.
std::vector<TraceRecord> TraceRecords(CTVRBoardDoc& doc, std::size_t from = 0);
// The bytes of the records of one kind, as text.
std::vector<std::string> TraceTexts(CTVRBoardDoc& doc, int kind, std::size_t from = 0);
// The kinds of the records, in order.
std::vector<int> TraceKinds(CTVRBoardDoc& doc);

// The lines carrying the next-statement mark (one, or none when no run is
// prepared).
std::vector<int> MarkedLines(const CTVRBoardDoc& doc);
// The first of them, or -1.
int MarkedLine(const CTVRBoardDoc& doc);

}  // namespace tvr_test
